// The framework's windows, on small test windows of their own: message
// tables, the handle map, reflection to child controls, the containment of
// exceptions, command routing and states, status prompts and tooltips, modal
// dialogs and the application's names and loop. The tests drive the
// application object themselves instead of the framework's WinMain.
#include "TestIds.h"
#include "TestSupport.h"
#include "framework/Framework.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

namespace
{

using Ids = std::vector<UINT>;
using Log = std::vector<std::string>;

class CTestApp : public CWinApp
{
public:
    Ids m_handled;  // commands its handlers ran, in order

    template <UINT nID>
    void OnTest()
    {
        m_handled.push_back(nID);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(ID_TEST_APP, OnTest<ID_TEST_APP>)
    ON_COMMAND(ID_TEST_BOTH, OnTest<ID_TEST_BOTH>)
END_MESSAGE_MAP()

CTestApp theApp;

BOOL CreatePopup(CWnd& wnd)
{
    return wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 200, nullptr, nullptr);
}

int g_nTicks = 0;
VOID CALLBACK ThrowingTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    ++g_nTicks;
    AfxThrowInvalidArgException();
}
int CALLBACK ThrowingCompare(LPARAM, LPARAM, LPARAM)
{
    throw CInvalidArgException();
}

class CBaseWnd : public CWnd
{
public:
    Log m_log;
    int m_nCreate = 0;  // OnCreate: 0 creates, -1 fails, 1 throws

    int OnCreate(LPCREATESTRUCT lpCreateStruct)
    {
        m_log.push_back("base create");
        if (m_nCreate > 0)
            AfxThrowInvalidArgException();
        return m_nCreate < 0 ? -1 : CWnd::OnCreate(lpCreateStruct);
    }
    LRESULT OnSetText(WPARAM, LPARAM)
    {
        m_log.push_back("base settext");
        return Default();
    }
    LRESULT OnApp(WPARAM, LPARAM)
    {
        m_log.push_back("base app");
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_APP, OnApp)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd
{
    LRESULT OnApp(WPARAM wParam, LPARAM)
    {
        m_log.push_back("derived app");
        return static_cast<LRESULT>(wParam) + 1;
    }
    LRESULT OnThrow(WPARAM, LPARAM) { AfxThrowInvalidArgException(); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
    ON_MESSAGE(WM_APP, OnApp)
    ON_MESSAGE(WM_APP + 1, OnThrow)
END_MESSAGE_MAP()

}  // namespace

TEST(WindowTest, TablesChainToTheBaseAndEndInThePreviousProcedure)
{
    HWND hWnd;
    {
        CDerivedWnd wnd;
        ASSERT_TRUE(CreatePopup(wnd));
        wnd.SetWindowText("x");                    // only in the base table
        EXPECT_EQ(8, wnd.SendMessage(WM_APP, 7));  // the derived entry hides the base's
        EXPECT_EQ(Log({ "base create", "base settext", "derived app" }), wnd.m_log);
        EXPECT_EQ(1, ::GetWindowTextLengthA(wnd));  // the base handler's Default stored the text
        hWnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(hWnd));  // the object that created its window destroyed it
}

TEST(WindowTest, NoExceptionLeavesAHandlerOrATimerProcedure)
{
    CDerivedWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd));
    EXPECT_EQ(0, wnd.SendMessage(WM_APP + 1));  // the handler threw; the message ended, the window goes on
    EXPECT_TRUE(::IsWindow(wnd.m_hWnd));
    wnd.SetTimer(1, 10, ThrowingTimerProc);  // a throwing timer procedure is called again on the next ticks
    EXPECT_TRUE(PumpUntil([] { return g_nTicks >= 3; }));
}

TEST(WindowTest, ForeignWindowsGetTemporaryWrappersUntilSubclassed)
{
    CDerivedWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd));
    {
        // A window the program neither created nor subclassed gets a wrapper,
        // the same one until idle time, which releases it but not its window.
        const HWND hEdit =
            ::CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 40, 20, wnd, reinterpret_cast<HMENU>(7), nullptr, nullptr);
        CWnd* pTemp = CWnd::FromHandle(hEdit);
        ASSERT_TRUE(pTemp != nullptr && pTemp->m_hWnd == hEdit);
        EXPECT_EQ(pTemp, wnd.GetDlgItem(7));
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hEdit));
        theApp.OnIdle(0);
        EXPECT_TRUE(::IsWindow(hEdit));

        // Subclassing makes it permanent, its messages pass through the object's
        // table to the control's own procedure, and the object gives it back alive.
        const LONG_PTR editProc = ::GetWindowLongPtrA(hEdit, GWLP_WNDPROC);
        {
            CDerivedWnd edit;
            ASSERT_TRUE(edit.SubclassDlgItem(7, &wnd));
            EXPECT_FALSE(CDerivedWnd().SubclassDlgItem(7, &wnd));  // one object per window
            EXPECT_EQ(&edit, CWnd::FromHandle(hEdit));
            edit.SetWindowText("y");
            EXPECT_EQ(8, edit.SendMessage(WM_APP, 7));
            EXPECT_EQ(Log({ "base settext", "derived app" }), edit.m_log);
            EXPECT_EQ(1, ::GetWindowTextLengthA(hEdit));
        }
        EXPECT_EQ(editProc, ::GetWindowLongPtrA(hEdit, GWLP_WNDPROC));
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hEdit));
    }
}

TEST(WindowTest, AFailingOrThrowingOnCreateLeavesNoWindow)
{
    for (int nCreate : { -1, 1 })
    {
        CBaseWnd failing;
        failing.m_nCreate = nCreate;
        EXPECT_FALSE(CreatePopup(failing));
        EXPECT_EQ(nullptr, failing.m_hWnd);
    }
}

namespace
{
std::string ClassOf(CWnd* pWnd)
{
    return pWnd != nullptr ? pWnd->GetRuntimeClass()->m_lpszClassName : "-";
}

// Records what reaches it, with the class of the object a control's message came with.
class CNotifyList : public CListCtrl
{
public:
    Log m_log;

    void OnDeleteItem(NMHDR*, LRESULT*) { m_log.push_back("delete"); }
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
    {
        m_log.push_back("scroll " + ClassOf(reinterpret_cast<CWnd*>(pScrollBar)));
        CListCtrl::OnHScroll(nSBCode, nPos, pScrollBar);
    }
    HBRUSH OnCtlColor(HDC hDC, CWnd* pWnd, UINT nCtlColor)
    {
        m_log.push_back((nCtlColor == CTLCOLOR_STATIC ? "colour static " : "colour ") + ClassOf(pWnd));
        return CListCtrl::OnCtlColor(hDC, pWnd, nCtlColor);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CNotifyList, CListCtrl)
    ON_NOTIFY_REFLECT(LVN_DELETEITEM, OnDeleteItem)
    ON_WM_HSCROLL()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()
}  // namespace

TEST(ReflectionTest, ChildMessagesReachTheListObjectAlsoWhileItIsDestroyed)
{
    CWnd parent;
    CNotifyList list;
    ASSERT_TRUE(CreatePopup(parent));
    ASSERT_TRUE(list.Create(WS_VISIBLE | LVS_REPORT, CRect(0, 0, 400, 200), &parent, 5));
    list.InsertColumn(0, "a", LVCFMT_LEFT, 900);  // wider than the list: it can scroll
    for (LVITEMA item = {}; item.iItem < 3; ++item.iItem)
        list.InsertItem(&item);
    // A throwing comparison ends the sort; the caller gets the exception.
    EXPECT_THROW(list.SortItems(ThrowingCompare, 0), CInvalidArgException);

    // A slider's colour and scroll messages come with the slider's object and
    // do not scroll the list; the list's own scroll bar still does.
    CSliderCtrl slider;
    ASSERT_TRUE(slider.Create(WS_CHILD | WS_VISIBLE, CRect(10, 40, 300, 70), &list, 1));
    slider.SetRange(0, 3000000);  // beyond 16 bits
    slider.SetPageSize(60000);
    Pump();
    slider.SendMessage(WM_KEYDOWN, VK_NEXT);
    EXPECT_EQ(60000, slider.GetPos());
    EXPECT_EQ((std::set<std::string>{ "colour static CSliderCtrl", "scroll CSliderCtrl" }),
              std::set<std::string>(list.m_log.begin(), list.m_log.end()));
    EXPECT_EQ(0, ::GetScrollPos(list.m_hWnd, SB_HORZ));
    list.SendMessage(WM_HSCROLL, SB_PAGERIGHT);
    EXPECT_GT(::GetScrollPos(list.m_hWnd, SB_HORZ), 0);

    list.m_log.clear();  // the list deletes its rows last, as its window goes
    parent.DestroyWindow();
    EXPECT_EQ(Log({ "delete", "delete", "delete" }), list.m_log);
    EXPECT_EQ(nullptr, list.m_hWnd);
}

namespace
{

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

    int OnCreate(LPCREATESTRUCT lpCreateStruct)
    {
        static const UINT indicators[] = { ID_SEPARATOR };
        return CFrameWnd::OnCreate(lpCreateStruct) == -1 ||
                       !m_wndBar.Create(this, IDD_TESTBAR,
                                        WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY,
                                        AFX_IDW_TOOLBAR) ||
                       !m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
                       !m_wndStatusBar.SetIndicators(indicators, 1)
                   ? -1
                   : 0;
    }
    template <UINT nID>
    void OnTest()
    {
        m_handled.push_back(nID);
    }
    void OnUpdateTestCheck(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_bChecked ? 1 : 0); }
    void OnUpdateTestDisabled(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND(ID_TEST_FRAME, OnTest<ID_TEST_FRAME>)
    ON_COMMAND(ID_TEST_BOTH, OnTest<ID_TEST_BOTH>)
    ON_COMMAND(ID_TEST_CHECK, OnTest<ID_TEST_CHECK>)
    ON_UPDATE_COMMAND_UI(ID_TEST_CHECK, OnUpdateTestCheck)
    ON_COMMAND(ID_TEST_DISABLED, OnTest<ID_TEST_DISABLED>)
    ON_UPDATE_COMMAND_UI(ID_TEST_DISABLED, OnUpdateTestDisabled)
END_MESSAGE_MAP()

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

class FrameTest : public testing::Test
{
protected:
    void SetUp() override
    {
        theApp.m_pMainWnd = frame;
        ASSERT_TRUE(frame->LoadFrame(IDR_TESTFRAME, WS_OVERLAPPEDWINDOW | WS_VISIBLE | FWS_ADDTOTITLE));
        Pump();
    }
    void TearDown() override
    {
        if (theApp.m_pMainWnd != nullptr)
            theApp.m_pMainWnd->DestroyWindow();
    }

    HWND Button(UINT nID) { return ::GetDlgItem(frame->m_wndBar.m_hWnd, static_cast<int>(nID)); }
    CString StatusText() { return frame->m_wndStatusBar.GetPaneText(0); }

    CTestFrame* frame = new CTestFrame;
};

}  // namespace
TEST_F(FrameTest, CommandsGoThroughTheOverrideThenTheFrameThenTheApplicationAndHandlersEnableThem)
{
    for (UINT nID : { ID_TEST_FRAME, ID_TEST_APP, ID_TEST_BOTH, ID_TEST_NONE, ID_TEST_DISABLED })
        frame->SendMessage(WM_COMMAND, nID);
    // A command whose update handler disables it is not even offered.
    EXPECT_EQ((Ids{ ID_TEST_FRAME, ID_TEST_APP, ID_TEST_BOTH, ID_TEST_NONE }), frame->m_offered);
    EXPECT_EQ((Ids{ ID_TEST_FRAME, ID_TEST_BOTH }), frame->m_handled);  // the frame's handler wins
    EXPECT_EQ(Ids{ ID_TEST_APP }, theApp.m_handled);

    // Bar buttons and accelerators (F5 the frame's command, F6 the disabled one) take the same way.
    frame->m_offered.clear();
    frame->m_handled.clear();
    ::SendMessageA(Button(ID_TEST_CHECK), BM_CLICK, 0, 0);
    frame->PostMessage(WM_KEYDOWN, VK_F5, 1);
    frame->PostMessage(WM_KEYDOWN, VK_F6, 1);
    Pump();
    EXPECT_EQ((Ids{ ID_TEST_CHECK, ID_TEST_FRAME }), frame->m_offered);
    EXPECT_EQ((Ids{ ID_TEST_CHECK, ID_TEST_FRAME }), frame->m_handled);

    // Handlers enable, and update handlers alone check, menu items and bar buttons.
    for (bool checked : { false, true, false })
    {
        frame->m_bChecked = checked;
        theApp.OnIdle(0);
        HMENU hMenu = ::GetSubMenu(::GetMenu(frame->m_hWnd), 2);  // as it opens
        frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hMenu), 2);
        Ids states;
        for (UINT nID : { ID_TEST_FRAME, ID_TEST_APP, ID_TEST_NONE, ID_TEST_DISABLED, ID_TEST_CHECK })
            states.push_back(::GetMenuState(hMenu, nID, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED));
        EXPECT_EQ((Ids{ 0, 0, MF_GRAYED, MF_GRAYED, checked ? MF_CHECKED : 0u }), states);
        EXPECT_TRUE(::IsWindowEnabled(Button(ID_TEST_FRAME)) && ::IsWindowEnabled(Button(ID_TEST_CHECK)));
        EXPECT_FALSE(::IsWindowEnabled(Button(ID_TEST_NONE)));
        EXPECT_EQ(checked ? BST_CHECKED : BST_UNCHECKED, ::SendMessageA(Button(ID_TEST_CHECK), BM_GETCHECK, 0, 0));
    }
}

TEST_F(FrameTest, PromptsAndTooltipsComeFromTheCommandsStrings)
{
    const LPARAM hMenu = reinterpret_cast<LPARAM>(::GetSubMenu(::GetMenu(frame->m_hWnd), 2));
    const struct
    {
        UINT nItem, nFlags;
        LPARAM hMenu;
        const char* prompt;
    } selections[] = {
        { ID_TEST_FRAME, MF_STRING, hMenu, "枠のコマンドです。" },
        { ID_TEST_APP, MF_STRING, hMenu, "" },  // no string, none
        { SC_CLOSE, MF_SYSMENU, hMenu, "閉じます。" },
        { 0, 0xFFFF, 0, "Ready" },  // the menu closed: the idle text
    };
    for (const auto& s : selections)
    {
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

    for (UINT nID : { ID_TEST_FRAME, ID_TEST_NONE })
    {  // the text after the line feed, if any
        char text[80] = "";
        TTTOOLINFOA info = {};
        info.cbSize = sizeof info;
        info.hwnd = frame->m_wndBar.m_hWnd;
        info.lpszText = text;
        info.uId = reinterpret_cast<UINT_PTR>(Button(nID));
        for (HWND h = nullptr; (h = ::FindWindowExA(nullptr, h, TOOLTIPS_CLASSA, nullptr)) != nullptr;)
            ::SendMessageA(h, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
        EXPECT_STREQ(nID == ID_TEST_FRAME ? "枠" : "", text);
    }
}

TEST_F(FrameTest, DialogsNamesAndTheExitCommand)
{
    EXPECT_EQ(IDCANCEL, CClosingDialog().DoModal());
    EXPECT_EQ(-1, CDialog(999, frame).DoModal());  // no such template
    EXPECT_TRUE(frame->IsWindowEnabled());
    CString title;
    frame->GetWindowText(title);
    EXPECT_EQ(CString("テスト枠"), title);
    EXPECT_TRUE(frame->GetExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_STREQ("フレームワーク試験", theApp.m_pszAppName);
    EXPECT_STREQ("framework_tests", theApp.m_pszExeName);

    const int deleted = CTestFrame::s_nDeleted;  // the frame deletes itself as its window goes
    frame->SendMessage(WM_COMMAND, ID_APP_EXIT);
    EXPECT_EQ(0, theApp.Run());
    EXPECT_EQ(deleted + 1, CTestFrame::s_nDeleted);
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
}

TEST(ValueTest, TheArrayChecksEveryIndex)
{
    CDWordArray a;
    EXPECT_THROW(a.GetAt(0), CException);  // caught as the base class too
    EXPECT_EQ(0, a.Add(150));
    EXPECT_EQ(1, a.Add(0xFFFFFFFFu));
    a.SetSize(5);
    a[3] = 7;
    a.SetAt(2, 9);
    EXPECT_EQ((std::vector<DWORD>{ 150, 0xFFFFFFFFu, 9, 7, 0 }),
              (std::vector<DWORD>{ a[0], a[1], a.GetAt(2), a.GetAt(3), a[4] }));
    a.SetSize(2);
    EXPECT_THROW(a.GetAt(2), CInvalidArgException);
    EXPECT_THROW(a.GetAt(-1), CInvalidArgException);
    EXPECT_THROW(a.SetAt(2, 0), CInvalidArgException);
    EXPECT_THROW(a[2] = 0, CInvalidArgException);
    EXPECT_THROW(a.SetSize(-1), CInvalidArgException);
    EXPECT_EQ(2, a.GetSize());  // a failed access changes nothing
}

TEST(ValueTest, StringsKeepTheAnsiCodePage)
{
    CString s;
    s.Format("<%s>", std::string(1000, 'x').c_str());  // longer than any first guess
    EXPECT_EQ(1002, s.GetLength());
    EXPECT_TRUE(CString(nullptr).IsEmpty() && CString("d:\\").Left(-1).IsEmpty());
    EXPECT_EQ(CString("d:|d:\\"), CString("d:\\").Left(2) + "|" + CString("d:\\").Left(10));
    EXPECT_TRUE(CString("D:").Compare("E:") < 0 && CString("e:").Compare("E:") > 0);  // case-sensitive
    // In code page 932 the second byte of "ビ" is 'r' (0x72): upper-casing
    // byte by byte would turn it into another character.
    ASSERT_EQ(932u, GetACP());
    EXPECT_EQ(CString("D:ビ"), CString("d:ビ").MakeUpper());
}
