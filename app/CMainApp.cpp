#include "app/CMainApp.h"

#include <new>

#include <objbase.h>
#include <shellapi.h>

#include "app/CAboutDlg.h"
#include "frame/CMainFrame.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CMainApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_HELP_INDEX, CWinApp::OnHelpIndex)
    ON_COMMAND(ID_HELP, OnHelp)
    ON_UPDATE_COMMAND_UI(ID_HELP, OnUpdateHelp)
END_MESSAGE_MAP()

CMainApp theApp;

CMainApp::CMainApp() : CWinApp(nullptr) {}

BOOL CMainApp::InitInstance()
{
    CoInitialize(nullptr);
    InitCommonControls();
    CWinApp::InitInstance();
    SetRegistryKey("Hollenby");

    CMainFrame* pFrame = new (std::nothrow) CMainFrame;
    if (!pFrame)
        return FALSE;
    m_pMainWnd = pFrame;
    // A frame whose creation failed is already destroyed and freed: there is
    // nothing to show.
    if (!pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, nullptr))
    {
        m_pMainWnd = nullptr;
        return FALSE;
    }
    pFrame->ShowWindow(SW_SHOW);
    pFrame->UpdateWindow();
    return TRUE;
}

int CMainApp::ExitInstance()
{
    CoUninitialize();
    return CWinApp::ExitInstance();
}

void CMainApp::OnAppAbout()
{
    CAboutDlg dlg;
    dlg.DoModal();
}

CString CMainApp::GetHelpFileName() const
{
    return CString(m_pszExeName) + ".chm";
}

void CMainApp::OnHelp()
{
    ShellExecuteA(nullptr, "open", GetHelpFileName(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CMainApp::OnUpdateHelp(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetFileAttributesA(GetHelpFileName()) != INVALID_FILE_ATTRIBUTES);
}
