// The drive list hosted in a plain parent window over the simulated drives,
// its refresh ticked by the test itself: which drives get rows, their order
// and focus, the rows' sliders, the failures the list survives, the tear-down,
// the state and time texts, a dragged thumb, and the work kept for the whole
// second.
#include "drivelist/CCDDriveListWnd.h"
#include "simcd/SimController.h"

#include <commctrl.h>
#include <mmddk.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

// 60, 90 and 30 s from 2 s on: the disc's length is 180000 ms.
const std::vector<uint32_t> kTracks = { 60000, 90000, 30000 };

class CTestDriveList : public CCDDriveListWnd
{
public:
    using CCDDriveListWnd::CompareItems;
    using CCDDriveListWnd::GetDriveStrings;
    void Tick() { StatusTimerProc(m_hWnd, WM_TIMER, IDT_STATUS, 0); }

    bool m_bFailInsert = false;
    HIMAGELIST m_hImagesAtNcDestroy = nullptr;      // what the list view still held as it went
    std::vector<const CCDAudioDevice*> m_scrolled;  // the device of each scrolling slider's row

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        // Windows takes the capture from a trackbar being destroyed, and it
        // then reports the end of its drag; Wine does neither.
        if (message == WM_PARENTNOTIFY && LOWORD(wParam) == WM_DESTROY &&
            reinterpret_cast<HWND>(lParam) == ::GetCapture())
            SendMessage(WM_HSCROLL, TB_ENDTRACK, lParam);
        for (int i = 0; message == WM_HSCROLL && i < GetItemCount(); i++)
            if (GetDriveItem(i)->m_wndSlider.m_hWnd == reinterpret_cast<HWND>(lParam))
                m_scrolled.push_back(GetDriveItem(i)->m_pDevice.get());
        return message == LVM_INSERTITEMA && m_bFailInsert ? -1 : CCDDriveListWnd::WindowProc(message, wParam, lParam);
    }
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NCDESTROY)
            m_hImagesAtNcDestroy = GetImageList(LVSIL_SMALL);
        return CCDDriveListWnd::DefWindowProc(message, wParam, lParam);
    }
};

class DriveListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sim.IsAttached() && m_sim.RemoveAllDrives() && m_sim.SetTimeFactor(1.0)) << m_sim.GetLastError();
    }
    void TearDown() override
    {
        m_host.DestroyWindow();  // unless a test already has
        m_sim.RemoveAllDrives();
    }

    // Drives with a disc of these tracks, or empty ones when there are none.
    void Drives(const char* pszLetters, const std::vector<uint32_t>& tracks = kTracks, uint32_t startMs = 2000)
    {
        for (const char* p = pszLetters; *p; p++)
            ASSERT_TRUE(m_sim.DefineDrive(*p) && (tracks.empty() || m_sim.InsertDisc(*p, tracks, startMs)));
    }
    // The list with its own timer killed; its tick count starts at 0.
    void CreateList(int nHeight = 400)
    {
        m_host.CreateEx(0, AfxRegisterWndClass(0), "list", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, nHeight + 40,
                        nullptr, nullptr);
        ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 780, nHeight), &m_host, 1));
        m_list.KillTimer(CCDDriveListWnd::IDT_STATUS);
    }
    void Tick(int nTicks = 1)
    {
        while (nTicks-- > 0)
            m_list.Tick();
    }
    // The list view's notification of a header click, reflected by the parent.
    void ClickColumn(int nColumn)
    {
        NMLISTVIEW nm = { { m_list.m_hWnd, 1, LVN_COLUMNCLICK }, -1, nColumn, 0, 0, 0, { 0, 0 }, 0 };
        m_host.SendMessage(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&nm));
    }

    // The rows' drives in list order: "D: E: F:".
    std::string Rows() const
    {
        std::string rows;
        for (int i = 0; i < m_list.GetItemCount(); i++)
            rows += (i ? " " : "") + std::string(m_list.GetDriveItem(i)->m_strDrive);
        return rows;
    }
    // Three characters a row; past the last row when there is none.
    int RowOf(char letter) const { return static_cast<int>(Rows().find(std::string(1, letter) + ":") / 3); }
    CDriveItem* Item(char letter) const { return m_list.GetDriveItem(RowOf(letter)); }
    // What a failed construction of the row's device leaves.
    void DropDevice(char letter) { Item(letter)->m_pDevice.reset(); }
    CCDAudioDevice* Device(char letter) const { return Item(letter)->m_pDevice.get(); }
    std::string Text(char letter, int nColumn) const { return std::string(m_list.GetItemText(RowOf(letter), nColumn)); }
    // Journal entries of a command since the last clear, of one drive or all.
    size_t Count(UINT command, char letter = 0) const
    {
        size_t n = 0;
        for (const simcd::SimJournalEntry& e : m_sim.GetJournal())
            n += e.command == command && (letter == 0 || e.drive == letter);
        return n;
    }

    simcd::SimController m_sim;
    CWnd m_host;
    CTestDriveList m_list;
};

CWinApp theApp;

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
}  // namespace

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
    ASSERT_TRUE(m_sim.RemoveDrive('E') && m_sim.RemoveDrive('F') && m_sim.RemoveDrive('G'));
    m_list.RefreshDrives();
    EXPECT_EQ("D:", Rows());
    EXPECT_EQ(static_cast<UINT>(LVIS_FOCUSED), m_list.GetItemState(0, LVIS_FOCUSED | LVIS_SELECTED));
}

TEST_F(DriveListTest, SlidersFollowTheirRowsAndTimeAndPositionPutTheDriveFurthestIntoItsDiscFirst)
{
    // Discs of 100, 400 (from 300 s on), 200 and 1000 s, three of 180 s and
    // an empty drive, F, whose slider has no range.
    const struct
    {
        char letter;
        std::vector<uint32_t> tracks;
        uint32_t dwStart, dwSeek;
    } drives[] = {
        { 'D', { 100000 }, 2000, 50000 },  { 'E', { 400000 }, 300000, 310000 }, { 'F', {}, 0, 0 },
        { 'G', { 200000 }, 2000, 180000 }, { 'H', { 1000000 }, 2000, 600000 },  { 'I', kTracks, 2000, 0x80000000u },
        { 'J', kTracks, 2000, 20000 },     { 'K', kTracks, 2000, 10000 },
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
    const struct
    {
        DWORD dwFirst, dwSecond;
        bool bRead;
    } queries[] = { { 5, 4, true }, { 5, 8, false }, { 0, 4, false }, { 5, 0, false } };
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

TEST_F(DriveListTest, JapaneseVolumeLabelShowsInTheRowAndOneLongerThanACdsIsRefused)
{
    ASSERT_TRUE(m_sim.BuildDemo()) << m_sim.GetLastError();
    const std::string strLongest = "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二";
    ASSERT_TRUE(m_sim.DefineDrive('K', strLongest)) << m_sim.GetLastError();
    EXPECT_FALSE(m_sim.DefineDrive('L', strLongest + "三"));
    EXPECT_EQ("volume label longer than 32 characters (a CD's longest)", m_sim.GetLastError());
    CreateList();
    EXPECT_EQ("夜想曲集 (E:)", Text('E', 0));
    EXPECT_EQ(strLongest + " (K:)", Text('K', 0));
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
        EXPECT_EQ(std::make_pair(size_t{ 1 }, size_t{ 1 }),
                  std::make_pair(Count(MCI_STOP, letter), Count(MCI_CLOSE_DRIVER, letter)));
    EXPECT_EQ(nullptr, m_list.m_hImagesAtNcDestroy) << "the list view would destroy the shared image list";
}

TEST_F(DriveListTest, DriveRemovedWhileItsThumbIsDraggedLeavesTheDragsEndNoDeviceToSeek)
{
    Drives("DE");
    CreateList();
    CSliderCtrl& slider = Item('D')->m_wndSlider;
    RECT thumb = {};
    slider.SendMessage(TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    slider.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON,
                       MAKELPARAM((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2));
    ASSERT_EQ(slider.m_hWnd, ::GetCapture());
    m_list.m_scrolled.clear();
    ASSERT_TRUE(m_sim.RemoveDrive('D'));
    m_list.RefreshDrives();
    EXPECT_EQ("E:", Rows());
    ASSERT_FALSE(m_list.m_scrolled.empty()) << "the slider reported no end of its drag";
    for (const CCDAudioDevice* pDevice : m_list.m_scrolled)
        EXPECT_EQ(nullptr, pDevice) << "the drag's end found the row's deleted device";
}

// The 100 ms refresh.
TEST_F(DriveListTest, StateAndTimeTextsFollowTheDriveAndTheThumbAndSortDescending)
{
    EXPECT_EQ(" 0:00:00", std::string(CCDDriveListWnd::FormatPosition(0)));
    Drives("D", { 3600000, 600000 });
    Drives("EFGH");
    Drives("I", {});
    CreateList();
    // D stopped, E playing, F paused, G open, H not ready, I empty.
    ASSERT_TRUE(Device('E')->Play() && Device('F')->Play() && Device('F')->Pause());
    ASSERT_TRUE(m_sim.OpenDoor('G') && m_sim.SetFaults('H', simcd::kFaultNotReady));
    Device('D')->Seek(3723000);
    Tick();
    EXPECT_EQ(" 0:00:02", Text('D', 2)) << "the thumb stood at the disc's start";
    Tick();
    EXPECT_EQ(" 1:02:03", Text('D', 2));
    const char* const states[] = { "停止", "再生中", "", "", "", "空" };
    for (char letter = 'D'; letter <= 'I'; letter++)
        EXPECT_EQ(states[letter - 'D'], Text(letter, 1)) << letter;
    EXPECT_EQ("", Text('I', 2));

    DropDevice('I');
    ClickColumn(1);
    EXPECT_EQ("G: F: E: D:", Rows().substr(0, 11)) << "open, paused, playing, stopped, then the rest";
    ClickColumn(2);
    EXPECT_EQ(5, RowOf('I')) << "a row without a device is at 0 ms";

    // A drag: the slider holds the capture, the time follows the thumb.
    CSliderCtrl& slider = Item('D')->m_wndSlider;
    ::SetCapture(slider.m_hWnd);
    slider.SetPos(500000);
    m_list.SendMessage(WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 0), reinterpret_cast<LPARAM>(slider.m_hWnd));
    Tick(3);
    EXPECT_EQ(" 0:08:20", Text('D', 2));
    EXPECT_EQ(500000, slider.GetPos());
    ::ReleaseCapture();  // ends the drag: the drive goes to the thumb
    EXPECT_EQ(500000u, Device('D')->GetPosition());
}

TEST_F(DriveListTest, OrdinaryTickOnlyAsksModeAndPositionAndTheTenthReconcilesAndReopens)
{
    Drives("DEFHJKLM");
    Drives("G", {});
    ASSERT_TRUE(m_sim.SetFaults('J', simcd::kFaultOpenFails) && m_sim.SetFaults('K', simcd::kFaultZeroTracks));
    CreateList();
    DropDevice('L');
    ASSERT_TRUE(Device('D')->Play() && Device('F')->Play() && Device('F')->Pause());  // E stopped
    // M's play has ended without a notification, away from where the drive
    // stood before: the first tick takes the end.
    Device('M')->GetDrivePosition();
    ASSERT_TRUE(m_sim.SetProfile('M', simcd::kProfileSilentStop) && Device('M')->Seek(181950) && Device('M')->Play());
    ::Sleep(100);
    m_list.SetItemText(0, 0, "x");  // written only from a shell query
    // Drives and discs that come and go wait for the whole second.
    Drives("I", {});
    ASSERT_TRUE(m_sim.RemoveDrive('H') && m_sim.RemoveDisc('E') && m_sim.InsertDisc('G', kTracks));
    for (int nTick = 1; nTick <= 9; nTick++)
    {
        m_sim.ClearJournal();
        Tick();
        for (const simcd::SimJournalEntry& e : m_sim.GetJournal())
            EXPECT_TRUE(e.command == MCI_STATUS && (e.item == MCI_STATUS_MODE || e.item == MCI_STATUS_POSITION) &&
                        std::string("GJKL").find(e.drive) == std::string::npos)
                << e.drive << ": command " << e.command << ", item " << e.item << " on tick " << nTick;
        EXPECT_EQ(3u, Count(MCI_STATUS, 'D')) << "playing: mode, then mode and position";
        EXPECT_LE(std::max(Count(MCI_STATUS, 'E'), Count(MCI_STATUS, 'F')), 3u);
        EXPECT_EQ(nTick == 1 ? 3u : 2u, Count(MCI_STATUS, 'M')) << "stopped: mode, mode, and the drive's position once";
        EXPECT_EQ("D: E: F: G: H: J: K: L: M:", Rows());
        EXPECT_EQ("x", Text('D', 0));
    }
    for (char letter : { 'G', 'J', 'K', 'L' })
        EXPECT_EQ("空", Text(letter, 1)) << letter;
    m_sim.ClearJournal();
    Tick();
    EXPECT_EQ("D: E: F: G: I: J: K: L: M:", Rows());
    EXPECT_EQ(" (D:)", Text('D', 0));
    for (char letter : { 'E', 'G', 'I', 'J', 'K', 'L' })
        EXPECT_EQ(1u, Count(MCI_OPEN_DRIVER, letter)) << letter;
    EXPECT_EQ(6u, Count(MCI_OPEN_DRIVER)) << "no reload of a drive that plays, stops or pauses";
    ASSERT_TRUE(m_sim.ClearFaults('J') && m_sim.ClearFaults('K'));
    Tick(11);
    EXPECT_EQ("空", Text('E', 1));
    for (char letter : { 'G', 'J', 'K', 'L' })
        EXPECT_EQ("停止", Text(letter, 1)) << letter;
}

// Texts are written only when they change, from what each row's record
// remembers: they must stay with their drive whatever moves the rows.
TEST_F(DriveListTest, EveryRowShowsItsOwnDrivesTextsAfterChangesSortsReloadsAndReturns)
{
    Drives("DEF");
    CreateList();
    Device('E')->Seek(60000);
    Device('F')->Seek(120000);
    // Every row stopped, at these times of D, E and F ("m:ss" each).
    auto expect = [&](const char* pszTimes) {
        for (char letter = 'D'; letter <= 'F'; letter++)
        {
            EXPECT_EQ("停止", Text(letter, 1)) << letter;
            EXPECT_EQ(" 0:0" + std::string(pszTimes + (letter - 'D') * 5, 4), Text(letter, 2)) << letter;
        }
    };
    Tick(2);
    expect("0:02 1:00 2:00 ");

    ASSERT_TRUE(Device('D')->Play());
    Tick();
    EXPECT_EQ("再生中", Text('D', 1)) << "a new state on the next tick";
    ASSERT_TRUE(Device('D')->Stop());
    Device('D')->Seek(30000);
    Tick(2);
    expect("0:30 1:00 2:00 ");

    for (int nColumn : { 2, 0 })
    {
        ClickColumn(nColumn);
        Tick(2);
        expect("0:30 1:00 2:00 ");
    }

    // E's disc goes and comes back (two reloads), F's drive goes and comes
    // back (a new row); both start again from the disc's start.
    ASSERT_TRUE(m_sim.RemoveDisc('E') && m_sim.RemoveDrive('F'));
    Tick(10);
    EXPECT_EQ("D: E:", Rows());
    Tick();
    EXPECT_EQ("空", Text('E', 1));
    EXPECT_EQ("", Text('E', 2));
    Drives("F");
    ASSERT_TRUE(m_sim.InsertDisc('E', kTracks));
    Tick(10);
    Tick(2);
    expect("0:30 0:02 0:02 ");
}

// A thumb moved without repainting, because it keeps its pixel, stands
// where the trackbar would draw it afresh.
TEST_F(DriveListTest, ThumbsStandWhereTheTrackbarWouldDrawThemAtEveryTick)
{
    Drives("D");
    CreateList();
    ASSERT_TRUE(m_sim.SetTimeFactor(20.0) && Device('D')->Play());
    CSliderCtrl& slider = Item('D')->m_wndSlider;
    int nMoves = 0;
    for (int n = 0; n < 40; n++)
    {
        CRect before, thumb, drawn;
        slider.GetThumbRect(&before);
        Tick();
        slider.GetThumbRect(&thumb);
        nMoves += !(thumb == before);
        const int nPos = slider.GetPos();
        slider.SendMessage(TBM_SETPOS, TRUE, slider.GetRangeMin());
        slider.SendMessage(TBM_SETPOS, TRUE, nPos);
        slider.GetThumbRect(&drawn);
        ASSERT_EQ(drawn, thumb) << "tick " << n << ", position " << nPos;
        ::Sleep(5);
    }
    EXPECT_GT(nMoves, 0);
    EXPECT_LT(nMoves, 40) << "some ticks keep the thumb's pixel";
}
