#include "framework/CDialogBar.h"

#include "framework/CCmdUI.h"
#include "framework/CFrameWnd.h"

IMPLEMENT_DYNAMIC(CDialogBar, CControlBar)

BOOL CDialogBar::Create(CWnd* pParentWnd, UINT nIDTemplate, UINT nStyle, UINT nID)
{
    if (m_hWnd != nullptr || pParentWnd == nullptr)
        return FALSE;
    m_dwStyle = nStyle & CBRS_ALL;
    LPCSTR templateName = MAKEINTRESOURCEA(nIDTemplate);
    HWND hWnd;
    {
        CreateHook hook(this);
        hWnd = ::CreateDialogParamA(AfxFindResourceHandle(templateName, RT_DIALOG), templateName, pParentWnd->m_hWnd,
                                    &CWnd::DialogProc, 0);
    }
    if (hWnd == nullptr)
        return FALSE;
    m_bCreated = true;
    ::SetWindowLongPtrA(m_hWnd, GWLP_ID, static_cast<LONG_PTR>(nID));
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    m_sizeDefault.cx = rc.right - rc.left;
    m_sizeDefault.cy = rc.bottom - rc.top;
    // The border lies outside the template's area.
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, m_sizeDefault.cx, CalcHeight(),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (m_dwStyle & CBRS_TOOLTIPS)
        AddToolTips();
    if (nStyle & WS_VISIBLE)
        ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    RecalcParentLayout();
    return TRUE;
}

void CDialogBar::AddToolTips()
{
    m_hWndToolTip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                      AfxGetInstanceHandle(), nullptr);
    if (m_hWndToolTip == nullptr)
        return;
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        // A command's string: the status prompt, a line feed, the tooltip.
        CString text;
        if (!text.LoadString(static_cast<UINT>(::GetDlgCtrlID(hChild))))
            continue;
        int lineFeed = text.Find('\n');
        if (lineFeed < 0)
            continue;
        CString tip = text.Mid(lineFeed + 1);
        if (tip.IsEmpty())
            continue;
        TTTOOLINFOA info = {};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = m_hWnd;
        info.uId = reinterpret_cast<UINT_PTR>(hChild);
        info.lpszText = const_cast<char*>(static_cast<const char*>(tip));
        ::SendMessageA(m_hWndToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
}

int CDialogBar::CalcHeight() const
{
    return m_sizeDefault.cy + BorderHeight();
}

void CDialogBar::OnUpdateCmdUI(CFrameWnd* pTarget)
{
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        int nID = ::GetDlgCtrlID(hChild);
        if (nID <= 0 || nID >= 0xFFFF)
            continue;  // no command: static texts
        CCmdUI state;
        state.m_nID = static_cast<UINT>(nID);
        state.m_hWndOther = hChild;
        state.DoUpdate(pTarget, TRUE);
    }
}

LRESULT CDialogBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY && m_hWndToolTip != nullptr)
    {
        ::DestroyWindow(m_hWndToolTip);
        m_hWndToolTip = nullptr;
    }
    return CControlBar::WindowProc(message, wParam, lParam);
}
