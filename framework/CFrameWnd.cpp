#include "framework/CFrameWnd.h"

#include "framework/CCmdUI.h"
#include "framework/CControlBar.h"
#include "framework/CWinApp.h"

IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_SIZE()
    ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopup)
    ON_MESSAGE(WM_MENUSELECT, OnMenuSelect)
    ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
    ON_COMMAND(ID_VIEW_TOOLBAR, OnViewToolBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateControlBarMenu)
    ON_COMMAND(ID_VIEW_STATUS_BAR, OnViewStatusBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
END_MESSAGE_MAP()

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

namespace
{
const UINT_PTR kFlybyTimer = 0xE000;  // keeps idle work coming while a flyby prompt shows
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, void* pContext)
{
    m_nIDResource = nIDResource;
    LPCSTR name = MAKEINTRESOURCEA(nIDResource);
    CString title;
    title.LoadString(nIDResource);
    int lineFeed = title.Find('\n');
    m_strTitle = lineFeed >= 0 ? title.Left(lineFeed) : title;

    HMENU hMenu = ::LoadMenuA(AfxFindResourceHandle(name, RT_MENU), name);
    m_hAccelTable = ::LoadAcceleratorsA(AfxFindResourceHandle(name, RT_ACCELERATOR), name);
    HWND hParent = pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr;
    if (!CreateEx(0, nullptr, m_strTitle, dwDefaultStyle & ~FWS_ADDTOTITLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, hParent, hMenu, pContext))
    {
        // The object is gone (PostNcDestroy); a menu that no window took is freed.
        if (hMenu != nullptr && ::IsMenu(hMenu))
            ::DestroyMenu(hMenu);
        return FALSE;
    }
    RecalcLayout();
    return TRUE;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    if (cs.lpszClass == nullptr)
    {
        LPCSTR name = MAKEINTRESOURCEA(m_nIDResource);
        HICON hIcon = m_nIDResource != 0 ? ::LoadIconA(AfxFindResourceHandle(name, RT_GROUP_ICON), name) : nullptr;
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), hIcon);
    }
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return TRUE;
}

void CFrameWnd::PostNcDestroy()
{
    delete this;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (m_hAccelTable == nullptr || pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd))
        return FALSE;
    return ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, pMsg) != 0;
}

// --- Layout ------------------------------------------------------------------

void CFrameWnd::RecalcLayout()
{
    if (m_hWnd == nullptr)
        return;
    RECT rc;
    GetClientRect(&rc);
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        CWnd* pWnd = FromHandlePermanent(hChild);
        if (pWnd == nullptr || !pWnd->IsKindOf(RUNTIME_CLASS(CControlBar)) || !(pWnd->GetStyle() & WS_VISIBLE))
            continue;
        CControlBar* pBar = static_cast<CControlBar*>(pWnd);
        int height = pBar->CalcHeight();
        const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (pBar->GetBarStyle() & CBRS_ALIGN_TOP)
        {
            ::SetWindowPos(hChild, nullptr, rc.left, rc.top, rc.right - rc.left, height, flags);
            rc.top += height;
        }
        else if (pBar->GetBarStyle() & CBRS_ALIGN_BOTTOM)
        {
            ::SetWindowPos(hChild, nullptr, rc.left, rc.bottom - height, rc.right - rc.left, height, flags);
            rc.bottom -= height;
        }
    }
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    if (HWND hPane = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST))
        ::SetWindowPos(hPane, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
}

void CFrameWnd::OnSize(UINT nType, int, int)
{
    Default();
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

// --- View menu ---------------------------------------------------------------

void CFrameWnd::OnBarCheck(UINT nID)
{
    HWND hBar = ::GetDlgItem(m_hWnd, static_cast<int>(nID));
    if (hBar == nullptr)
        return;
    bool visible = (::GetWindowLongA(hBar, GWL_STYLE) & WS_VISIBLE) != 0;
    ::ShowWindow(hBar, visible ? SW_HIDE : SW_SHOWNOACTIVATE);
    RecalcLayout();
}

void CFrameWnd::OnViewToolBar()
{
    OnBarCheck(ID_VIEW_TOOLBAR);
}

void CFrameWnd::OnViewStatusBar()
{
    OnBarCheck(ID_VIEW_STATUS_BAR);
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI)
{
    HWND hBar = ::GetDlgItem(m_hWnd, static_cast<int>(pCmdUI->m_nID));
    pCmdUI->Enable(hBar != nullptr);
    pCmdUI->SetCheck(hBar != nullptr && (::GetWindowLongA(hBar, GWL_STYLE) & WS_VISIBLE) ? 1 : 0);
}

// --- Menus and command states ------------------------------------------------

LRESULT CFrameWnd::OnInitMenuPopup(WPARAM wParam, LPARAM lParam)
{
    Default();
    if (HIWORD(lParam))
        return 0;  // the window menu
    HMENU hMenu = reinterpret_cast<HMENU>(wParam);
    int count = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < count; ++i)
    {
        UINT nID = ::GetMenuItemID(hMenu, i);
        if (nID == 0 || nID == static_cast<UINT>(-1))
            continue;  // separators and pop-ups
        CCmdUI state;
        state.m_nID = nID;
        state.m_nIndex = static_cast<UINT>(i);
        state.m_hMenu = hMenu;
        state.DoUpdate(this, TRUE);
    }
    return 0;
}

LRESULT CFrameWnd::OnMenuSelect(WPARAM wParam, LPARAM lParam)
{
    UINT nItem = LOWORD(wParam);
    UINT nFlags = HIWORD(wParam);
    UINT nID;
    if (nFlags == 0xFFFF && lParam == 0)
        nID = AFX_IDS_IDLEMESSAGE;  // the menu closed
    else if (nFlags & (MF_POPUP | MF_SEPARATOR))
        nID = 0;
    else if ((nFlags & MF_SYSMENU) && nItem >= SC_SIZE)
        nID = AFX_IDS_SCSIZE + (nItem - SC_SIZE) / 16;  // the window menu's strings, in order
    else
        nID = nItem;
    SetMessageText(nID);
    return Default();
}

LRESULT CFrameWnd::OnSetCursor(WPARAM, LPARAM)
{
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->IsWaitCursorShown())
    {
        ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
    }
    return Default();
}

// --- Status text -------------------------------------------------------------

void CFrameWnd::GetMessageString(UINT nID, CString& rMessage) const
{
    rMessage.Empty();
    if (nID == 0 || !rMessage.LoadString(nID))
        return;
    int lineFeed = rMessage.Find('\n');
    if (lineFeed >= 0)
        rMessage = rMessage.Left(lineFeed);
}

void CFrameWnd::SetMessageText(LPCTSTR lpszText)
{
    if (HWND hStatus = ::GetDlgItem(m_hWnd, AFX_IDW_STATUS_BAR))
        ::SendMessageA(hStatus, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(lpszText));
    m_nIDLastMessage = 0;
}

void CFrameWnd::SetMessageText(UINT nID)
{
    CString text;
    GetMessageString(nID, text);
    SetMessageText(text);
    m_nIDLastMessage = nID;
}

UINT CFrameWnd::FlybyCommand() const
{
    POINT pt;
    if (!::GetCursorPos(&pt))
        return 0;
    HWND hWnd = ::WindowFromPoint(pt);
    if (hWnd == nullptr)
        return 0;
    CWnd* pBar = FromHandlePermanent(hWnd);
    if (pBar != nullptr && pBar->IsKindOf(RUNTIME_CLASS(CControlBar)))
    {
        // A disabled button is not found from the screen: look within the bar.
        POINT ptClient = pt;
        ::ScreenToClient(hWnd, &ptClient);
        hWnd = ::ChildWindowFromPointEx(hWnd, ptClient, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (hWnd == pBar->m_hWnd)
            return 0;
    }
    else
    {
        pBar = FromHandlePermanent(::GetParent(hWnd));
    }
    if (pBar == nullptr || !pBar->IsKindOf(RUNTIME_CLASS(CControlBar)) ||
        !(static_cast<CControlBar*>(pBar)->GetBarStyle() & CBRS_FLYBY) || ::GetParent(pBar->m_hWnd) != m_hWnd)
        return 0;
    int nID = ::GetDlgCtrlID(hWnd);
    return nID > 0 && nID < 0xFFFF ? static_cast<UINT>(nID) : 0;
}

void CFrameWnd::OnIdleUpdateCmdUI()
{
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        CWnd* pWnd = FromHandlePermanent(hChild);
        if (pWnd != nullptr && pWnd->IsKindOf(RUNTIME_CLASS(CControlBar)) && (pWnd->GetStyle() & WS_VISIBLE))
            static_cast<CControlBar*>(pWnd)->OnUpdateCmdUI(this);
    }

    UINT nFlyby = FlybyCommand();
    UINT nWanted = nFlyby != 0 ? nFlyby : AFX_IDS_IDLEMESSAGE;
    if (nWanted != m_nIDLastMessage)
        SetMessageText(nWanted);
    // While a prompt follows the pointer, a timer keeps idle time coming so
    // that the idle text returns when the pointer leaves the window.
    if ((nFlyby != 0) != m_bFlybyTimer)
    {
        m_bFlybyTimer = nFlyby != 0;
        if (m_bFlybyTimer)
            ::SetTimer(m_hWnd, kFlybyTimer, 200, nullptr);
        else
            ::KillTimer(m_hWnd, kFlybyTimer);
    }
}
