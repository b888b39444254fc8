// The drive list's context menu in the frame. The menu runs its own modal
// loop; once it waits for input, its owner hears WM_ENTERIDLE, and the test
// notes where the menu opened, then dismisses it or picks an entry by its
// mnemonic.
#include "FrameTestSupport.h"

namespace
{
const CPoint kNotShown(-9999, -9999);
WPARAM g_chooseKey;
CPoint g_shownAt;

LRESULT CALLBACK OnMenuIdle(int nCode, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT& msg = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    HWND hMenu = reinterpret_cast<HWND>(msg.lParam);
    if (nCode == HC_ACTION && msg.message == WM_ENTERIDLE && msg.wParam == MSGF_MENU && g_shownAt == kNotShown)
    {
        CRect rect;
        ::GetWindowRect(hMenu, &rect);
        g_shownAt = rect.TopLeft();
        if (g_chooseKey != 0)
            ::PostMessageA(hMenu, WM_CHAR, g_chooseKey, 0);
        else
            ::EndMenu();
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

// Sends the request as the system would; returns where the menu opened.
CPoint Request(CWnd& list, CPoint point, WPARAM chooseKey = 0)
{
    g_chooseKey = chooseKey;
    g_shownAt = kNotShown;
    HHOOK hHook = ::SetWindowsHookExA(WH_CALLWNDPROC, OnMenuIdle, nullptr, ::GetCurrentThreadId());
    list.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list.m_hWnd),
                     MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
    ::UnhookWindowsHookEx(hHook);
    return g_shownAt;
}
}  // namespace

// A negative point is the keyboard's request: the focused row's icon, or
// else the received point taken in the list's client area, one further.
TEST_F(FrameTest, ContextMenuOpensWhereAskedAndCarriesOutTheChosenEntryBeforeReturning)
{
    auto onScreen = [&](CPoint point) {
        List().ClientToScreen(&point);
        return point;
    };
    auto iconCentre = [&](char drive) {
        CRect rect;
        List().GetItemRect(Row(drive), rect, LVIR_ICON);
        return onScreen(rect.CenterPoint());
    };
    List().SetItemState(Row('F'), LVIS_FOCUSED, LVIS_FOCUSED);
    EXPECT_EQ(iconCentre('F'), Request(List(), CPoint(-1, -1)));
    List().SetItemState(Row('E'), LVIS_FOCUSED, LVIS_FOCUSED);
    EXPECT_EQ(iconCentre('E'), Request(List(), CPoint(-40, 30)));
    List().SetItemState(-1, 0, LVIS_FOCUSED);
    EXPECT_EQ(onScreen(CPoint(0, 0)), Request(List(), CPoint(-1, -1)));
    EXPECT_EQ(onScreen(CPoint(51, -19)), Request(List(), CPoint(50, -20)));
    EXPECT_EQ(onScreen(CPoint(120, 40)), Request(List(), onScreen(CPoint(120, 40))));

    // Dismissed, the menu sends nothing; chosen, its entry acts at once.
    Select("EG");
    m_ctl.ClearJournal();
    ASSERT_NE(kNotShown, Request(List(), CPoint(-1, -1)));
    EXPECT_EQ("", Log());
    EXPECT_FALSE(m_pFrame->m_bRepeat);
    ASSERT_NE(kNotShown, Request(List(), CPoint(-1, -1), 'j'));
    EXPECT_EQ("E:eject G:eject", Log());
}
