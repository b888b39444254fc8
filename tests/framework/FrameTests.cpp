// The frame: command routing, command states of menus and bar buttons, the
// View commands and layout, status prompts, and the application's loop.
#include "TestApp.h"

#include <gtest/gtest.h>

namespace {

class FrameTest : public testing::Test
{
protected:
    void SetUp() override
    {
        frame = new CTestFrame;
        theApp.m_pMainWnd = frame;
        ASSERT_TRUE(frame->LoadFrame(IDR_TESTFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
        frame->MoveWindow(0, 0, 500, 300);
        frame->ShowWindow(SW_SHOW);
        frame->UpdateWindow();
        Pump();
    }

    void TearDown() override
    {
        if (theApp.m_pMainWnd != nullptr)
            theApp.m_pMainWnd->DestroyWindow();
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        theApp.m_nApp = theApp.m_nBoth = 0;
    }

    void Command(UINT nID) { frame->SendMessage(WM_COMMAND, nID); }

    // The menu pop-up holding ID_TEST_FRAME, as it is shown when it opens.
    HMENU OpenTestMenu()
    {
        HMENU hPopup = ::GetSubMenu(::GetMenu(frame->m_hWnd), 2);
        frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), 2);
        return hPopup;
    }

    static UINT ItemState(HMENU hMenu, UINT nID) { return ::GetMenuState(hMenu, nID, MF_BYCOMMAND); }

    CString StatusText() { return frame->m_wndStatusBar.GetPaneText(0); }

    HWND Button(UINT nID) { return ::GetDlgItem(frame->m_wndBar.m_hWnd, static_cast<int>(nID)); }

    CTestFrame* frame = nullptr;
};

}  // namespace

TEST_F(FrameTest, LoadFrameTakesTitleMenuAndAccelerators)
{
    CString title;
    frame->GetWindowText(title);
    EXPECT_EQ(CString("テスト枠"), title);
    EXPECT_NE(nullptr, ::GetMenu(frame->m_hWnd));
    EXPECT_NE(nullptr, frame->m_hAccelTable);
    EXPECT_TRUE(frame->GetExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_STREQ("フレームワーク試験", theApp.m_pszAppName);
    EXPECT_STREQ("framework_window_tests", theApp.m_pszExeName);
}

TEST_F(FrameTest, CommandsGoThroughTheOverrideThenTheFrameThenTheApplication)
{
    Command(ID_TEST_FRAME);
    Command(ID_TEST_APP);
    Command(ID_TEST_BOTH);
    Command(ID_TEST_NONE);
    EXPECT_EQ((std::vector<UINT>{ID_TEST_FRAME, ID_TEST_APP, ID_TEST_BOTH, ID_TEST_NONE}),
              frame->m_overrideLog);
    EXPECT_EQ(1, frame->m_nFrame);
    EXPECT_EQ(1, theApp.m_nApp);
    EXPECT_EQ(1, frame->m_nBoth);  // the frame's handler wins
    EXPECT_EQ(0, theApp.m_nBoth);
    EXPECT_FALSE(frame->OnCmdMsg(ID_TEST_NONE, CN_COMMAND, nullptr, nullptr));

    // A handler found without being called.
    AFX_CMDHANDLERINFO info = {};
    EXPECT_TRUE(frame->OnCmdMsg(ID_TEST_APP, CN_COMMAND, nullptr, &info));
    EXPECT_EQ(&theApp, info.pTarget);
    EXPECT_EQ(1, theApp.m_nApp);

    // A menu command or accelerator whose update handler disables it is not run.
    Command(ID_TEST_DISABLED);
    EXPECT_EQ(0, frame->m_nDisabled);
}

TEST_F(FrameTest, AcceleratorsAreTranslatedByTheApplicationPump)
{
    frame->m_wndPane.SetFocus();
    frame->m_wndPane.PostMessage(WM_KEYDOWN, VK_F5, 1);
    frame->m_wndPane.PostMessage(WM_KEYDOWN, VK_F6, 1);  // disabled by its update handler
    Pump();
    EXPECT_EQ(1, frame->m_nFrame);
    EXPECT_EQ(0, frame->m_nDisabled);
}

TEST_F(FrameTest, MenuStatesComeFromHandlersAndUpdateHandlersOnly)
{
    HMENU hMenu = OpenTestMenu();
    EXPECT_EQ(0u, ItemState(hMenu, ID_TEST_FRAME) & (MF_GRAYED | MF_CHECKED));
    EXPECT_EQ(0u, ItemState(hMenu, ID_TEST_APP) & MF_GRAYED);  // handled by the application
    EXPECT_TRUE(ItemState(hMenu, ID_TEST_NONE) & MF_GRAYED);   // handled by nobody
    EXPECT_TRUE(ItemState(hMenu, ID_TEST_DISABLED) & MF_GRAYED);
    EXPECT_EQ(0u, ItemState(hMenu, ID_TEST_CHECK) & (MF_GRAYED | MF_CHECKED));

    frame->m_bChecked = true;
    hMenu = OpenTestMenu();
    EXPECT_TRUE(ItemState(hMenu, ID_TEST_CHECK) & MF_CHECKED);
    EXPECT_EQ(0u, ItemState(hMenu, ID_TEST_CHECK) & MF_GRAYED);  // its command handler enables it
    frame->m_bChecked = false;
    hMenu = OpenTestMenu();
    EXPECT_EQ(0u, ItemState(hMenu, ID_TEST_CHECK) & MF_CHECKED);

    // A pop-up loaded afresh and shown for the frame is updated the same way.
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TESTFRAME));
    CMenu* pPopup = menu.GetSubMenu(2);
    ASSERT_NE(nullptr, pPopup);
    EXPECT_EQ(pPopup, menu.GetSubMenu(2));
    EXPECT_EQ(nullptr, pPopup->GetSubMenu(0));
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(pPopup->m_hMenu), 2);
    EXPECT_TRUE(ItemState(pPopup->m_hMenu, ID_TEST_NONE) & MF_GRAYED);
    EXPECT_TRUE(menu.DestroyMenu());
    EXPECT_EQ(nullptr, menu.m_hMenu);
}

TEST_F(FrameTest, BarButtonsFollowHandlersAtIdleTime)
{
    theApp.OnIdle(0);
    EXPECT_TRUE(::IsWindowEnabled(Button(ID_TEST_FRAME)));
    EXPECT_FALSE(::IsWindowEnabled(Button(ID_TEST_NONE)));
    EXPECT_TRUE(::IsWindowEnabled(Button(ID_TEST_CHECK)));
    EXPECT_EQ(BST_UNCHECKED, ::SendMessageA(Button(ID_TEST_CHECK), BM_GETCHECK, 0, 0));

    // A click reaches the frame as its command; the button does not check itself.
    ::SendMessageA(Button(ID_TEST_CHECK), BM_CLICK, 0, 0);
    EXPECT_EQ(1, frame->m_nCheck);
    EXPECT_EQ(BST_UNCHECKED, ::SendMessageA(Button(ID_TEST_CHECK), BM_GETCHECK, 0, 0));

    frame->m_bChecked = true;
    theApp.OnIdle(0);
    EXPECT_EQ(BST_CHECKED, ::SendMessageA(Button(ID_TEST_CHECK), BM_GETCHECK, 0, 0));
    frame->m_bChecked = false;
    theApp.OnIdle(0);
    EXPECT_EQ(BST_UNCHECKED, ::SendMessageA(Button(ID_TEST_CHECK), BM_GETCHECK, 0, 0));
}

TEST_F(FrameTest, ViewCommandsHideBarsAndThePaneTakesTheirPlace)
{
    HWND hBar = frame->m_wndBar.m_hWnd;
    HWND hStatus = frame->m_wndStatusBar.m_hWnd;
    CRect client;
    frame->GetClientRect(&client);
    CRect bar = ChildRect(hBar);
    CRect status = ChildRect(hStatus);
    CRect pane = ChildRect(frame->m_wndPane.m_hWnd);
    EXPECT_EQ(CRect(0, 0, client.right, bar.bottom), bar);
    EXPECT_GE(bar.Height(), 30);  // the template's 22 units and a border
    EXPECT_EQ(client.bottom, status.bottom);
    EXPECT_EQ(CRect(0, bar.bottom, client.right, status.top), pane);

    Command(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(::IsWindowVisible(hBar));
    EXPECT_EQ(CRect(0, 0, client.right, status.top), ChildRect(frame->m_wndPane.m_hWnd));
    Command(ID_VIEW_STATUS_BAR);
    EXPECT_EQ(client, ChildRect(frame->m_wndPane.m_hWnd));

    HMENU hView = ::GetSubMenu(::GetMenu(frame->m_hWnd), 1);
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hView), 1);
    EXPECT_EQ(0u, ItemState(hView, ID_VIEW_TOOLBAR) & MF_CHECKED);
    EXPECT_EQ(0u, ItemState(hView, ID_VIEW_STATUS_BAR) & MF_CHECKED);

    Command(ID_VIEW_TOOLBAR);
    Command(ID_VIEW_STATUS_BAR);
    EXPECT_EQ(pane, ChildRect(frame->m_wndPane.m_hWnd));
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hView), 1);
    EXPECT_TRUE(ItemState(hView, ID_VIEW_TOOLBAR) & MF_CHECKED);
    EXPECT_TRUE(ItemState(hView, ID_VIEW_STATUS_BAR) & MF_CHECKED);

    // Resizing the frame lays it out again.
    frame->MoveWindow(0, 0, 600, 400);
    frame->GetClientRect(&client);
    EXPECT_EQ(client.right, ChildRect(frame->m_wndPane.m_hWnd).right);
    EXPECT_EQ(client.bottom, ChildRect(hStatus).bottom);
}

TEST_F(FrameTest, StatusBarShowsPromptsWhileMenusAndPointerPointAtCommands)
{
    EXPECT_EQ(CString("Ready"), StatusText());
    HMENU hMenu = ::GetSubMenu(::GetMenu(frame->m_hWnd), 2);
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_TEST_FRAME, MF_STRING), reinterpret_cast<LPARAM>(hMenu));
    EXPECT_EQ(CString("枠のコマンドです。"), StatusText());
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_TEST_APP, MF_STRING), reinterpret_cast<LPARAM>(hMenu));
    EXPECT_TRUE(StatusText().IsEmpty());  // no string, no prompt
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(SC_CLOSE, MF_SYSMENU), reinterpret_cast<LPARAM>(hMenu));
    EXPECT_EQ(CString("閉じます。"), StatusText());
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);  // the menu closed
    EXPECT_EQ(CString("Ready"), StatusText());

    // The pointer resting on a bar button shows its prompt, and leaving it the idle text.
    CRect button;
    ::GetWindowRect(Button(ID_TEST_FRAME), &button);
    ::SetCursorPos(button.CenterPoint().x, button.CenterPoint().y);
    EXPECT_TRUE(PumpUntil([&] { return StatusText() == "枠のコマンドです。"; }));
    ::SetCursorPos(button.CenterPoint().x, button.bottom + 60);
    EXPECT_TRUE(PumpUntil([&] { return StatusText() == "Ready"; }));
}

namespace {
// Looks through the thread's tooltip windows for the text of one tool.
struct ToolSearch
{
    HWND hBar;
    HWND hTool;
    CString text;
};

BOOL CALLBACK FindToolText(HWND hWnd, LPARAM lParam)
{
    ToolSearch* s = reinterpret_cast<ToolSearch*>(lParam);
    char className[64] = "";
    ::GetClassNameA(hWnd, className, sizeof className);
    if (lstrcmpiA(className, TOOLTIPS_CLASSA) != 0)
        return TRUE;
    char text[80] = "";
    TTTOOLINFOA info = {};
    info.cbSize = sizeof info;
    info.hwnd = s->hBar;
    info.uId = reinterpret_cast<UINT_PTR>(s->hTool);
    info.lpszText = text;
    ::SendMessageA(hWnd, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
    if (text[0] != '\0')
        s->text = text;
    return TRUE;
}
}  // namespace

TEST_F(FrameTest, BarButtonsCarryTheirTooltips)
{
    ToolSearch search = {frame->m_wndBar.m_hWnd, Button(ID_TEST_FRAME), CString()};
    ::EnumThreadWindows(::GetCurrentThreadId(), FindToolText, reinterpret_cast<LPARAM>(&search));
    EXPECT_EQ(CString("枠"), search.text);
    search = {frame->m_wndBar.m_hWnd, Button(ID_TEST_NONE), CString()};
    ::EnumThreadWindows(::GetCurrentThreadId(), FindToolText, reinterpret_cast<LPARAM>(&search));
    EXPECT_TRUE(search.text.IsEmpty());  // no string, no tooltip
}

TEST_F(FrameTest, HandlerExceptionLeavesTheFrameWorking)
{
    Command(ID_TEST_THROW);
    ASSERT_TRUE(::IsWindow(frame->m_hWnd));
    Command(ID_TEST_FRAME);
    EXPECT_EQ(1, frame->m_nFrame);
}

TEST_F(FrameTest, DestroyingTheMainFrameDeletesItAndEndsTheLoop)
{
    int destroyed = CTestFrame::s_nDestroyed;
    frame->DestroyWindow();
    EXPECT_EQ(destroyed + 1, CTestFrame::s_nDestroyed);
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(FrameTest, ExitCommandClosesTheMainWindowAndRunReturns)
{
    int destroyed = CTestFrame::s_nDestroyed;
    Command(ID_APP_EXIT);
    EXPECT_EQ(0, theApp.Run());
    EXPECT_EQ(destroyed + 1, CTestFrame::s_nDestroyed);
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
}
