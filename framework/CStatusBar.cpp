#include "framework/CStatusBar.h"

#include <vector>

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    if (pParentWnd == nullptr)
        return FALSE;
    m_dwStyle = dwStyle & CBRS_ALL;
    DWORD style = (dwStyle & ~CBRS_ALL) | WS_CHILD;
    if (pParentWnd->GetStyle() & WS_THICKFRAME)
        style |= SBARS_SIZEGRIP;
    if (!CreateEx(0, STATUSCLASSNAMEA, nullptr, style, 0, 0, 0, 0, pParentWnd->m_hWnd,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID))))
        return FALSE;
    // The control takes its own height when it is sized.
    SendMessage(WM_SIZE);
    RecalcParentLayout();
    return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount)
{
    if (lpIDArray == nullptr || nIDCount != 1 || lpIDArray[0] != ID_SEPARATOR)
        return FALSE;
    int rightEdge = -1;  // one part, as wide as the bar
    SendMessage(SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&rightEdge));
    return SetPaneText(0, "");
}

BOOL CStatusBar::SetPaneText(int nIndex, LPCTSTR lpszNewText)
{
    return static_cast<BOOL>(
        SendMessage(SB_SETTEXTA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpszNewText)));
}

CString CStatusBar::GetPaneText(int nIndex) const
{
    // The length may count characters rather than bytes: room for two bytes each.
    int length = LOWORD(SendMessage(SB_GETTEXTLENGTHA, static_cast<WPARAM>(nIndex)));
    std::vector<char> buffer(static_cast<size_t>(length) * 2 + 1);
    SendMessage(SB_GETTEXTA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(buffer.data()));
    return CString(buffer.data());
}

int CStatusBar::CalcHeight() const
{
    RECT rc;
    GetWindowRect(&rc);
    return rc.bottom - rc.top + BorderHeight();
}
