#include "framework/CDialog.h"

#include "framework/CWinApp.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

namespace
{
// Whether a dialog template leaves the box's place to the program: at 0, 0
// and not DS_ABSALIGN.
bool IsUnplaced(HINSTANCE hInstance, LPCSTR name)
{
    HRSRC hResource = ::FindResourceA(hInstance, name, RT_DIALOG);
    HGLOBAL hTemplate = hResource ? ::LoadResource(hInstance, hResource) : nullptr;
    const BYTE* pTemplate = hTemplate ? static_cast<const BYTE*>(::LockResource(hTemplate)) : nullptr;
    if (!pTemplate)
        return false;
    WORD wVersion = 0, wSignature = 0;
    std::memcpy(&wVersion, pTemplate, sizeof wVersion);
    std::memcpy(&wSignature, pTemplate + 2, sizeof wSignature);
    // DLGTEMPLATEEX: version, signature, help id, extended style, style,
    // item count, x, y. DLGTEMPLATE: style, extended style, item count, x, y.
    const bool bExtended = wVersion == 1 && wSignature == 0xFFFF;
    DWORD dwStyle = 0;
    short xy[2] = {};
    std::memcpy(&dwStyle, pTemplate + (bExtended ? 12 : 0), sizeof dwStyle);
    std::memcpy(xy, pTemplate + (bExtended ? 18 : 10), sizeof xy);
    return xy[0] == 0 && xy[1] == 0 && !(dwStyle & DS_ABSALIGN);
}
}  // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal()
{
    CWnd* pOwner = m_pParentWnd != nullptr ? m_pParentWnd : AfxGetMainWnd();
    HWND hOwner = pOwner != nullptr ? pOwner->m_hWnd : nullptr;
    LPCSTR name = MAKEINTRESOURCEA(m_nIDTemplate);
    HINSTANCE hInstance = AfxFindResourceHandle(name, RT_DIALOG);
    m_bCenter = IsUnplaced(hInstance, name);
    CreateHook hook(this);
    m_bCreated = true;
    INT_PTR result = ::DialogBoxParamA(hInstance, name, hOwner, &CWnd::DialogProc, 0);
    m_bCreated = false;
    return result;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
    {
        if (m_bCenter)
            CenterOverOwner();
        return OnInitDialog();
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

// Over the owner's window, or the middle of the screen without a visible
// owner; kept inside the work area of the monitor it lands on.
void CDialog::CenterOverOwner()
{
    RECT box = {}, over = {};
    ::GetWindowRect(m_hWnd, &box);
    HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER);
    HMONITOR hMonitor = ::MonitorFromWindow(hOwner ? hOwner : m_hWnd, MONITOR_DEFAULTTONEAREST);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(hMonitor, &monitor))
        return;
    const RECT& work = monitor.rcWork;
    if (hOwner && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner))
        ::GetWindowRect(hOwner, &over);
    else
        over = work;
    const LONG cx = box.right - box.left, cy = box.bottom - box.top;
    LONG x = (over.left + over.right - cx) / 2, y = (over.top + over.bottom - cy) / 2;
    x = x + cx > work.right ? work.right - cx : x;
    y = y + cy > work.bottom ? work.bottom - cy : y;
    x = x < work.left ? work.left : x;
    y = y < work.top ? work.top : y;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}
