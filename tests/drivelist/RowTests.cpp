// The rows of the drive list: which drives get one, their order when drives
// come and go, focus, the position slider of each row, the failures the list
// survives, and the tear-down that closes every drive.
#include "DriveListTestSupport.h"

#include <commctrl.h>
#include <mmddk.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

using simcd::SimJournalEntry;

namespace
{
// Three tracks of 60, 90 and 30 s from the disc start at 2 s.
const std::vector<uint32_t> kTracks = { 60000, 90000, 30000 };

int TrackbarChildren(HWND hParent)
{
    int n = 0;
    for (HWND h = ::GetWindow(hParent, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
    {
        char name[64] = {};
        ::GetClassNameA(h, name, sizeof name);
        if (lstrcmpiA(name, TRACKBAR_CLASSA) == 0)
            n++;
    }
    return n;
}

int ImageOf(const CListCtrl& list, int nItem)
{
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = nItem;
    list.SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

class DriveListRows : public DriveListTest
{
};
}

// ---------------------------------------------------------------------------
// Which drives get rows

TEST_F(DriveListRows, OnlyCdRomDrivesGetRowsEachOnceInLetterOrder)
{
    // The prefix has fixed drives (C:, Z:); those never get a row.
    ASSERT_EQ(static_cast<UINT>(DRIVE_FIXED), GetDriveTypeA("C:\\"));
    ASSERT_TRUE(m_sim.DefineDrive('G', "NIGHT MUSIC"));
    ASSERT_TRUE(m_sim.InsertDisc('G', kTracks));
    EmptyDrive('E');
    DriveWithDisc('D', kTracks);
    CreateList();

    EXPECT_EQ("D: E: G:", Rows());
    EXPECT_EQ("NIGHT MUSIC (G:)", Text('G', 0));
    EXPECT_EQ(" (E:)", Text('E', 0));
    EXPECT_GE(ImageOf(*m_pList, RowOf('D')), 0);

    TickToWholeSecond();
    EXPECT_EQ("D: E: G:", Rows());
}

TEST_F(DriveListRows, MachineWithoutCdRomDrivesShowsAnEmptyListWithoutFocus)
{
    CreateList();
    EXPECT_EQ(0, m_pList->GetItemCount());
    TickToWholeSecond();
    EXPECT_EQ(0, m_pList->GetItemCount());
    EXPECT_EQ(-1, m_pList->GetFocusedItem());
}

TEST_F(DriveListRows, LowerCaseRootMatchesTheRowOfItsDrive)
{
    CreateList();
    DriveWithDisc('D', kTracks);
    m_pList->AddDrive("d:\\");
    ASSERT_EQ("D:", Rows());
    CDriveItem* pItem = Item('D');

    // The system reports "D:\"; the row made from "d:\" is the same drive.
    m_pList->RefreshDrives();
    EXPECT_EQ("D:", Rows());
    EXPECT_EQ(pItem, Item('D'));
}

TEST_F(DriveListRows, DrivesThatVanishTogetherAllLoseTheirRowsInOnePass)
{
    for (char letter = 'D'; letter <= 'H'; letter++)
        EmptyDrive(letter);
    CreateList();
    ASSERT_EQ("D: E: F: G: H:", Rows());

    m_sim.RemoveDrive('E');
    m_sim.RemoveDrive('F');
    m_pList->RefreshDrives();
    EXPECT_EQ("D: G: H:", Rows());

    m_sim.RemoveDrive('G');
    m_sim.RemoveDrive('H');
    m_pList->RefreshDrives();
    EXPECT_EQ("D:", Rows());

    m_sim.RemoveDrive('D');
    m_pList->RefreshDrives();
    EXPECT_EQ("", Rows());
}

// ---------------------------------------------------------------------------
// Order of new rows, and focus

TEST_F(DriveListRows, NewDriveFallsIntoTheCurrentOrderAndNothingElseReorders)
{
    DriveWithDisc('D', kTracks);
    DriveWithDisc('F', kTracks);
    CreateList();

    // Inserted at the top, then sorted by drive.
    EmptyDrive('E');
    m_pList->RefreshDrives();
    EXPECT_EQ("D: E: F:", Rows());

    // By time, descending: the row furthest into its disc first.
    Item('D')->m_pDevice->Seek(100000);
    Item('F')->m_pDevice->Seek(50000);
    ClickHeader(2);
    ASSERT_EQ("D: F: E:", Rows());

    // The order is kept while nothing is added, however the times change...
    Item('E')->m_pDevice->Seek(150000);
    m_pList->RefreshDrives();
    EXPECT_EQ("D: F: E:", Rows());

    // ...and a new row re-sorts every row.
    EmptyDrive('G');
    m_pList->RefreshDrives();
    EXPECT_EQ("E: D: F: G:", Rows());
}

TEST_F(DriveListRows, FocusGoesToRowZeroOnlyWhenNoRowHasIt)
{
    EmptyDrive('D');
    EmptyDrive('E');
    EmptyDrive('F');
    CreateList();
    EXPECT_TRUE(Focused(0));
    for (int i = 0; i < 3; i++)
        EXPECT_FALSE(Selected(i)) << i;

    m_pList->SetItemState(0, 0, LVIS_FOCUSED);
    m_pList->SetItemState(2, LVIS_FOCUSED, LVIS_FOCUSED);
    m_pList->SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    m_pList->RefreshDrives();
    EXPECT_FALSE(Focused(0));
    EXPECT_TRUE(Focused(2));
    EXPECT_TRUE(Selected(1));

    // No row has the focus (the list view itself hands it on when the
    // focused row is deleted, so it is taken away here).
    m_pList->SetItemState(2, 0, LVIS_FOCUSED);
    m_pList->RefreshDrives();
    EXPECT_TRUE(Focused(0));
    EXPECT_FALSE(Selected(0));
    EXPECT_TRUE(Selected(1));
    EXPECT_FALSE(Focused(2));
}

// ---------------------------------------------------------------------------
// The position slider of a row

TEST_F(DriveListRows, SliderSpansTheDiscWithATickPerTrackOrIsEmpty)
{
    DriveWithDisc('D', kTracks);
    EmptyDrive('E');
    CreateList();

    const CSliderCtrl& disc = Item('D')->m_wndSlider;
    EXPECT_EQ(2000, disc.GetRangeMin());
    EXPECT_EQ(180000, disc.GetRangeMax()) << "the disc's length, not its end";
    EXPECT_EQ(2000, disc.GetPos());
    EXPECT_EQ((std::vector<int>{ 2000, 62000, 152000 }), SliderTicks('D'));
    EXPECT_EQ(10000, static_cast<int>(disc.SendMessage(TBM_GETLINESIZE)));
    EXPECT_EQ(60000, static_cast<int>(disc.SendMessage(TBM_GETPAGESIZE)));

    const CSliderCtrl& empty = Item('E')->m_wndSlider;
    EXPECT_EQ(0, empty.GetRangeMin());
    EXPECT_EQ(0, empty.GetRangeMax());
    EXPECT_EQ(0, empty.GetPos());
    EXPECT_TRUE(SliderTicks('E').empty());
}

TEST_F(DriveListRows, SlidersLieOverColumnThreeOfTheRowsInView)
{
    // Rows are 33 px high: a list of 150 px shows a few of the eight rows.
    for (char letter = 'D'; letter <= 'K'; letter++)
        DriveWithDisc(letter, kTracks);
    CreateList(150);
    const int nPerPage = m_pList->GetCountPerPage();
    ASSERT_GE(nPerPage, 1);
    ASSERT_LT(nPerPage + 1, 8);

    auto check = [&](const char* pszWhen) {
        const int nTop = m_pList->GetTopIndex();
        for (int i = 0; i < 8; i++)
        {
            const char letter = static_cast<char>('D' + i);
            ASSERT_EQ(i, RowOf(letter));
            EXPECT_EQ(i >= nTop && i <= nTop + nPerPage, SliderVisible(letter))
                << pszWhen << ": row " << i << ", top " << nTop;
            EXPECT_EQ(Column3Rect(i), SliderRect(letter)) << pszWhen << ": row " << i;
        }
    };
    check("at the top");

    m_pList->SendMessage(LVM_ENSUREVISIBLE, 7, FALSE);
    ASSERT_GT(m_pList->GetTopIndex(), 1);
    Tick();
    check("scrolled to the end");
}

// ---------------------------------------------------------------------------
// Failures the list survives

namespace
{
// A query in the way of GetLogicalDriveStrings over a list of roots that the
// test changes between the two calls.
std::string g_strRoots;
std::string g_strRootsOnSecondCall;
int g_nCalls;
bool g_bFailFirst;
bool g_bFailSecond;

DWORD WINAPI FakeDriveStrings(DWORD nLength, LPSTR pszBuffer)
{
    const bool bSecond = ++g_nCalls > 1;
    if ((bSecond && g_bFailSecond) || (!bSecond && g_bFailFirst))
        return 0;
    const std::string& strRoots = bSecond ? g_strRootsOnSecondCall : g_strRoots;
    const DWORD cchNeeded = static_cast<DWORD>(strRoots.size() + 1);
    if (nLength < cchNeeded)
        return cchNeeded;
    std::memcpy(pszBuffer, strRoots.c_str(), cchNeeded);
    return static_cast<DWORD>(strRoots.size());
}

bool ReadRoots(const std::string& strFirst, const std::string& strSecond, std::vector<std::string>& roots,
               bool bFailFirst = false, bool bFailSecond = false)
{
    g_strRoots = strFirst;
    g_strRootsOnSecondCall = strSecond;
    g_nCalls = 0;
    g_bFailFirst = bFailFirst;
    g_bFailSecond = bFailSecond;
    std::vector<char> buffer;
    if (!CTestDriveList::GetDriveStrings(buffer, FakeDriveStrings))
        return false;
    roots.clear();
    for (const char* p = buffer.data(); *p; p += std::strlen(p) + 1)
        roots.push_back(p);
    return true;
}
}

TEST_F(DriveListRows, DriveStringsAreReadOnlyWhenTheQueryDeliversThemWhole)
{
    const std::string kTwo("C:\\\0D:\\\0", 8);
    const std::string kThree("C:\\\0D:\\\0E:\\\0", 12);
    const std::string kOne("C:\\\0", 4);
    std::vector<std::string> roots;

    ASSERT_TRUE(ReadRoots(kTwo, kTwo, roots));
    EXPECT_EQ((std::vector<std::string>{ "C:\\", "D:\\" }), roots);

    // A drive that vanished between the calls leaves a shorter, whole list.
    ASSERT_TRUE(ReadRoots(kTwo, kOne, roots));
    EXPECT_EQ((std::vector<std::string>{ "C:\\" }), roots);

    EXPECT_FALSE(ReadRoots(kTwo, kThree, roots)) << "a drive appeared between the calls";
    EXPECT_FALSE(ReadRoots(kTwo, kTwo, roots, true, false));
    EXPECT_FALSE(ReadRoots(kTwo, kTwo, roots, false, true));
}

TEST_F(DriveListRows, FailedInsertionLeavesNoRowNoSliderAndOpensNothing)
{
    EmptyDrive('D');
    CreateList();
    const int nSliders = TrackbarChildren(m_pList->m_hWnd);
    ASSERT_EQ(1, nSliders);

    DriveWithDisc('E', kTracks);
    m_sim.ClearJournal();
    m_pList->m_bFailInsert = true;
    m_pList->RefreshDrives();
    EXPECT_EQ("D:", Rows());
    EXPECT_EQ(nSliders, TrackbarChildren(m_pList->m_hWnd));
    EXPECT_EQ(0u, Count(MCI_OPEN_DRIVER, 'E'));

    // The next reconciliation tries again.
    m_pList->m_bFailInsert = false;
    m_pList->RefreshDrives();
    EXPECT_EQ("D: E:", Rows());
    EXPECT_EQ(nSliders + 1, TrackbarChildren(m_pList->m_hWnd));
}

TEST_F(DriveListRows, DriveTheShellCannotNameShowsNoTextAndNoIcon)
{
    // The shell names even a letter without a drive; a root that is no
    // drive letter at all it cannot resolve.
    CreateList();
    SHFILEINFOA sfi = {};
    ASSERT_EQ(0u, SHGetFileInfoA("?:\\", 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME | SHGFI_SMALLICON));

    m_pList->AddDrive("?:\\");
    ASSERT_EQ("?:", Rows());
    EXPECT_EQ("", Text('?', 0));
    EXPECT_EQ(I_IMAGENONE, ImageOf(*m_pList, 0));
    Tick();
    EXPECT_EQ("空", Text('?', 1));
}

// ---------------------------------------------------------------------------
// Tear-down

TEST_F(DriveListRows, DestroyingTheWindowClosesEveryDriveAndSparesTheSystemImageList)
{
    DriveWithDisc('D', kTracks);
    DriveWithDisc('E', kTracks);
    EmptyDrive('F');
    CreateList();
    ASSERT_TRUE(Item('D')->m_pDevice->Play());

    SHFILEINFOA sfi = {};
    HIMAGELIST hSystem = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("", 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES));
    ASSERT_NE(nullptr, hSystem);
    EXPECT_EQ(hSystem, m_pList->GetImageList(LVSIL_SMALL));
    const int nImages = ImageList_GetImageCount(hSystem);
    ASSERT_GT(nImages, 0);
    IMAGEINFO info = {};
    ASSERT_TRUE(ImageList_GetImageInfo(hSystem, 0, &info));

    m_sim.ClearJournal();
    m_pHost->DestroyWindow();
    EXPECT_EQ(nullptr, m_pList->m_hImagesAtNcDestroy);

    for (char letter : { 'D', 'E', 'F' })
    {
        const std::vector<SimJournalEntry> journal = Journal(letter);
        ASSERT_EQ(2u, journal.size()) << letter;
        EXPECT_EQ(static_cast<UINT>(MCI_STOP), journal[0].command) << letter;
        EXPECT_EQ(static_cast<UINT>(MCI_CLOSE_DRIVER), journal[1].command) << letter;
        simcd::SimDriveInfo info;
        ASSERT_TRUE(m_sim.GetDrive(letter, info));
        EXPECT_EQ(0u, info.openDevices) << letter;
    }
    simcd::SimDriveInfo drive;
    ASSERT_TRUE(m_sim.GetDrive('D', drive));
    EXPECT_EQ(static_cast<uint32_t>(MCI_MODE_STOP), drive.mode);

    // The image list's bitmap would go with it.
    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(info.hbmImage));
    EXPECT_EQ(nImages, ImageList_GetImageCount(hSystem));
}
