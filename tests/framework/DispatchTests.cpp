// Message tables, reflection to child controls, the handle map and the
// containment of exceptions, on small windows of their own.
#include "TestApp.h"

#include <gtest/gtest.h>

namespace {

// Messages that reached the window class's own procedure (the procedure a
// window object's table falls through to).
std::vector<UINT> g_classProcLog;

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE || message >= WM_APP)
        g_classProcLog.push_back(message);
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

const char* RecordingClass()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "RecordingClass";
        registered = ::RegisterClassA(&wc) != 0;
    }
    return "RecordingClass";
}

bool Contains(const std::vector<UINT>& log, UINT message)
{
    for (UINT m : log)
        if (m == message)
            return true;
    return false;
}

class CBaseWnd : public CWnd
{
public:
    std::vector<std::string> m_log;
    bool m_bFailCreate = false;
    bool m_bThrowOnCreate = false;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct)
    {
        m_log.push_back("base create");
        if (m_bThrowOnCreate)
            AfxThrowInvalidArgException();
        return m_bFailCreate ? -1 : CWnd::OnCreate(lpCreateStruct);
    }
    LRESULT OnApp1(WPARAM wParam, LPARAM) { m_log.push_back("base app1"); return static_cast<LRESULT>(wParam) + 1; }
    LRESULT OnApp2(WPARAM, LPARAM) { m_log.push_back("base app2"); return 0; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_APP + 1, OnApp1)
    ON_MESSAGE(WM_APP + 2, OnApp2)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd
{
protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct)
    {
        m_log.push_back("derived create");
        return CBaseWnd::OnCreate(lpCreateStruct);
    }
    LRESULT OnApp2(WPARAM, LPARAM) { m_log.push_back("derived app2"); return 0; }
    LRESULT OnThrow(WPARAM, LPARAM) { AfxThrowInvalidArgException(); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_APP + 2, OnApp2)
    ON_MESSAGE(WM_APP + 9, OnThrow)
END_MESSAGE_MAP()

}  // namespace

TEST(MessageTableTest, ChainsToBaseTablesAndEndsInThePreviousProcedure)
{
    g_classProcLog.clear();
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, RecordingClass(), "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    // The derived handler called the base's, whose Default reached the class procedure.
    EXPECT_EQ((std::vector<std::string>{"derived create", "base create"}), wnd.m_log);
    EXPECT_TRUE(Contains(g_classProcLog, WM_CREATE));

    wnd.m_log.clear();
    EXPECT_EQ(8, wnd.SendMessage(WM_APP + 1, 7));  // only in the base table; result kept
    wnd.SendMessage(WM_APP + 2);                   // the derived entry hides the base's
    EXPECT_EQ((std::vector<std::string>{"base app1", "derived app2"}), wnd.m_log);
    EXPECT_FALSE(Contains(g_classProcLog, WM_APP + 1));

    wnd.SendMessage(WM_APP + 3);  // in no table
    EXPECT_TRUE(Contains(g_classProcLog, WM_APP + 3));

    HWND hWnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
}

TEST(MessageTableTest, FailedOrThrowingCreationLeavesNoWindow)
{
    CBaseWnd failing;
    failing.m_bFailCreate = true;
    EXPECT_FALSE(failing.CreateEx(0, RecordingClass(), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(nullptr, failing.m_hWnd);

    CBaseWnd throwing;
    throwing.m_bThrowOnCreate = true;
    EXPECT_FALSE(throwing.CreateEx(0, RecordingClass(), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(nullptr, throwing.m_hWnd);
}

// --- Exceptions --------------------------------------------------------------

namespace {
int g_nTicks = 0;
VOID CALLBACK ThrowingTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    ++g_nTicks;
    AfxThrowInvalidArgException();
}

int CALLBACK ThrowingCompare(LPARAM a, LPARAM b, LPARAM)
{
    if (a == 2 || b == 2)
        AfxThrowInvalidArgException();
    return static_cast<int>(a - b);
}
}  // namespace

TEST(ExceptionTest, HandlersTimersAndComparisonsDoNotLetExceptionsEscape)
{
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, RecordingClass(), "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    EXPECT_EQ(0, wnd.SendMessage(WM_APP + 9));  // the handler threw; the message ended
    wnd.m_log.clear();
    wnd.SendMessage(WM_APP + 2);  // and the window goes on working
    EXPECT_EQ(1u, wnd.m_log.size());

    // A throwing timer procedure is called again on the next ticks.
    g_nTicks = 0;
    wnd.SetTimer(1, 10, ThrowingTimerProc);
    EXPECT_TRUE(PumpUntil([] { return g_nTicks >= 3; }));
    wnd.KillTimer(1);

    // A throwing comparison ends the sort; the exception reaches the caller.
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_VISIBLE | LVS_REPORT, CRect(0, 0, 40, 40), &wnd, 1));
    for (int i = 0; i < 3; ++i) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        item.lParam = 3 - i;
        list.InsertItem(&item);
    }
    EXPECT_THROW(list.SortItems(ThrowingCompare, 0), CInvalidArgException);
    EXPECT_EQ(3, list.GetItemCount());
}

TEST(ExceptionTest, WaitCursorEndsWhenAnExceptionLeavesItsScope)
{
    HCURSOR hArrow = ::LoadCursorA(nullptr, IDC_ARROW);
    HCURSOR hWait = ::LoadCursorA(nullptr, IDC_WAIT);
    ::SetCursor(hArrow);
    try {
        CWaitCursor wait;
        EXPECT_EQ(hWait, ::GetCursor());
        theApp.BeginWaitCursor();  // nested: the outer one keeps it
        theApp.EndWaitCursor();
        EXPECT_EQ(hWait, ::GetCursor());
        AfxThrowInvalidArgException();
    } catch (CException&) {
    }
    EXPECT_EQ(hArrow, ::GetCursor());
    EXPECT_FALSE(theApp.IsWaitCursorShown());
}

// --- Children: reflection and delivery to the parent ------------------------

namespace {

class CNotifyList : public CListCtrl
{
public:
    std::vector<int> m_deleted;
    int m_nColumnClicks = 0;
    int m_nHeaderNotifications = 0;
    int m_nHScroll = 0;
    CWnd* m_pLastScroll = nullptr;
    std::vector<std::pair<CWnd*, UINT>> m_ctlColors;

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        ++m_nHeaderNotifications;
        return CListCtrl::OnNotify(wParam, lParam, pResult);
    }

protected:
    void OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult)
    {
        m_deleted.push_back(reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iItem);
        *pResult = 0;
    }
    void OnColumnClick(NMHDR*, LRESULT*) { ++m_nColumnClicks; }
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
    {
        ++m_nHScroll;
        m_pLastScroll = reinterpret_cast<CWnd*>(pScrollBar);
        CListCtrl::OnHScroll(nSBCode, nPos, pScrollBar);
    }
    HBRUSH OnCtlColor(HDC hDC, CWnd* pWnd, UINT nCtlColor)
    {
        m_ctlColors.emplace_back(pWnd, nCtlColor);
        return CListCtrl::OnCtlColor(hDC, pWnd, nCtlColor);
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CNotifyList, CListCtrl)
    ON_NOTIFY_REFLECT(LVN_DELETEITEM, OnDeleteItem)
    ON_WM_HSCROLL()
    ON_WM_CTLCOLOR()
    ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, OnColumnClick)
END_MESSAGE_MAP()

// A parent that reflects its children's notifications like any window object.
struct ListFixture
{
    CWnd parent;
    CNotifyList list;

    ListFixture()
    {
        parent.CreateEx(0, RecordingClass(), "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 200, nullptr, nullptr);
        list.Create(WS_VISIBLE | LVS_REPORT | WS_CLIPCHILDREN, CRect(0, 0, 400, 200), &parent, 5);
        list.InsertColumn(0, "a", LVCFMT_LEFT, 300);
        list.InsertColumn(1, "b", LVCFMT_LEFT, 600);  // wider than the list: it can scroll
        for (int i = 0; i < 3; ++i) {
            LVITEMA item = {};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = const_cast<char*>("x");
            list.InsertItem(&item);
        }
    }
};

}  // namespace

TEST(ReflectionTest, ListNotificationsComeBackToTheListObjectAlsoWhileItIsDestroyed)
{
    ListFixture f;
    ASSERT_NE(nullptr, f.list.m_hWnd);
    f.list.DeleteItem(1);
    EXPECT_EQ(std::vector<int>{1}, f.list.m_deleted);

    NMLISTVIEW click = {};
    click.hdr.hwndFrom = f.list.m_hWnd;
    click.hdr.idFrom = 5;
    click.hdr.code = LVN_COLUMNCLICK;
    f.parent.SendMessage(WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(1, f.list.m_nColumnClicks);

    // The parent's destruction destroys the list, which deletes its rows last.
    f.list.m_deleted.clear();
    f.parent.DestroyWindow();
    EXPECT_EQ(2u, f.list.m_deleted.size());
    EXPECT_EQ(nullptr, f.list.m_hWnd);
}

TEST(ReflectionTest, HeaderNotificationsPassTheHookAndReachTheListView)
{
    ListFixture f;
    HWND hHeader = reinterpret_cast<HWND>(f.list.SendMessage(LVM_GETHEADER));
    HDITEMA width = {};
    width.mask = HDI_WIDTH;
    width.cxy = 123;
    ::SendMessageA(hHeader, HDM_SETITEMA, 0, reinterpret_cast<LPARAM>(&width));
    EXPECT_GT(f.list.m_nHeaderNotifications, 0);
    // The list view took the header's change: its own procedure saw the notifications.
    EXPECT_EQ(123, f.list.SendMessage(LVM_GETCOLUMNWIDTH, 0));
}

TEST(ReflectionTest, SliderScrollAndColourMessagesReachTheListWithTheSliderObject)
{
    ListFixture f;
    CSliderCtrl slider;
    ASSERT_TRUE(slider.Create(WS_CHILD | WS_VISIBLE | TBS_TOP, CRect(10, 40, 300, 70), &f.list, 1));
    slider.SetRange(0, 3000000);  // beyond 16 bits
    slider.SetPageSize(60000);
    EXPECT_EQ(3000000, slider.GetRangeMax());
    Pump();
    EXPECT_FALSE(f.list.m_ctlColors.empty());
    for (auto& c : f.list.m_ctlColors) {
        EXPECT_EQ(&slider, c.first);
        EXPECT_EQ(static_cast<UINT>(CTLCOLOR_STATIC), c.second);
    }

    int scrollBefore = ::GetScrollPos(f.list.m_hWnd, SB_HORZ);
    slider.SendMessage(WM_KEYDOWN, VK_NEXT);  // Page Down: the slider reports a scroll
    EXPECT_GE(f.list.m_nHScroll, 1);
    EXPECT_EQ(&slider, f.list.m_pLastScroll);
    ASSERT_NE(nullptr, f.list.m_pLastScroll);
    EXPECT_TRUE(f.list.m_pLastScroll->IsKindOf(RUNTIME_CLASS(CSliderCtrl)));
    EXPECT_EQ(60000, slider.GetPos());
    // The base handler did not take the slider's scroll for the list's own.
    EXPECT_EQ(scrollBefore, ::GetScrollPos(f.list.m_hWnd, SB_HORZ));

    // The list's own scroll bar still scrolls the list.
    f.list.SendMessage(WM_HSCROLL, SB_PAGERIGHT);
    EXPECT_EQ(nullptr, f.list.m_pLastScroll);
    EXPECT_GT(::GetScrollPos(f.list.m_hWnd, SB_HORZ), scrollBefore);
}

// --- Handle map --------------------------------------------------------------

namespace {
class CPaintCounter : public CButton
{
public:
    int m_nPaint = 0;

protected:
    void OnPaint()
    {
        ++m_nPaint;
        CButton::OnPaint();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintCounter, CButton)
    ON_WM_PAINT()
END_MESSAGE_MAP()
}  // namespace

TEST(HandleMapTest, PermanentObjectsAndTemporaryWrappers)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, RecordingClass(), "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr));
    EXPECT_EQ(&parent, CWnd::FromHandle(parent.m_hWnd));

    // A window the program neither created nor subclassed gets a wrapper,
    // the same one until idle time, which releases it but not its window.
    HWND hForeign = ::CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE, 0, 0, 40, 20,
                                      parent.m_hWnd, reinterpret_cast<HMENU>(7), nullptr, nullptr);
    CWnd* pTemp = CWnd::FromHandle(hForeign);
    ASSERT_NE(nullptr, pTemp);
    EXPECT_EQ(hForeign, pTemp->m_hWnd);
    EXPECT_EQ(pTemp, parent.GetDlgItem(7));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hForeign));
    EXPECT_EQ(&parent, pTemp->GetParent());
    theApp.OnIdle(0);
    EXPECT_TRUE(::IsWindow(hForeign));
    EXPECT_EQ(nullptr, CWnd::FromHandle(nullptr));

    // Subclassing makes it permanent: its messages pass through the object's
    // table, and the button still paints itself underneath.
    WNDPROC buttonProc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hForeign, GWLP_WNDPROC));
    {
        CPaintCounter button;
        ASSERT_TRUE(button.SubclassDlgItem(7, &parent));
        EXPECT_FALSE(CPaintCounter().SubclassDlgItem(7, &parent));  // one object per window
        EXPECT_EQ(&button, CWnd::FromHandle(hForeign));
        button.Invalidate();
        button.UpdateWindow();
        EXPECT_EQ(1, button.m_nPaint);
    }
    // An object that only subclassed a window gives it back, alive.
    EXPECT_TRUE(::IsWindow(hForeign));
    EXPECT_EQ(buttonProc, reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hForeign, GWLP_WNDPROC)));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hForeign));

    // An object that created its window destroys it.
    HWND hCreated;
    {
        CButton created;
        ASSERT_TRUE(created.Create("b", WS_VISIBLE, CRect(0, 30, 40, 50), &parent, 8));
        hCreated = created.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(hCreated));
}
