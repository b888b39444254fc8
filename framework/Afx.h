// The application's module and object, reachable from anywhere.
#pragma once

#include "framework/Platform.h"

class CWinApp;

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
// The module that holds a resource. The program keeps all of its resources
// in its executable, so this is the resource handle.
HINSTANCE AfxFindResourceHandle(LPCTSTR lpszName, LPCTSTR lpszType);

// Set by the application object and by AfxWinInit.
void AfxSetApp(CWinApp* pApp);
void AfxSetInstanceHandle(HINSTANCE hInstance);
