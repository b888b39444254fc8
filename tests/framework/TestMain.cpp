// Entry point of the window tests: the tests drive the application object
// themselves instead of the framework's WinMain.
#include "TestApp.h"

#include <gtest/gtest.h>

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(ID_TEST_APP, OnTestApp)
    ON_COMMAND(ID_TEST_BOTH, OnTestBoth)
    ON_COMMAND(ID_HELP_INDEX, CWinApp::OnHelpIndex)
END_MESSAGE_MAP()

CTestApp theApp;

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
        theApp.PumpMessage();
    theApp.OnIdle(0);
}

IMPLEMENT_DYNAMIC(CTestFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND(ID_TEST_FRAME, OnTestFrame)
    ON_COMMAND(ID_TEST_CHECK, OnTestCheck)
    ON_UPDATE_COMMAND_UI(ID_TEST_CHECK, OnUpdateTestCheck)
    ON_COMMAND(ID_TEST_BOTH, OnTestBoth)
    ON_COMMAND(ID_TEST_DISABLED, OnTestDisabled)
    ON_UPDATE_COMMAND_UI(ID_TEST_DISABLED, OnUpdateTestDisabled)
    ON_COMMAND(ID_TEST_THROW, OnTestThrow)
END_MESSAGE_MAP()

int CTestFrame::s_nDestroyed = 0;

BOOL CTestFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (nCode == CN_COMMAND && pHandlerInfo == nullptr)
        m_overrideLog.push_back(nID);
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

int CTestFrame::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    static const UINT indicators[] = {ID_SEPARATOR};
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1 ||
        !m_wndPane.Create("STATIC", "", WS_CHILD | WS_VISIBLE, rectDefault, this, AFX_IDW_PANE_FIRST) ||
        !m_wndBar.Create(this, IDD_TESTBAR, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY,
                         AFX_IDW_TOOLBAR) ||
        !m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(indicators, 1))
        return -1;
    return 0;
}

CRect ChildRect(HWND hChild)
{
    CRect rc;
    ::GetWindowRect(hChild, &rc);
    ::MapWindowPoints(nullptr, ::GetParent(hChild), reinterpret_cast<LPPOINT>(&rc), 2);
    return rc;
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, ::GetCommandLineA(), SW_SHOWNORMAL);
    ::InitCommonControls();
    return RUN_ALL_TESTS();
}
