#include "framework/CStatusBar.h"

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

namespace {
const int kIndicatorWidth = 100;
}

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
    if (lpIDArray == nullptr || nIDCount < 1 || nIDCount > 255)
        return FALSE;
    m_indicators.assign(lpIDArray, lpIDArray + nIDCount);
    SetParts();
    for (int i = 0; i < nIDCount; ++i) {
        CString text;
        if (m_indicators[static_cast<size_t>(i)] != ID_SEPARATOR)
            text.LoadString(m_indicators[static_cast<size_t>(i)]);
        SetPaneText(i, text);
    }
    return TRUE;
}

void CStatusBar::SetParts()
{
    if (m_indicators.empty())
        return;
    RECT rc;
    GetClientRect(&rc);
    int n = static_cast<int>(m_indicators.size());
    std::vector<int> rightEdges(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        rightEdges[static_cast<size_t>(i)] = i == n - 1 ? -1 : rc.right - kIndicatorWidth * (n - 1 - i);
    SendMessage(SB_SETPARTS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(rightEdges.data()));
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

LRESULT CStatusBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CControlBar::WindowProc(message, wParam, lParam);
    if (message == WM_SIZE)
        SetParts();
    return result;
}
