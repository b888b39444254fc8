#include "framework/CControlBar.h"

#include "framework/CFrameWnd.h"

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

void CControlBar::OnUpdateCmdUI(CFrameWnd*) {}

int CControlBar::BorderHeight() const
{
    return ((m_dwStyle & CBRS_BORDER_TOP) ? 2 : 0) + ((m_dwStyle & CBRS_BORDER_BOTTOM) ? 2 : 0);
}

void CControlBar::RecalcParentLayout()
{
    CWnd* pParent = FromHandlePermanent(::GetParent(m_hWnd));
    if (pParent != nullptr && pParent->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
        static_cast<CFrameWnd*>(pParent)->RecalcLayout();
}

LRESULT CControlBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND:
        if (HWND hParent = ::GetParent(m_hWnd))
            return ::SendMessageA(hParent, WM_COMMAND, wParam, lParam);
        break;
    case WM_NCCALCSIZE:
    {
        LRESULT result = CWnd::WindowProc(message, wParam, lParam);
        RECT* rc = reinterpret_cast<RECT*>(lParam);  // the first rectangle either way
        if (m_dwStyle & CBRS_BORDER_TOP)
            rc->top += 2;
        if (m_dwStyle & CBRS_BORDER_BOTTOM)
            rc->bottom -= 2;
        return result;
    }
    case WM_NCPAINT:
    {
        LRESULT result = CWnd::WindowProc(message, wParam, lParam);
        if (m_dwStyle & (CBRS_BORDER_TOP | CBRS_BORDER_BOTTOM))
        {
            RECT rc;
            ::GetWindowRect(m_hWnd, &rc);
            ::OffsetRect(&rc, -rc.left, -rc.top);
            HDC hdc = ::GetWindowDC(m_hWnd);
            UINT edges =
                ((m_dwStyle & CBRS_BORDER_TOP) ? BF_TOP : 0) | ((m_dwStyle & CBRS_BORDER_BOTTOM) ? BF_BOTTOM : 0);
            ::DrawEdge(hdc, &rc, EDGE_ETCHED, edges);
            ::ReleaseDC(m_hWnd, hdc);
        }
        return result;
    }
    case WM_WINDOWPOSCHANGED:
    {
        LRESULT result = CWnd::WindowProc(message, wParam, lParam);
        const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))
            RecalcParentLayout();
        return result;
    }
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
