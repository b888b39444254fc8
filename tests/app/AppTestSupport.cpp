#include "AppTestSupport.h"

#include <winternl.h>

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message != WM_QUIT)
            ::DispatchMessageA(&msg);
    theApp.OnIdle(0);
}

int GdiObjectCount()
{
    if (DWORD dwCount = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS))
        return static_cast<int>(dwCount);
    // Wine answers 0 above. Its GDI keeps the process's handle table where a
    // 32-bit PEB's GdiSharedHandleTable points (offset 0x94); a live
    // handle's 24-byte entry has a nonzero type at offset 14.
    static_assert(sizeof(void*) == 4, "offset of the table in a 32-bit PEB");
    PROCESS_BASIC_INFORMATION info = {};
    NtQueryInformationProcess(::GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr);
    const BYTE* pPeb = reinterpret_cast<const BYTE*>(info.PebBaseAddress);
    const BYTE* pTable = *reinterpret_cast<const BYTE* const*>(pPeb + 0x94);
    int nCount = 0;
    for (int i = 0; pTable && i < 0x10000; i++)
        nCount += pTable[i * 24 + 14] != 0;
    return nCount;
}

int IconMismatches(HWND hWnd, UINT nIcon, int nSize, int x, int y)
{
    HICON hIcon = static_cast<HICON>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nIcon), IMAGE_ICON, nSize, nSize, 0));
    CRect rc;
    ::GetClientRect(hWnd, &rc);
    HDC hdcWindow = ::GetDC(hWnd);
    HDC hdc = ::CreateCompatibleDC(hdcWindow);
    HBITMAP hbm = ::CreateCompatibleBitmap(hdcWindow, rc.right, rc.bottom);
    HGDIOBJ hOld = ::SelectObject(hdc, hbm);
    ::BitBlt(hdc, 0, 0, rc.right, rc.bottom, hdcWindow, 0, 0, SRCCOPY);
    // The icons are masked, without partial transparency: drawn again over
    // themselves they change nothing.
    int nChanged = ::DrawIconEx(hdc, x, y, hIcon, nSize, nSize, 0, nullptr, DI_NORMAL) ? 0 : -1;
    for (int py = 0; py < rc.bottom; py++)
    {
        for (int px = 0; px < rc.right; px++)
            nChanged += ::GetPixel(hdc, px, py) != ::GetPixel(hdcWindow, px, py);
    }
    ::SelectObject(hdc, hOld);
    ::DeleteObject(hbm);
    ::DeleteDC(hdc);
    ::ReleaseDC(hWnd, hdcWindow);
    ::DestroyIcon(hIcon);
    return nChanged;
}

namespace
{
std::function<void(HWND)> s_inspect;
int s_nShown;

void CALLBACK CloseAboutBox(HWND hDlg, UINT, UINT_PTR nIDEvent, DWORD)
{
    ::KillTimer(hDlg, nIDEvent);
    if (s_inspect)
        s_inspect(hDlg);
    ::PostMessageA(hDlg, WM_COMMAND, IDOK, 0);
}

// A dialog box is closed from its first timer message, once it has painted.
LRESULT CALLBACK OnActivate(int nCode, WPARAM wParam, LPARAM lParam)
{
    char name[8] = {};
    ::GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
    if (nCode == HCBT_ACTIVATE && lstrcmpA(name, "#32770") == 0 && ++s_nShown)
        ::SetTimer(reinterpret_cast<HWND>(wParam), 1, 10, CloseAboutBox);
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}
}

int RunAboutBox(CWnd* pFrame, int nTimes, const std::function<void(HWND)>& inspect)
{
    s_inspect = inspect;
    s_nShown = 0;
    HHOOK hHook = ::SetWindowsHookExA(WH_CBT, OnActivate, nullptr, ::GetCurrentThreadId());
    while (nTimes-- > 0)
        pFrame->SendMessage(WM_COMMAND, ID_APP_ABOUT);
    ::UnhookWindowsHookEx(hHook);
    return s_nShown;
}
