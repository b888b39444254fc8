// The application object and frame window that the window tests share.
#pragma once

#include "TestIds.h"
#include "framework/Framework.h"

#include <string>
#include <vector>

class CTestApp : public CWinApp
{
public:
    int m_nApp = 0;
    int m_nBoth = 0;

protected:
    void OnTestApp() { ++m_nApp; }
    void OnTestBoth() { ++m_nBoth; }

    DECLARE_MESSAGE_MAP()
};

extern CTestApp theApp;

// Dispatches what is queued (through the application's own pump), then runs
// idle processing once.
void Pump();

// Pumps until the condition holds or a second has passed.
template <class Condition>
bool PumpUntil(Condition condition)
{
    DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > 1000)
            return false;
        Pump();
        ::Sleep(5);
    }
    return true;
}

// A frame with a pane, a dialog bar from IDD_TESTBAR and a status bar.
class CTestFrame : public CFrameWnd
{
    DECLARE_DYNAMIC(CTestFrame)

public:
    static int s_nDestroyed;
    ~CTestFrame() override { ++s_nDestroyed; }

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    CWnd m_wndPane;
    CDialogBar m_wndBar;
    CStatusBar m_wndStatusBar;
    std::vector<UINT> m_overrideLog;  // commands seen by the override
    bool m_bChecked = false;
    int m_nFrame = 0;
    int m_nCheck = 0;
    int m_nBoth = 0;
    int m_nDisabled = 0;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnTestFrame() { ++m_nFrame; }
    void OnTestCheck() { ++m_nCheck; }
    void OnUpdateTestCheck(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_bChecked ? 1 : 0); }
    void OnTestBoth() { ++m_nBoth; }
    void OnTestDisabled() { ++m_nDisabled; }
    void OnUpdateTestDisabled(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    void OnTestThrow() { AfxThrowInvalidArgException(); }

    DECLARE_MESSAGE_MAP()
};

// Rectangle of a child in its parent's client coordinates.
CRect ChildRect(HWND hChild);
