// The application object. A program defines exactly one, as a global object
// of a class derived from CWinApp; the framework's WinMain finds it, fills in
// its members, calls InitInstance, runs the message loop while the main
// window lives and returns what ExitInstance returns.
#pragma once

#include "framework/Afx.h"
#include "framework/CCmdTarget.h"
#include "framework/CString.h"

class CWnd;

class CWinApp : public CCmdTarget
{
    DECLARE_DYNAMIC(CWinApp)

public:
    // With a null name the application takes its name from the string
    // AFX_IDS_APP_TITLE (or, without it, from the executable's name).
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    LPCTSTR m_pszAppName = nullptr;
    LPCTSTR m_pszExeName = nullptr;       // executable's name without folder and extension
    LPCTSTR m_pszHelpFilePath = nullptr;  // the executable's path with the extension .chm
    LPCTSTR m_pszRegistryKey = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPTSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    CWnd* m_pMainWnd = nullptr;  // cleared, and the loop ended, when its window is destroyed
    MSG m_msgCur = {};           // the last message taken from the queue

    virtual BOOL InitInstance();
    // The message loop: ends at WM_QUIT and returns ExitInstance's result.
    virtual int Run();
    // Returns the exit code, the WM_QUIT message's wParam.
    virtual int ExitInstance();
    // Idle-time work: the main frame's command states and status text, and
    // the release of temporary window objects. Public, so that a test can run
    // idle processing without the loop.
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Takes, translates and dispatches one message (waiting for it); FALSE at WM_QUIT.
    BOOL PumpMessage();

    // Only remembered: the program keeps no settings.
    void SetRegistryKey(LPCTSTR lpszRegistryKey);

    // The wait cursor (BeginWaitCursor/EndWaitCursor), counted: shown from
    // the first Begin to the last End; +1 begins, -1 ends.
    void DoWaitCursor(int nCode);
    BOOL IsWaitCursorShown() const { return m_nWaitCursorCount > 0; }

    // ID_HELP_INDEX: opens the help file m_pszHelpFilePath with the shell.
    void OnHelpIndex();
    // ID_APP_EXIT: asks the main window to close.
    void OnAppExit();

    // Fills in the members from the module, the command line and the show
    // command (called by WinMain, or by a test).
    void InitAppInfo(HINSTANCE hInstance, LPTSTR lpCmdLine, int nCmdShow);

    DECLARE_MESSAGE_MAP()

private:
    CString m_strAppName;
    CString m_strExeName;
    CString m_strHelpFilePath;
    CString m_strRegistryKey;
    int m_nWaitCursorCount = 0;
    HCURSOR m_hcurWaitCursorRestore = nullptr;
};

CWnd* AfxGetMainWnd();

// Sets up the framework for the application object (the instance handle and
// the application's members). WinMain calls it; so can a test's own main.
BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow);
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow);
