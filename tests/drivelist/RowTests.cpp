// The rows: which drives get one, their order and focus, the rows' sliders,
// the failures the list survives, and the tear-down.
#include "DriveListTestSupport.h"

#include <cstring>

namespace
{
// What the query in the way of GetLogicalDriveStrings answers on its first
// and second call (0: it fails); the roots are "C:\".
DWORD g_dwAnswers[2];
int g_nCall;

DWORD WINAPI FakeDriveStrings(DWORD, LPSTR pszBuffer)
{
    if (pszBuffer)
        std::memcpy(pszBuffer, "C:\\\0", 5);
    return g_dwAnswers[g_nCall++];
}

// Rows whose slider is not over column 3, a pixel in from every side.
std::string MisplacedSliders(const CTestDriveList& list)
{
    std::string misplaced;
    for (int i = 0; i < list.GetItemCount(); i++)
    {
        CRect column, slider;
        list.GetSubItemRect(i, 3, LVIR_BOUNDS, column);
        list.GetDriveItem(i)->m_wndSlider.GetWindowRect(&slider);
        ::MapWindowPoints(nullptr, list.m_hWnd, reinterpret_cast<LPPOINT>(&slider), 2);
        column.InflateRect(-1, -1);
        misplaced += slider == column ? "" : " " + std::to_string(i);
    }
    return misplaced;
}
}

TEST_F(DriveListTest, ExactlyTheCdRomDrivesGetRowsNewOnesSortedInAndRowZeroFocusedWhenNoneIs)
{
    Drives("F");
    CreateList();  // besides the fixed drives C: and Z:
    Drives("D");
    m_list.AddDrive("d:\\");
    const CDriveItem* pItem = Item('D');
    Drives("E", {});
    m_list.RefreshDrives();
    EXPECT_EQ("D: E: F:", Rows());
    EXPECT_EQ(pItem, Item('D')) << "a lower-case root is the same drive";

    Device('D')->Seek(100000);
    Device('F')->Seek(50000);
    ClickColumn(2);
    Device('E')->Seek(150000);
    m_list.SetItemState(2, LVIS_FOCUSED, LVIS_FOCUSED);
    m_list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    m_list.RefreshDrives();
    EXPECT_EQ("D: F: E:", Rows()) << "nothing added: the order is kept";
    EXPECT_EQ(2, m_list.GetFocusedItem());
    Drives("G", {});
    m_list.RefreshDrives();
    EXPECT_EQ("E: D: F: G:", Rows()) << "the new row sorted in by time";

    // Adjacent rows and the last one vanishing in one pass, the focused and
    // the selected row with them: the row left is focused, not selected.
    for (char letter : { 'E', 'F', 'G' })
        m_sim.RemoveDrive(letter);
    m_list.RefreshDrives();
    EXPECT_EQ("D:", Rows());
    EXPECT_EQ(static_cast<UINT>(LVIS_FOCUSED), m_list.GetItemState(0, LVIS_FOCUSED | LVIS_SELECTED));
}

TEST_F(DriveListTest, SlidersFollowTheirRowsAndTimeAndPositionPutTheDriveFurthestIntoItsDiscFirst)
{
    // Discs of 100, 400 (from 300 s on), 200 and 1000 s, three of 180 s and
    // an empty drive, F, whose slider has no range.
    const struct { char letter; std::vector<uint32_t> tracks; uint32_t dwStart, dwSeek; } drives[] = {
        { 'D', { 100000 }, 2000, 50000 }, { 'E', { 400000 }, 300000, 310000 }, { 'F', {}, 0, 0 },
        { 'G', { 200000 }, 2000, 180000 }, { 'H', { 1000000 }, 2000, 600000 }, { 'I', kTracks, 2000, 0x80000000u },
        { 'J', kTracks, 2000, 20000 }, { 'K', kTracks, 2000, 10000 },
    };
    for (const auto& d : drives)
        Drives(std::string(1, d.letter).c_str(), d.tracks, d.dwStart);
    CreateList(150);  // rows of 33 px: a few of the eight show
    const CSliderCtrl& disc = Item('I')->m_wndSlider;
    EXPECT_EQ(2000, disc.GetRangeMin());
    EXPECT_EQ(180000, disc.GetRangeMax()) << "the disc's length, not its end";
    EXPECT_EQ(2000, disc.GetPos());
    ASSERT_EQ(5, disc.GetNumTics()) << "one a track and the two ends";
    EXPECT_EQ(62000, disc.SendMessage(TBM_GETTIC, 1));
    EXPECT_EQ(152000, disc.SendMessage(TBM_GETTIC, 2));
    EXPECT_EQ(0, Item('F')->m_wndSlider.GetRangeMax());
    EXPECT_EQ(2, Item('F')->m_wndSlider.GetNumTics());
    for (const auto& d : drives)
        Device(d.letter)->Seek(d.dwSeek);

    const int nPerPage = m_list.GetCountPerPage();
    ASSERT_TRUE(nPerPage >= 1 && nPerPage + 1 < 8) << nPerPage;
    for (int nScrolledTo : { 0, 7 })
    {
        m_list.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nScrolledTo), FALSE);
        Tick();
        const int nTop = m_list.GetTopIndex();
        ASSERT_EQ(nScrolledTo > 0, nTop > 1);
        EXPECT_EQ("", MisplacedSliders(m_list)) << "top " << nTop;
        for (int i = 0; i < 8; i++)
            EXPECT_EQ(i >= nTop && i <= nTop + nPerPage, !!m_list.GetDriveItem(i)->m_wndSlider.IsWindowVisible())
                << "row " << i << ", top " << nTop;
    }

    ClickColumn(2);
    EXPECT_EQ("I: H: E: G: D: J: K: F:", Rows()) << "I is beyond any signed comparison";
    EXPECT_EQ("", MisplacedSliders(m_list));
    // The thumbs stand at 0.5, 0.775, 0.9, 0.6, 0.011 (held at the minimum),
    // 0.11 and 0.056 of each slider's maximum, the minimum not taken off.
    m_list.m_nSortColumn = 3;
    const LPARAM lEmpty = reinterpret_cast<LPARAM>(Item('F')), lTop = reinterpret_cast<LPARAM>(Item('G'));
    EXPECT_EQ(0, CTestDriveList::CompareItems(lEmpty, lTop, reinterpret_cast<LPARAM>(&m_list)));
    EXPECT_EQ(0, CTestDriveList::CompareItems(lTop, lEmpty, reinterpret_cast<LPARAM>(&m_list)));
    m_sim.RemoveDrive('F');
    m_list.RefreshDrives();
    ClickColumn(3);
    EXPECT_EQ("G: E: H: D: J: K: I:", Rows());
}

TEST_F(DriveListTest, FailedDriveStringQueryInsertionOrShellQueryLeavesNoTrace)
{
    // The roots are read only when the second call delivers them whole.
    const struct { DWORD dwFirst, dwSecond; bool bRead; } queries[] = {
        { 5, 4, true }, { 5, 8, false }, { 0, 4, false }, { 5, 0, false },
    };
    for (const auto& q : queries)
    {
        g_dwAnswers[0] = q.dwFirst;
        g_dwAnswers[1] = q.dwSecond;
        g_nCall = 0;
        std::vector<char> roots;
        EXPECT_EQ(q.bRead, CTestDriveList::GetDriveStrings(roots, FakeDriveStrings)) << q.dwFirst << ", " << q.dwSecond;
    }

    Drives("D", {});
    CreateList();
    Drives("E");
    m_sim.ClearJournal();
    m_list.m_bFailInsert = true;
    m_list.RefreshDrives();
    m_list.m_bFailInsert = false;
    EXPECT_EQ("D:", Rows());
    HWND hSlider = Item('D')->m_wndSlider.m_hWnd;
    EXPECT_EQ(hSlider, ::FindWindowExA(m_list.m_hWnd, nullptr, TRACKBAR_CLASSA, nullptr));
    EXPECT_EQ(nullptr, ::FindWindowExA(m_list.m_hWnd, hSlider, TRACKBAR_CLASSA, nullptr));
    EXPECT_EQ(0u, Count(MCI_OPEN_DRIVER));

    // The shell names a letter without a drive, not a root without a letter.
    m_list.AddDrive("?:\\");
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = RowOf('?');
    m_list.SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ("", Text('?', 0));
    EXPECT_EQ(I_IMAGENONE, item.iImage);
}

TEST_F(DriveListTest, DestroyingTheWindowStopsAndClosesEveryDriveAndSparesTheSystemImageList)
{
    Drives("DE");
    Drives("F", {});
    CreateList();
    ASSERT_TRUE(Device('D')->Play());
    m_sim.ClearJournal();
    m_host.DestroyWindow();
    for (char letter : { 'D', 'E', 'F' })
        EXPECT_EQ(std::make_pair(1u, 1u), std::make_pair(Count(MCI_STOP, letter), Count(MCI_CLOSE_DRIVER, letter)));
    EXPECT_EQ(nullptr, m_list.m_hImagesAtNcDestroy) << "the list view would destroy the shared image list";
}
