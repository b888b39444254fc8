// The rows of the drive list: which drives get one, their order when drives
// come and go, focus, the rows' sliders, the failures the list survives, and
// the tear-down that closes every drive.
#include "DriveListTestSupport.h"

#include <commctrl.h>
#include <mmddk.h>
#include <shellapi.h>

#include <cstring>

using simcd::SimJournalEntry;

namespace
{
int TrackbarChildren(HWND hParent)
{
    int n = 0;
    for (HWND h = ::GetWindow(hParent, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
    {
        char name[64] = {};
        ::GetClassNameA(h, name, sizeof name);
        n += lstrcmpiA(name, TRACKBAR_CLASSA) == 0;
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

// Focus and selection of every row, e.g. "F- -S f-" (row 0 focused).
std::string States(const CListCtrl& list)
{
    std::string states;
    for (int i = 0; i < list.GetItemCount(); i++)
    {
        states += i ? " " : "";
        states += list.GetItemState(i, LVIS_FOCUSED) ? 'F' : '-';
        states += list.GetItemState(i, LVIS_SELECTED) ? 'S' : '-';
    }
    return states;
}

class DriveListRows : public DriveListTest
{
};
}

// ---------------------------------------------------------------------------
// Which drives get rows

TEST_F(DriveListRows, ExactlyTheCdRomDrivesGetRowsInLetterOrder)
{
    // Only fixed drives (C:, Z:): no row and no focus.
    ASSERT_EQ(static_cast<UINT>(DRIVE_FIXED), GetDriveTypeA("C:\\"));
    CreateList();
    TickToWholeSecond();
    EXPECT_EQ("", Rows());
    EXPECT_EQ(-1, m_pList->GetFocusedItem());

    ASSERT_TRUE(m_sim.DefineDrive('G', "NIGHT MUSIC"));
    EmptyDrive('E');
    DriveWithDisc('D');
    m_pList->RefreshDrives();
    EXPECT_EQ("D: E: G:", Rows());
    EXPECT_EQ("NIGHT MUSIC (G:)", Text('G', 0));
    EXPECT_EQ(" (E:)", Text('E', 0));
    EXPECT_GE(ImageOf(*m_pList, RowOf('D')), 0);
}

TEST_F(DriveListRows, LowerCaseRootMatchesTheRowOfItsDrive)
{
    CreateList();
    DriveWithDisc('D');
    m_pList->AddDrive("d:\\");
    CDriveItem* pItem = Item('D');
    ASSERT_NE(nullptr, pItem);

    // The system reports "D:\": the same drive, neither removed nor added.
    m_pList->RefreshDrives();
    EXPECT_EQ("D:", Rows());
    EXPECT_EQ(pItem, Item('D'));
}

TEST_F(DriveListRows, DrivesThatVanishTogetherAllLoseTheirRowsInOnePass)
{
    for (char letter = 'D'; letter <= 'H'; letter++)
        EmptyDrive(letter);
    CreateList();
    const struct { const char* pszRemove; const char* pszLeft; } steps[] = {
        { "EF", "D: G: H:" }, { "GH", "D:" }, { "D", "" },
    };
    for (const auto& step : steps)
    {
        for (const char* p = step.pszRemove; *p; p++)
            m_sim.RemoveDrive(*p);
        m_pList->RefreshDrives();
        EXPECT_EQ(step.pszLeft, Rows()) << "removed " << step.pszRemove;
    }
}

// ---------------------------------------------------------------------------
// Order of new rows, and focus

TEST_F(DriveListRows, NewDriveFallsIntoTheCurrentOrderAndNothingElseReorders)
{
    DriveWithDisc('D');
    DriveWithDisc('F');
    CreateList();
    EmptyDrive('E');
    m_pList->RefreshDrives();
    EXPECT_EQ("D: E: F:", Rows()) << "inserted at the top, then sorted by drive";

    // By time, descending.
    Item('D')->m_pDevice->Seek(100000);
    Item('F')->m_pDevice->Seek(50000);
    ClickHeader(2);
    ASSERT_EQ("D: F: E:", Rows());

    Item('E')->m_pDevice->Seek(150000);
    m_pList->RefreshDrives();
    EXPECT_EQ("D: F: E:", Rows()) << "nothing added: the order is kept";

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
    EXPECT_EQ("F- -- --", States(*m_pList));

    m_pList->SetItemState(0, 0, LVIS_FOCUSED);
    m_pList->SetItemState(2, LVIS_FOCUSED, LVIS_FOCUSED);
    m_pList->SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    m_pList->RefreshDrives();
    EXPECT_EQ("-- -S F-", States(*m_pList));

    m_pList->SetItemState(2, 0, LVIS_FOCUSED);
    m_pList->RefreshDrives();
    EXPECT_EQ("F- -S --", States(*m_pList));
}

// ---------------------------------------------------------------------------
// The rows' sliders

TEST_F(DriveListRows, SliderSpansTheDiscWithATickPerTrackOrIsEmpty)
{
    DriveWithDisc('D');
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

TEST_F(DriveListRows, SlidersLieOverColumnThreeAndShowFromTheTopIndexToOnePastThePage)
{
    // Rows are 33 px high: a list of 150 px shows a few of the eight rows.
    for (char letter = 'D'; letter <= 'K'; letter++)
        DriveWithDisc(letter);
    CreateList(150);
    const int nPerPage = m_pList->GetCountPerPage();
    ASSERT_TRUE(nPerPage >= 1 && nPerPage + 1 < 8) << nPerPage;

    for (int nScrolledTo : { 0, 7 })
    {
        m_pList->SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nScrolledTo), FALSE);
        Tick();
        const int nTop = m_pList->GetTopIndex();
        ASSERT_EQ(nScrolledTo > 0, nTop > 1);
        for (int i = 0; i < 8; i++)
        {
            const char letter = static_cast<char>('D' + i);
            const bool bVisible = (::GetWindowLongA(Item(letter)->m_wndSlider.m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
            EXPECT_EQ(i >= nTop && i <= nTop + nPerPage, bVisible) << "row " << i << ", top " << nTop;
            EXPECT_EQ(Column3Rect(i), SliderRect(letter)) << "row " << i << ", top " << nTop;
        }
    }
}

// ---------------------------------------------------------------------------
// Failures the list survives

namespace
{
// Answers in the way of GetLogicalDriveStrings: the first call with the
// first list of roots, the second with the second; an empty list fails.
std::string g_astrRoots[2];
int g_nCall;

DWORD WINAPI FakeDriveStrings(DWORD nLength, LPSTR pszBuffer)
{
    const std::string& strRoots = g_astrRoots[g_nCall++ ? 1 : 0];
    const DWORD cchNeeded = static_cast<DWORD>(strRoots.size() + 1);
    if (strRoots.empty() || nLength < cchNeeded)
        return strRoots.empty() ? 0 : cchNeeded;
    std::memcpy(pszBuffer, strRoots.c_str(), cchNeeded);
    return cchNeeded - 1;
}

// The roots read, "C:\ D:\", or "skipped".
std::string ReadRoots(const std::string& strFirst, const std::string& strSecond)
{
    g_astrRoots[0] = strFirst;
    g_astrRoots[1] = strSecond;
    g_nCall = 0;
    std::vector<char> buffer;
    if (!CTestDriveList::GetDriveStrings(buffer, FakeDriveStrings))
        return "skipped";
    std::string roots;
    for (const char* p = buffer.data(); *p; p += std::strlen(p) + 1)
        roots += (roots.empty() ? "" : " ") + std::string(p);
    return roots;
}
}

TEST_F(DriveListRows, DriveStringsAreReadOnlyWhenTheQueryDeliversThemWhole)
{
    const std::string kOne("C:\\\0", 4), kTwo("C:\\\0D:\\\0", 8), kThree("C:\\\0D:\\\0E:\\\0", 12);
    EXPECT_EQ("C:\\ D:\\", ReadRoots(kTwo, kTwo));
    EXPECT_EQ("C:\\", ReadRoots(kTwo, kOne)) << "a drive vanished between the calls";
    EXPECT_EQ("skipped", ReadRoots(kTwo, kThree)) << "a drive appeared between the calls";
    EXPECT_EQ("skipped", ReadRoots("", kTwo));
    EXPECT_EQ("skipped", ReadRoots(kTwo, ""));
}

TEST_F(DriveListRows, FailedInsertionLeavesNoRowNoSliderAndOpensNothing)
{
    EmptyDrive('D');
    CreateList();
    ASSERT_EQ(1, TrackbarChildren(m_pList->m_hWnd));

    DriveWithDisc('E');
    m_sim.ClearJournal();
    m_pList->m_bFailInsert = true;
    m_pList->RefreshDrives();
    EXPECT_EQ("D:", Rows());
    EXPECT_EQ(1, TrackbarChildren(m_pList->m_hWnd));
    EXPECT_EQ(0u, Count(MCI_OPEN_DRIVER, 'E'));

    m_pList->m_bFailInsert = false;
    m_pList->RefreshDrives();
    EXPECT_EQ("D: E:", Rows());
    EXPECT_EQ(2, TrackbarChildren(m_pList->m_hWnd));
}

TEST_F(DriveListRows, RootTheShellCannotNameShowsNoTextAndNoIcon)
{
    // The shell names even a letter without a drive, but not a root that is
    // no drive letter at all.
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
    DriveWithDisc('D');
    DriveWithDisc('E');
    EmptyDrive('F');
    CreateList();
    ASSERT_TRUE(Item('D')->m_pDevice->Play());

    SHFILEINFOA sfi = {};
    HIMAGELIST hSystem = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("", 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES));
    EXPECT_EQ(hSystem, m_pList->GetImageList(LVSIL_SMALL));
    IMAGEINFO info = {};
    ASSERT_TRUE(ImageList_GetImageInfo(hSystem, 0, &info));

    m_sim.ClearJournal();
    m_pHost->DestroyWindow();

    for (char letter : { 'D', 'E', 'F' })
    {
        const std::vector<SimJournalEntry> journal = Journal(letter);
        ASSERT_EQ(2u, journal.size()) << letter;
        EXPECT_EQ(static_cast<UINT>(MCI_STOP), journal[0].command) << letter;
        EXPECT_EQ(static_cast<UINT>(MCI_CLOSE_DRIVER), journal[1].command) << letter;
        simcd::SimDriveInfo drive;
        ASSERT_TRUE(m_sim.GetDrive(letter, drive));
        EXPECT_EQ(0u, drive.openDevices) << letter;
        EXPECT_NE(static_cast<uint32_t>(MCI_MODE_PLAY), drive.mode) << letter;
    }

    // The list view destroys the image lists it still holds as it goes.
    EXPECT_EQ(nullptr, m_pList->m_hImagesAtNcDestroy);
    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(info.hbmImage));
}
