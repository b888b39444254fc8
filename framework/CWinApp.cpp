#include "framework/CWinApp.h"

#include "framework/CFrameWnd.h"

#include <shellapi.h>

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCTSTR lpszAppName)
{
    if (lpszAppName != nullptr)
    {
        m_strAppName = lpszAppName;
        m_pszAppName = m_strAppName;
    }
    AfxSetApp(this);
}

CWinApp::~CWinApp()
{
    if (AfxGetApp() == this)
        AfxSetApp(nullptr);
}

void CWinApp::InitAppInfo(HINSTANCE hInstance, LPTSTR lpCmdLine, int nCmdShow)
{
    m_hInstance = hInstance;
    m_lpCmdLine = lpCmdLine;
    m_nCmdShow = nCmdShow;

    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(hInstance, path, MAX_PATH);
    CString fullPath(path);
    const char* name = path;
    for (const char* p = path; *p != '\0'; p = ::CharNextA(p))
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    CString fileName(name);
    int dot = -1;
    for (int i = 0; i < fileName.GetLength(); ++i)
        if (static_cast<const char*>(fileName)[i] == '.')
            dot = i;
    m_strExeName = dot >= 0 ? fileName.Left(dot) : fileName;
    m_pszExeName = m_strExeName;

    int folderLength = static_cast<int>(name - path);
    m_strHelpFilePath = fullPath.Left(folderLength) + m_strExeName + ".chm";
    m_pszHelpFilePath = m_strHelpFilePath;

    if (m_pszAppName == nullptr)
    {
        if (!m_strAppName.LoadString(AFX_IDS_APP_TITLE))
            m_strAppName = m_strExeName;
        m_pszAppName = m_strAppName;
    }
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return static_cast<int>(m_msgCur.wParam);
}

// Messages after which idle work is due: not the frequent ones that change
// nothing the idle work shows.
static bool IsIdleMessage(const MSG& msg)
{
    static POINT lastMouse = { -1, -1 };
    const UINT WM_SYSTIMER = 0x0118;  // caret blink
    if (msg.message == WM_PAINT || msg.message == WM_SYSTIMER)
        return false;
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE)
    {
        if (msg.pt.x == lastMouse.x && msg.pt.y == lastMouse.y)
            return false;
        lastMouse = msg.pt;
    }
    return true;
}

int CWinApp::Run()
{
    bool idle = true;
    for (;;)
    {
        MSG peek;
        if (idle && !::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE))
        {
            try
            {
                OnIdle(0);
            }
            catch (...)
            {
                // An update handler failed; the loop goes on.
            }
            idle = false;
        }
        if (!PumpMessage())
            return ExitInstance();
        if (IsIdleMessage(m_msgCur))
            idle = true;
    }
}

BOOL CWinApp::PumpMessage()
{
    if (::GetMessageA(&m_msgCur, nullptr, 0, 0) <= 0)
        return FALSE;
    if (!PreTranslateMessage(&m_msgCur))
    {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageA(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    return m_pMainWnd != nullptr && m_pMainWnd->m_hWnd != nullptr && m_pMainWnd->PreTranslateMessage(pMsg);
}

BOOL CWinApp::OnIdle(LONG)
{
    if (m_pMainWnd != nullptr && m_pMainWnd->m_hWnd != nullptr && m_pMainWnd->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
        static_cast<CFrameWnd*>(m_pMainWnd)->OnIdleUpdateCmdUI();
    CWnd::DeleteTempMap();
    return FALSE;
}

void CWinApp::SetRegistryKey(LPCTSTR lpszRegistryKey)
{
    m_strRegistryKey = lpszRegistryKey;
    m_pszRegistryKey = m_strRegistryKey;
}

void CWinApp::DoWaitCursor(int nCode)
{
    m_nWaitCursorCount += nCode;
    if (m_nWaitCursorCount < 0)
        m_nWaitCursorCount = 0;
    if (nCode > 0 && m_nWaitCursorCount == nCode)
    {
        m_hcurWaitCursorRestore = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    }
    else if (nCode < 0 && m_nWaitCursorCount == 0)
    {
        ::SetCursor(m_hcurWaitCursorRestore);
    }
}

void CWinApp::OnHelpIndex()
{
    HWND hOwner = m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr;
    ::ShellExecuteA(hOwner, "open", m_pszHelpFilePath, nullptr, nullptr, SW_SHOWNORMAL);
}

void CWinApp::OnAppExit()
{
    // Posted, so that the frame is not destroyed under the command's dispatch.
    if (m_pMainWnd != nullptr && m_pMainWnd->m_hWnd != nullptr)
        m_pMainWnd->PostMessage(WM_CLOSE);
}

CWnd* AfxGetMainWnd()
{
    CWinApp* app = AfxGetApp();
    return app != nullptr ? app->m_pMainWnd : nullptr;
}

BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE, LPTSTR lpCmdLine, int nCmdShow)
{
    AfxSetInstanceHandle(hInstance);
    CWinApp* app = AfxGetApp();
    if (app != nullptr)
        app->InitAppInfo(hInstance, lpCmdLine, nCmdShow);
    return TRUE;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr || !AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow))
        return -1;
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}

// The program's entry point. It lives here, with the application class that
// every program links, so that the linker always finds it.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
