// Message tables, the handle map, reflection to child controls and the
// containment of exceptions, on small windows of their own.
#include "TestApp.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using Log = std::vector<std::string>;

BOOL CreatePopup(CWnd& wnd)
{
    return wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 200, nullptr, nullptr);
}

class CBaseWnd : public CWnd
{
public:
    Log m_log;
    int m_nCreate = 0;  // OnCreate: 0 creates, -1 fails, 1 throws

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct)
    {
        m_log.push_back("base create");
        if (m_nCreate > 0)
            AfxThrowInvalidArgException();
        return m_nCreate < 0 ? -1 : CWnd::OnCreate(lpCreateStruct);
    }
    LRESULT OnSetText(WPARAM, LPARAM) { m_log.push_back("base settext"); return Default(); }
    LRESULT OnApp(WPARAM, LPARAM) { m_log.push_back("base app"); return 0; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_APP, OnApp)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd
{
protected:
    LRESULT OnApp(WPARAM wParam, LPARAM) { m_log.push_back("derived app"); return static_cast<LRESULT>(wParam) + 1; }
    LRESULT OnThrow(WPARAM, LPARAM) { AfxThrowInvalidArgException(); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
    ON_MESSAGE(WM_APP, OnApp)
    ON_MESSAGE(WM_APP + 1, OnThrow)
END_MESSAGE_MAP()

}  // namespace

TEST(WindowTest, TablesChainToTheBaseAndEndInThePreviousProcedureOfCreatedAndSubclassedWindows)
{
    HWND hWnd;
    {
        CDerivedWnd wnd;
        ASSERT_TRUE(CreatePopup(wnd));
        EXPECT_EQ(&wnd, CWnd::FromHandle(wnd));
        wnd.SetWindowText("x");                    // only in the base table
        EXPECT_EQ(8, wnd.SendMessage(WM_APP, 7));  // the derived entry hides the base's
        EXPECT_EQ(Log({"base create", "base settext", "derived app"}), wnd.m_log);
        EXPECT_EQ(1, ::GetWindowTextLengthA(wnd));  // the base handler's Default stored the text

        // A window the program neither created nor subclassed gets a wrapper,
        // the same one until idle time, which releases it but not its window.
        const HWND hEdit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 40, 20, wnd, reinterpret_cast<HMENU>(7),
                                             nullptr, nullptr);
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
            EXPECT_EQ(Log({"base settext", "derived app"}), edit.m_log);
            EXPECT_EQ(1, ::GetWindowTextLengthA(hEdit));
        }
        EXPECT_EQ(editProc, ::GetWindowLongPtrA(hEdit, GWLP_WNDPROC));
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hEdit));
        hWnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(hWnd));  // the object that created its window destroyed it

    for (int nCreate : {-1, 1}) {  // a failing or throwing OnCreate leaves no window
        CBaseWnd failing;
        failing.m_nCreate = nCreate;
        EXPECT_FALSE(CreatePopup(failing));
        EXPECT_EQ(nullptr, failing.m_hWnd);
    }
}

namespace {
int g_nTicks = 0;
VOID CALLBACK ThrowingTimerProc(HWND, UINT, UINT_PTR, DWORD) { ++g_nTicks; AfxThrowInvalidArgException(); }
int CALLBACK ThrowingCompare(LPARAM, LPARAM, LPARAM) { throw CInvalidArgException(); }
}  // namespace

TEST(ExceptionTest, NoExceptionLeavesAHandlerOrATimer)
{
    CDerivedWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd));
    EXPECT_EQ(0, wnd.SendMessage(WM_APP + 1));  // the handler threw; the message ended
    EXPECT_EQ(8, wnd.SendMessage(WM_APP, 7));   // and the window goes on working

    wnd.SetTimer(1, 10, ThrowingTimerProc);  // a throwing timer procedure is called again on the next ticks
    EXPECT_TRUE(PumpUntil([] { return g_nTicks >= 3; }));
}

namespace {
std::string ClassOf(CWnd* pWnd) { return pWnd != nullptr ? pWnd->GetRuntimeClass()->m_lpszClassName : "-"; }

// Records what reaches it, with the class of the object a control's message came with.
class CNotifyList : public CListCtrl
{
public:
    Log m_log;

protected:
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
    LVITEMA item = {};
    for (item.mask = LVIF_PARAM; item.iItem < 3; ++item.iItem)
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
    EXPECT_EQ((std::set<std::string>{"colour static CSliderCtrl", "scroll CSliderCtrl"}),
              std::set<std::string>(list.m_log.begin(), list.m_log.end()));
    EXPECT_EQ(0, ::GetScrollPos(list.m_hWnd, SB_HORZ));
    list.SendMessage(WM_HSCROLL, SB_PAGERIGHT);
    EXPECT_GT(::GetScrollPos(list.m_hWnd, SB_HORZ), 0);

    list.m_log.clear();  // the list deletes its rows last, as its window goes
    parent.DestroyWindow();
    EXPECT_EQ(Log({"delete", "delete", "delete"}), list.m_log);
    EXPECT_EQ(nullptr, list.m_hWnd);
}
