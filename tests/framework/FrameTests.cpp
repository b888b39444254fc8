// The frame: command routing, command states of menus and bar buttons,
// status prompts and tooltips, modal dialogs and the application's names and
// loop.
#include "TestApp.h"

#include <gtest/gtest.h>

namespace {

// A frame with a dialog bar from IDD_TESTBAR and a status bar.
class CTestFrame : public CFrameWnd
{
public:
    static inline int s_nDeleted = 0;
    ~CTestFrame() override { ++s_nDeleted; }
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override
    {
        if (nCode == CN_COMMAND && pHandlerInfo == nullptr)
            m_offered.push_back(nID);
        return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    }

    CDialogBar m_wndBar;
    CStatusBar m_wndStatusBar;
    Ids m_offered, m_handled;  // commands the override saw, and those the frame's handlers ran
    bool m_bChecked = false;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct)
    {
        static const UINT indicators[] = {ID_SEPARATOR};
        return CFrameWnd::OnCreate(lpCreateStruct) == -1 ||
               !m_wndBar.Create(this, IDD_TESTBAR, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY,
                                AFX_IDW_TOOLBAR) ||
               !m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
               !m_wndStatusBar.SetIndicators(indicators, 1) ? -1 : 0;
    }
    void OnTestFrame() { m_handled.push_back(ID_TEST_FRAME); }
    void OnTestCheck() { m_handled.push_back(ID_TEST_CHECK); }
    void OnUpdateTestCheck(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_bChecked ? 1 : 0); }
    void OnTestBoth() { m_handled.push_back(ID_TEST_BOTH); }
    void OnTestDisabled() { m_handled.push_back(ID_TEST_DISABLED); }
    void OnUpdateTestDisabled(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND(ID_TEST_FRAME, OnTestFrame)
    ON_COMMAND(ID_TEST_CHECK, OnTestCheck)
    ON_UPDATE_COMMAND_UI(ID_TEST_CHECK, OnUpdateTestCheck)
    ON_COMMAND(ID_TEST_BOTH, OnTestBoth)
    ON_COMMAND(ID_TEST_DISABLED, OnTestDisabled)
    ON_UPDATE_COMMAND_UI(ID_TEST_DISABLED, OnUpdateTestDisabled)
END_MESSAGE_MAP()

class FrameTest : public testing::Test
{
protected:
    void SetUp() override
    {
        theApp.m_handled.clear();
        theApp.m_pMainWnd = frame;
        ASSERT_TRUE(frame->LoadFrame(IDR_TESTFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
        frame->MoveWindow(0, 0, 500, 300);
        frame->ShowWindow(SW_SHOW);
        Pump();
    }
    void TearDown() override
    {
        if (theApp.m_pMainWnd != nullptr)
            theApp.m_pMainWnd->DestroyWindow();
        for (MSG msg; ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) {
        }
    }

    void Command(UINT nID) { frame->SendMessage(WM_COMMAND, nID); }
    HWND Button(UINT nID) { return ::GetDlgItem(frame->m_wndBar.m_hWnd, static_cast<int>(nID)); }
    CString StatusText() { return frame->m_wndStatusBar.GetPaneText(0); }

    CTestFrame* frame = new CTestFrame;
};

}  // namespace

TEST_F(FrameTest, CommandsGoThroughTheOverrideThenTheFrameThenTheApplication)
{
    for (UINT nID : {ID_TEST_FRAME, ID_TEST_APP, ID_TEST_BOTH, ID_TEST_NONE, ID_TEST_DISABLED})
        Command(nID);
    // A command whose update handler disables it is not even offered.
    EXPECT_EQ((Ids{ID_TEST_FRAME, ID_TEST_APP, ID_TEST_BOTH, ID_TEST_NONE}), frame->m_offered);
    EXPECT_EQ((Ids{ID_TEST_FRAME, ID_TEST_BOTH}), frame->m_handled);  // the frame's handler wins
    EXPECT_EQ(Ids{ID_TEST_APP}, theApp.m_handled);

    // Bar buttons and accelerators (F5 the frame's command, F6 the disabled one) take the same way.
    frame->m_offered.clear(), frame->m_handled.clear();
    ::SendMessageA(Button(ID_TEST_CHECK), BM_CLICK, 0, 0);
    frame->PostMessage(WM_KEYDOWN, VK_F5, 1);
    frame->PostMessage(WM_KEYDOWN, VK_F6, 1);
    Pump();
    EXPECT_EQ((Ids{ID_TEST_CHECK, ID_TEST_FRAME}), frame->m_offered);
    EXPECT_EQ((Ids{ID_TEST_CHECK, ID_TEST_FRAME}), frame->m_handled);
}

TEST_F(FrameTest, HandlersEnableAndUpdateHandlersCheckMenuItemsAndBarButtons)
{
    for (bool checked : {false, true, false}) {
        frame->m_bChecked = checked;
        theApp.OnIdle(0);
        HMENU hMenu = ::GetSubMenu(::GetMenu(frame->m_hWnd), 2);  // as it opens
        frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hMenu), 2);
        Ids states;
        for (UINT nID : {ID_TEST_FRAME, ID_TEST_APP, ID_TEST_NONE, ID_TEST_DISABLED, ID_TEST_CHECK})
            states.push_back(::GetMenuState(hMenu, nID, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED));
        EXPECT_EQ((Ids{0, 0, MF_GRAYED, MF_GRAYED, checked ? MF_CHECKED : 0u}), states);
        EXPECT_TRUE(::IsWindowEnabled(Button(ID_TEST_FRAME)) && ::IsWindowEnabled(Button(ID_TEST_CHECK)));
        EXPECT_FALSE(::IsWindowEnabled(Button(ID_TEST_NONE)));
        EXPECT_EQ(checked ? BST_CHECKED : BST_UNCHECKED, ::SendMessageA(Button(ID_TEST_CHECK), BM_GETCHECK, 0, 0));
    }
}

TEST_F(FrameTest, StatusPromptsAndTooltipsComeFromTheCommandsStrings)
{
    const LPARAM hMenu = reinterpret_cast<LPARAM>(::GetSubMenu(::GetMenu(frame->m_hWnd), 2));
    const struct { UINT nItem, nFlags; LPARAM hMenu; const char* prompt; } selections[] = {
        {ID_TEST_FRAME, MF_STRING, hMenu, "枠のコマンドです。"},
        {ID_TEST_APP, MF_STRING, hMenu, ""},  // no string, no prompt
        {SC_CLOSE, MF_SYSMENU, hMenu, "閉じます。"},
        {0, 0xFFFF, 0, "Ready"},  // the menu closed
    };
    for (const auto& s : selections) {
        frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(s.nItem, s.nFlags), s.hMenu);
        EXPECT_EQ(CString(s.prompt), StatusText()) << s.nItem;
    }
    // The pointer resting on a bar button shows its prompt; leaving it, the idle text.
    CRect button;
    ::GetWindowRect(Button(ID_TEST_FRAME), &button);
    ::SetCursorPos(button.CenterPoint().x, button.CenterPoint().y);
    EXPECT_TRUE(PumpUntil([&] { return StatusText() == "枠のコマンドです。"; }));
    ::SetCursorPos(button.CenterPoint().x, button.bottom + 60);
    EXPECT_TRUE(PumpUntil([&] { return StatusText() == "Ready"; }));

    for (UINT nID : {ID_TEST_FRAME, ID_TEST_NONE}) {  // the text after the line feed, if any
        char text[80] = "";
        TTTOOLINFOA info = {};
        info.cbSize = sizeof info;
        info.hwnd = frame->m_wndBar.m_hWnd;
        info.uId = reinterpret_cast<UINT_PTR>(Button(nID));
        info.lpszText = text;
        for (HWND h = nullptr; (h = ::FindWindowExA(nullptr, h, TOOLTIPS_CLASSA, nullptr)) != nullptr;)
            ::SendMessageA(h, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
        EXPECT_STREQ(nID == ID_TEST_FRAME ? "枠" : "", text);
    }
}

namespace {
// Closes itself as soon as it is shown, as the close box would.
class CClosingDialog : public CDialog
{
public:
    CClosingDialog() : CDialog(IDD_TESTDIALOG) {}
    BOOL OnInitDialog() override
    {
        PostMessage(WM_CLOSE);
        return CDialog::OnInitDialog();
    }
};
}  // namespace

TEST_F(FrameTest, DoModalEndsWithTheCloseBoxOrFailsWithoutItsTemplateAndLeavesTheOwnerEnabled)
{
    CClosingDialog closing;
    EXPECT_EQ(IDCANCEL, closing.DoModal());
    EXPECT_TRUE(frame->IsWindowEnabled());
    CDialog missing(999, frame);
    EXPECT_EQ(-1, missing.DoModal());
    EXPECT_TRUE(frame->IsWindowEnabled());
}

TEST_F(FrameTest, NamesComeFromTheResourcesAndTheExitCommandEndsTheLoop)
{
    CString title;
    frame->GetWindowText(title);
    EXPECT_EQ(CString("テスト枠"), title);
    EXPECT_TRUE(frame->GetExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_STREQ("フレームワーク試験", theApp.m_pszAppName);
    EXPECT_STREQ("framework_window_tests", theApp.m_pszExeName);

    const int deleted = CTestFrame::s_nDeleted;  // the frame deletes itself as its window goes
    Command(ID_APP_EXIT);
    EXPECT_EQ(0, theApp.Run());
    EXPECT_EQ(deleted + 1, CTestFrame::s_nDeleted);
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
}
