// The rows' position sliders as the frame hosts them: what their scroll
// messages do to the rows and the drives, their background, and how they
// follow the columns.
#include "FrameTestSupport.h"

#include <mmddk.h>

#include "res/resource.h"

namespace
{
using StepList = std::vector<Step>;
const UINT kSelectedAndFocused = LVIS_SELECTED | LVIS_FOCUSED;

// A child's rectangle in its parent's client coordinates.
CRect ChildRect(HWND hChild)
{
    CRect rect;
    ::GetWindowRect(hChild, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(hChild), reinterpret_cast<LPPOINT>(&rect), 2);
    return rect;
}
}

class SliderTest : public FrameTest
{
protected:
    // A scroll message as the slider sends it to the list; the position it
    // carries is deliberately not the slider's.
    void Scroll(char drive, UINT nCode)
    {
        List().SendMessage(WM_HSCROLL, MAKEWPARAM(nCode, 7), reinterpret_cast<LPARAM>(Slider(drive).m_hWnd));
    }
};

TEST_F(SliderTest, DragShowsTheThumbsTimeAndTheReleaseSeeksThePlayingDrive)
{
    Device('D')->Play();
    Select({ 'E', 'F' });
    m_ctl.ClearJournal();

    Slider('D').SetPos(100000);
    Scroll('D', TB_THUMBTRACK);
    EXPECT_EQ(CString(" 0:01:40"), List().GetItemText(Row('D'), 2));
    EXPECT_TRUE(Transport().empty());
    EXPECT_EQ(kSelectedAndFocused, State('D'));

    Slider('D').SetPos(125000);
    Scroll('D', TB_THUMBTRACK);
    EXPECT_EQ(CString(" 0:02:05"), List().GetItemText(Row('D'), 2));
    EXPECT_TRUE(Transport().empty());

    // The release moves the drive to the slider's own position, once for
    // each of the last two messages of a drag.
    Scroll('D', TB_THUMBPOSITION);
    Scroll('D', TB_ENDTRACK);
    EXPECT_EQ((StepList{ Pause('D'), Play('D'), Pause('D'), Play('D') }), Transport());
    for (const simcd::SimJournalEntry& play : Entries(MCI_PLAY))
        EXPECT_EQ(125000u, play.from);
    EXPECT_EQ(static_cast<uint32_t>(MCI_MODE_PLAY), Drive('D').mode);
    EXPECT_EQ(CString(" 0:02:05"), List().GetItemText(Row('D'), 2));
}

TEST_F(SliderTest, MovingTheSliderOfAStoppedDriveSetsWhereItsNextPlayStarts)
{
    Select({ 'D' });
    Slider('E').SetPos(70000);
    Scroll('E', TB_PAGEDOWN);
    Scroll('E', TB_ENDTRACK);
    EXPECT_TRUE(Transport().empty());
    EXPECT_EQ(static_cast<uint32_t>(MCI_MODE_STOP), Drive('E').mode);
    EXPECT_EQ(70000u, Device('E')->GetPosition());

    // The slider left E as the selected drive.
    Command(ID_CD_PLAY);
    EXPECT_EQ((StepList{ Play('E') }), Transport());
    EXPECT_EQ(70000u, Entries(MCI_PLAY).front().from);
}

TEST_F(SliderTest, AnyUseMakesTheSlidersRowTheOnlySelectedAndFocusedOne)
{
    for (UINT nCode : { TB_LINEDOWN, TB_THUMBTRACK, TB_ENDTRACK })
    {
        Select({ 'D', 'E', 'G' });
        List().SetItemState(Row('D'), LVIS_FOCUSED, LVIS_FOCUSED);
        Scroll('F', nCode);
        EXPECT_EQ(0u, State('D')) << "code " << nCode;
        EXPECT_EQ(0u, State('E')) << "code " << nCode;
        EXPECT_EQ(kSelectedAndFocused, State('F')) << "code " << nCode;
        EXPECT_EQ(0u, State('G')) << "code " << nCode;
    }

    // The empty drive's slider, and a row that has no device at all.
    Scroll('G', TB_PAGEUP);
    EXPECT_EQ(kSelectedAndFocused, State('G'));
    EXPECT_EQ(0u, State('F'));

    CDriveItem* pItem = List().GetDriveItem(Row('E'));
    delete pItem->m_pDevice;
    pItem->m_pDevice = nullptr;
    m_ctl.ClearJournal();
    for (UINT nCode : { TB_THUMBTRACK, TB_THUMBPOSITION, TB_ENDTRACK })
        Scroll('E', nCode);
    EXPECT_EQ(kSelectedAndFocused, State('E'));
    EXPECT_EQ(0u, State('G'));
    EXPECT_TRUE(Steps().empty());
}

TEST_F(SliderTest, ScrollMessagesFromElsewhereChangeNoRow)
{
    Select({ 'D', 'F' });
    List().SetItemState(Row('F'), LVIS_FOCUSED, LVIS_FOCUSED);
    const UINT before[] = { State('D'), State('E'), State('F'), State('G') };

    HWND hHeader = reinterpret_cast<HWND>(List().SendMessage(LVM_GETHEADER));
    ASSERT_NE(nullptr, hHeader);
    List().SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0);
    List().SendMessage(WM_HSCROLL, MAKEWPARAM(SB_PAGERIGHT, 0), reinterpret_cast<LPARAM>(hHeader));
    List().SendMessage(WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
                       reinterpret_cast<LPARAM>(m_pFrame->m_wndRepeatButton.m_hWnd));

    const UINT after[] = { State('D'), State('E'), State('F'), State('G') };
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(before[i], after[i]) << "row " << i;
    EXPECT_TRUE(Transport().empty());
}

TEST_F(SliderTest, KeyboardStepsOnASliderSeekButNeverScrollTheList)
{
    // Narrow enough for the list to have a horizontal scroll bar.
    m_pFrame->MoveWindow(60, 40, 360, 360);
    Pump();
    HWND hList = List().m_hWnd;
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(::GetScrollInfo(hList, SB_HORZ, &si));
    ASSERT_GT(si.nMax - static_cast<int>(si.nPage), 0) << "the list has nothing to scroll";
    const int nScroll = ::GetScrollPos(hList, SB_HORZ);

    CSliderCtrl& slider = Slider('D');
    slider.SendMessage(WM_KEYDOWN, VK_NEXT, 0);
    slider.SendMessage(WM_KEYUP, VK_NEXT, 0);
    slider.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
    slider.SendMessage(WM_KEYUP, VK_RIGHT, 0);

    EXPECT_EQ(nScroll, ::GetScrollPos(hList, SB_HORZ));
    EXPECT_EQ(2000 + 60000 + 10000, slider.GetPos());
    EXPECT_EQ(72000u, Device('D')->GetPosition());
    EXPECT_EQ(kSelectedAndFocused, State('D'));
}

TEST_F(SliderTest, SlidersAreDrawnOnTheWindowColourInSelectedRowsToo)
{
    HDC hDC = ::GetDC(Slider('E').m_hWnd);
    const LRESULT brush = List().SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                                             reinterpret_cast<LPARAM>(Slider('E').m_hWnd));
    ::ReleaseDC(Slider('E').m_hWnd, hDC);
    EXPECT_EQ(reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW)), brush);

    // On the screen: a corner of the slider in a selected, highlighted row.
    Select({ 'E' });
    List().SetFocus();
    List().UpdateWindow();
    Slider('E').InvalidateRect(nullptr, TRUE);
    Slider('E').UpdateWindow();
    CRect rect;
    Slider('E').GetWindowRect(&rect);
    HDC hScreen = ::GetDC(nullptr);
    const COLORREF corner = ::GetPixel(hScreen, rect.right - 2, rect.bottom - 2);
    ::ReleaseDC(nullptr, hScreen);
    EXPECT_EQ(::GetSysColor(COLOR_WINDOW), corner);
}

TEST_F(SliderTest, ColumnWidthChangesReplaceTheSlidersAtOnce)
{
    // Without the periodic refresh only the header's notifications can move
    // the sliders.
    ::KillTimer(List().m_hWnd, CCDDriveListWnd::IDT_STATUS);
    auto cell = [&](char drive) {
        CRect rect;
        List().GetSubItemRect(Row(drive), 3, LVIR_BOUNDS, rect);
        rect.InflateRect(-1, -1);
        return rect;
    };
    const CRect before = ChildRect(Slider('E').m_hWnd);
    ASSERT_EQ(cell('E'), before);

    List().SendMessage(LVM_SETCOLUMNWIDTH, 0, 260);
    Pump();
    for (char drive : { 'D', 'E', 'F', 'G' })
        EXPECT_EQ(cell(drive), ChildRect(Slider(drive).m_hWnd)) << drive;
    EXPECT_EQ(before.left + 100, ChildRect(Slider('E').m_hWnd).left);
}

TEST_F(SliderTest, ReleasingAnAcceleratorsKeyOnASliderDoesNotSeekBack)
{
    // The focus in D:'s slider, as after a drag; Alt+Right, Alt released
    // first: the Right key's release must not end a step on the slider.
    Device('D')->Seek(91000);
    Device('D')->Play();
    Select({ 'D' });
    Slider('D').SetPos(91000);
    ::SetForegroundWindow(m_pFrame->m_hWnd);
    Slider('D').SetFocus();
    ASSERT_EQ(Slider('D').m_hWnd, ::GetFocus());
    m_ctl.ClearJournal();

    INPUT keys[4] = {};
    const WORD vk[4] = { VK_MENU, VK_RIGHT, VK_MENU, VK_RIGHT };
    for (int i = 0; i < 4; i++)
    {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = vk[i];
        keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    ASSERT_EQ(4u, ::SendInput(4, keys, sizeof(INPUT)));
    PumpUntil([&] { return Transport().size() >= 2; });
    PumpUntil([] { return false; }, 200);

    EXPECT_EQ((StepList{ Pause('D'), Play('D') }), Transport());
    for (const simcd::SimJournalEntry& play : Entries(MCI_PLAY))
        EXPECT_EQ(152000u, play.from);
}
