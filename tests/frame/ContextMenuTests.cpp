// The drive list's context menu in the frame: where it opens, what its
// entries show, and that a chosen entry is carried out on the selected
// drives before the request returns. The menu runs its own modal loop; a
// timer inside that loop looks at the menu and then ends it.
#include "FrameTestSupport.h"

#include <mmddk.h>

#include "res/resource.h"

namespace
{
using StepList = std::vector<Step>;

// What the timer does once the menu shows, and what it saw.
struct MenuVisit
{
    WPARAM chooseKey = 0;  // 0: dismiss the menu
    bool bSeen = false;
    CRect rect;
    UINT nRepeatState = 0;
    DWORD dwStart = 0;
};

MenuVisit* g_pVisit = nullptr;
std::vector<std::pair<WPARAM, LPARAM>> g_commands;  // WM_COMMAND sent to the frame
HWND g_hFrame = nullptr;

HWND ShownMenu()
{
    for (HWND h = ::FindWindowA("#32768", nullptr); h; h = ::FindWindowExA(nullptr, h, "#32768", nullptr))
    {
        if (::IsWindowVisible(h) && ::GetWindowThreadProcessId(h, nullptr) == ::GetCurrentThreadId())
            return h;
    }
    return nullptr;
}

void CALLBACK MenuTimer(HWND, UINT, UINT_PTR, DWORD)
{
    MenuVisit& visit = *g_pVisit;
    if (visit.bSeen)
        return;
    HWND hMenuWnd = ShownMenu();
    if (!hMenuWnd)
    {
        // Never shown: do not hang the test.
        if (::GetTickCount() - visit.dwStart > 3000)
            ::EndMenu();
        return;
    }
    visit.bSeen = true;
    ::GetWindowRect(hMenuWnd, &visit.rect);
    HMENU hMenu = reinterpret_cast<HMENU>(::SendMessageA(hMenuWnd, MN_GETHMENU, 0, 0));
    visit.nRepeatState = ::GetMenuState(hMenu, ID_CD_REPEAT, MF_BYCOMMAND);
    if (visit.chooseKey)
        ::PostMessageA(hMenuWnd, WM_CHAR, visit.chooseKey, 0);
    else
        ::EndMenu();
}

LRESULT CALLBACK CommandHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (nCode == HC_ACTION && pMsg->hwnd == g_hFrame && pMsg->message == WM_COMMAND)
        g_commands.emplace_back(pMsg->wParam, pMsg->lParam);
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}
}

class ContextMenuTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        // Away from the screen's edges, so the menu opens exactly where asked.
        m_pFrame->MoveWindow(200, 150, 700, 360);
        Pump();
        m_ctl.ClearJournal();
        g_commands.clear();
        g_hFrame = m_pFrame->m_hWnd;
    }

    // Sends the request as the system would and returns what the menu showed.
    MenuVisit Request(CPoint point, WPARAM chooseKey = 0)
    {
        MenuVisit visit;
        visit.chooseKey = chooseKey;
        visit.dwStart = ::GetTickCount();
        g_pVisit = &visit;
        const UINT_PTR nTimer = ::SetTimer(nullptr, 0, 20, MenuTimer);
        HHOOK hHook = ::SetWindowsHookExA(WH_CALLWNDPROC, CommandHook, nullptr, ::GetCurrentThreadId());
        List().SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List().m_hWnd),
                           MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
        ::UnhookWindowsHookEx(hHook);
        ::KillTimer(nullptr, nTimer);
        g_pVisit = nullptr;
        return visit;
    }

    void FocusOnly(int nItem)
    {
        for (int i = 0; i < List().GetItemCount(); i++)
            List().SetItemState(i, i == nItem ? LVIS_FOCUSED : 0, LVIS_FOCUSED);
    }

    CPoint IconCentre(char drive)
    {
        CRect rect;
        List().GetItemRect(Row(drive), rect, LVIR_ICON);
        CPoint point((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        List().ClientToScreen(&point);
        return point;
    }

    CPoint ClientOnScreen(int x, int y)
    {
        CPoint point(x, y);
        List().ClientToScreen(&point);
        return point;
    }
};

TEST_F(ContextMenuTest, KeyboardRequestOpensAtTheFocusedRowsIcon)
{
    FocusOnly(Row('F'));
    const MenuVisit visit = Request(CPoint(-1, -1));
    ASSERT_TRUE(visit.bSeen);
    EXPECT_EQ(IconCentre('F'), CPoint(visit.rect.left, visit.rect.top));
}

TEST_F(ContextMenuTest, KeyboardRequestWithoutFocusOpensAtTheListsCorner)
{
    FocusOnly(-1);
    const MenuVisit visit = Request(CPoint(-1, -1));
    ASSERT_TRUE(visit.bSeen);
    EXPECT_EQ(ClientOnScreen(0, 0), CPoint(visit.rect.left, visit.rect.top));
}

TEST_F(ContextMenuTest, NegativeMousePointCountsAsAKeyboardRequest)
{
    FocusOnly(Row('E'));
    MenuVisit visit = Request(CPoint(-40, 30));
    ASSERT_TRUE(visit.bSeen);
    EXPECT_EQ(IconCentre('E'), CPoint(visit.rect.left, visit.rect.top));

    // Without focus the received point is taken as the list's client
    // coordinates, one further in each direction.
    FocusOnly(-1);
    visit = Request(CPoint(50, -20));
    ASSERT_TRUE(visit.bSeen);
    EXPECT_EQ(ClientOnScreen(51, -19), CPoint(visit.rect.left, visit.rect.top));

    // A point on the screen is used as it is.
    visit = Request(ClientOnScreen(120, 40));
    ASSERT_TRUE(visit.bSeen);
    EXPECT_EQ(ClientOnScreen(120, 40), CPoint(visit.rect.left, visit.rect.top));
}

TEST_F(ContextMenuTest, DismissedMenuSendsNothing)
{
    Select({ 'D', 'G' });
    const MenuVisit visit = Request(CPoint(-1, -1));
    ASSERT_TRUE(visit.bSeen);
    EXPECT_TRUE(g_commands.empty());
    EXPECT_TRUE(Transport().empty());
    EXPECT_FALSE(m_pFrame->m_bRepeat);
}

TEST_F(ContextMenuTest, ChosenEntryIsCarriedOutBeforeTheRequestReturns)
{
    Select({ 'E', 'G' });
    const MenuVisit visit = Request(CPoint(-1, -1), 'j');
    ASSERT_TRUE(visit.bSeen);
    // A menu command: identifier in the low word, 0 above it and 0 as the
    // second parameter.
    EXPECT_EQ((std::vector<std::pair<WPARAM, LPARAM>>{ { ID_CD_EJECT, 0 } }), g_commands);
    EXPECT_EQ((StepList{ OpenDoor('E'), OpenDoor('G') }), Transport());
    EXPECT_TRUE(Drive('E').doorOpen);
    EXPECT_FALSE(Drive('D').doorOpen);
}

TEST_F(ContextMenuTest, EntriesShowTheFramesCommandStates)
{
    EXPECT_EQ(0u, Request(CPoint(-1, -1)).nRepeatState & MF_CHECKED);
    Command(ID_CD_REPEAT);
    EXPECT_NE(0u, Request(CPoint(-1, -1)).nRepeatState & MF_CHECKED);

    // Chosen from the menu, repeat goes off again.
    const MenuVisit visit = Request(CPoint(-1, -1), 'l');
    ASSERT_TRUE(visit.bSeen);
    EXPECT_FALSE(m_pFrame->m_bRepeat);
}
