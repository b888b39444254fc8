#include "app/CAboutDlg.h"

#include "res/resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX, nullptr), m_icon(nullptr, &DestroyIcon) {}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    // 48 x 48 pixels whatever the template's dialog units give, with the
    // top-left corner where the template puts it.
    if (CWnd* pIcon = GetDlgItem(IDC_ABOUT_ICON))
    {
        pIcon->SetWindowPos(nullptr, 0, 0, 48, 48, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        m_icon.reset(static_cast<HICON>(
            LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 48, 48, LR_DEFAULTCOLOR)));
        pIcon->SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(m_icon.get()), 0);
    }
    return TRUE;
}
