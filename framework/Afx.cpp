#include "framework/Afx.h"

namespace
{
CWinApp* g_pApp = nullptr;
HINSTANCE g_hInstance = nullptr;
}  // namespace

CWinApp* AfxGetApp()
{
    return g_pApp;
}

void AfxSetApp(CWinApp* pApp)
{
    g_pApp = pApp;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_hInstance != nullptr ? g_hInstance : ::GetModuleHandleA(nullptr);
}

void AfxSetInstanceHandle(HINSTANCE hInstance)
{
    g_hInstance = hInstance;
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();
}

HINSTANCE AfxFindResourceHandle(LPCTSTR, LPCTSTR)
{
    return AfxGetResourceHandle();
}
