// The rows' position sliders as the frame hosts them.
#include "FrameTestSupport.h"

TEST_F(FrameTest, SliderDragShowsTheTimeReleaseSeeksAndAnyUseSelectsItsRowAlone)
{
    auto expectOnly = [&](char selected, const char* what) {
        for (char drive : { 'D', 'E', 'F', 'G' })
            EXPECT_EQ(drive == selected ? kSelectedAndFocused : 0u, State(drive)) << drive << " after " << what;
    };
    Device('D')->Play();
    const struct
    {
        char drive;
        UINT nCode;
        int nPos;
        const char* log;
        DWORD dwAfter;
    } cases[] = {
        { 'D', TB_THUMBTRACK, 100000, "", 2000 },
        { 'D', TB_THUMBPOSITION, 125000, "D:pause D:play@125000", 125000 },
        { 'D', TB_ENDTRACK, 125000, "D:pause D:play@125000", 125000 },
        { 'E', TB_LINEDOWN, 70000, "", 70000 },  // stopped: where its next play starts
        { 'G', TB_PAGEUP, 0, "", 0 },
    };
    for (const auto& c : cases)
    {
        Select("DEFG");
        List().SetItemState(Row(c.drive == 'D' ? 'F' : 'D'), LVIS_FOCUSED, LVIS_FOCUSED);
        Slider(c.drive).SetPos(c.nPos);
        m_ctl.ClearJournal();
        Scroll(Slider(c.drive).m_hWnd, c.nCode);
        EXPECT_EQ(c.log, Log()) << c.drive << " code " << c.nCode;
        EXPECT_EQ(c.dwAfter, Device(c.drive)->GetPosition()) << c.drive << " code " << c.nCode;
        expectOnly(c.drive, "a slider's message");
    }
    EXPECT_EQ(CString(" 0:01:40"), List().GetItemText(Row('D'), 2));  // written by the drag alone

    // Scroll messages from elsewhere change no row.
    Scroll(nullptr, SB_LINERIGHT);
    Scroll(reinterpret_cast<HWND>(List().SendMessage(LVM_GETHEADER)), SB_PAGERIGHT);
    Scroll(m_pFrame->m_wndRepeatButton.m_hWnd, TB_ENDTRACK);
    expectOnly('G', "other scroll messages");

    // A row without a device.
    CDriveItem* pItem = List().GetDriveItem(Row('F'));
    pItem->m_pDevice.reset();
    m_ctl.ClearJournal();
    for (UINT nCode : { TB_THUMBTRACK, TB_THUMBPOSITION, TB_ENDTRACK })
        Scroll(Slider('F').m_hWnd, nCode);
    expectOnly('F', "the slider of a row without a device");
    EXPECT_EQ("", Log(true));
}

TEST_F(FrameTest, SlidersGetTheWindowBrushAndFollowTheColumnsAtOnce)
{
    EXPECT_EQ(reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW)),
              List().SendMessage(WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(Slider('E').m_hWnd)));

    // Without the periodic refresh only the header's notifications can move them.
    ::KillTimer(List().m_hWnd, CCDDriveListWnd::IDT_STATUS);
    List().SendMessage(LVM_SETCOLUMNWIDTH, 0, List().SendMessage(LVM_GETCOLUMNWIDTH, 0) + 100);
    Pump();
    for (char drive : { 'D', 'E', 'F', 'G' })
    {
        CRect cell, slider;
        List().GetSubItemRect(Row(drive), 3, LVIR_BOUNDS, cell);
        cell.InflateRect(-1, -1);
        Slider(drive).GetWindowRect(&slider);
        ::MapWindowPoints(nullptr, List().m_hWnd, reinterpret_cast<LPPOINT>(&slider), 2);
        EXPECT_EQ(cell, slider) << drive;
    }
}

// Keys on a slider move its drive but never scroll the list sideways. The
// release of an accelerator's key (Alt+Right, Alt let go first) must not end
// a keyboard step there and seek the drive back.
TEST_F(FrameTest, KeysOnASliderSeekWithoutScrollingTheListButAnAcceleratorsReleaseDoesNot)
{
    m_pFrame->MoveWindow(200, 150, 360, 360);  // narrow: the list can scroll sideways
    Pump();
    SCROLLINFO si = { sizeof si, SIF_ALL, 0, 0, 0, 0, 0 };
    ASSERT_TRUE(::GetScrollInfo(List().m_hWnd, SB_HORZ, &si));
    ASSERT_GT(si.nMax - static_cast<int>(si.nPage), 0) << "the list has nothing to scroll";
    for (WPARAM vk : { VK_NEXT, VK_RIGHT })
    {
        Slider('D').SendMessage(WM_KEYDOWN, vk, 0);
        Slider('D').SendMessage(WM_KEYUP, vk, 0);
    }
    EXPECT_EQ(si.nPos, ::GetScrollPos(List().m_hWnd, SB_HORZ));
    EXPECT_EQ(2000u + 60000 + 10000, Device('D')->GetPosition());
    EXPECT_EQ(kSelectedAndFocused, State('D'));

    Device('D')->Play();
    ::SetForegroundWindow(m_pFrame->m_hWnd);
    Slider('D').SetFocus();
    ASSERT_EQ(Slider('D').m_hWnd, ::GetFocus());
    m_ctl.ClearJournal();
    const BYTE vk[4] = { VK_MENU, VK_RIGHT, VK_MENU, VK_RIGHT };
    for (int i = 0; i < 4; i++)
        ::keybd_event(vk[i], 0, i < 2 ? 0 : KEYEVENTF_KEYUP, 0);
    Pump(300);
    EXPECT_EQ("D:pause D:play@152000", Log());
}
