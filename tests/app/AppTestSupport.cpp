#include "AppTestSupport.h"

#include <winternl.h>

#include <cstdio>

#include "res/resource.h"

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
    {
        if (msg.message == WM_QUIT)
        {
            ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
            continue;
        }
        theApp.PumpMessage();
    }
    theApp.OnIdle(0);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD dwTimeoutMs)
{
    const DWORD dwStart = ::GetTickCount();
    while (!condition())
    {
        if (::GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        Pump();
        ::Sleep(5);
    }
    return true;
}

int GdiObjectCount()
{
    if (DWORD dwCount = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS))
        return static_cast<int>(dwCount);
    // Wine answers 0 above. Its GDI keeps the process's handle table where
    // the PEB's GdiSharedHandleTable points (offset 0x94 in a 32-bit PEB);
    // every live handle's entry has a nonzero type.
    struct Entry
    {
        UINT64 object;
        ULONG owner;
        USHORT unique;
        UCHAR type;
        UCHAR flags;
        UINT64 user;
    };
    static_assert(sizeof(Entry) == 24, "layout of Wine's handle table entry");
    static_assert(sizeof(void*) == 4, "offset of the table in a 32-bit PEB");
    PROCESS_BASIC_INFORMATION info = {};
    if (NtQueryInformationProcess(::GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr) != 0)
        return -1;
    const BYTE* pPeb = reinterpret_cast<const BYTE*>(info.PebBaseAddress);
    const Entry* pTable = *reinterpret_cast<const Entry* const*>(pPeb + 0x94);
    if (pTable == nullptr)
        return -1;
    int nCount = 0;
    for (int i = 0; i < 0x10000; i++)
        nCount += pTable[i].type != 0;
    return nCount;
}

namespace
{
// A top-down 32-bit DIB section selected into a memory DC.
class Canvas
{
public:
    Canvas(int nWidth, int nHeight) : m_hdc(::CreateCompatibleDC(nullptr))
    {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
        bmi.bmiHeader.biWidth = nWidth;
        bmi.bmiHeader.biHeight = -nHeight;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        void* pBits = nullptr;
        m_hBitmap = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
        m_pBits = static_cast<const uint32_t*>(pBits);
        m_hOld = ::SelectObject(m_hdc, m_hBitmap);
    }
    ~Canvas()
    {
        ::SelectObject(m_hdc, m_hOld);
        ::DeleteObject(m_hBitmap);
        ::DeleteDC(m_hdc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_hdc; }
    const uint32_t* Bits() const
    {
        ::GdiFlush();
        return m_pBits;
    }

private:
    HDC m_hdc;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOld = nullptr;
    const uint32_t* m_pBits = nullptr;
};
}

Capture::Capture(HWND hWnd)
{
    RECT rc;
    ::GetClientRect(hWnd, &rc);
    m_nWidth = rc.right;
    m_nHeight = rc.bottom;
    if (m_nWidth <= 0 || m_nHeight <= 0)
        return;
    Canvas canvas(m_nWidth, m_nHeight);
    HDC hdc = ::GetDC(hWnd);
    ::BitBlt(canvas.Dc(), 0, 0, m_nWidth, m_nHeight, hdc, 0, 0, SRCCOPY);
    ::ReleaseDC(hWnd, hdc);
    const uint32_t* pBits = canvas.Bits();
    m_pixels.reserve(static_cast<size_t>(m_nWidth) * m_nHeight);
    for (int i = 0; i < m_nWidth * m_nHeight; i++)
        m_pixels.push_back(pBits[i] & 0xFFFFFF);
}

IconImage::IconImage(UINT nID, int nSize)
{
    HICON hIcon = static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nID),
                                                  IMAGE_ICON, nSize, nSize, LR_DEFAULTCOLOR));
    if (hIcon == nullptr)
        return;
    Canvas black(nSize, nSize), white(nSize, nSize);
    RECT rc = { 0, 0, nSize, nSize };
    ::FillRect(black.Dc(), &rc, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::FillRect(white.Dc(), &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::DrawIconEx(black.Dc(), 0, 0, hIcon, nSize, nSize, 0, nullptr, DI_NORMAL);
    ::DrawIconEx(white.Dc(), 0, 0, hIcon, nSize, nSize, 0, nullptr, DI_NORMAL);
    ::DestroyIcon(hIcon);
    const uint32_t* pBlack = black.Bits();
    const uint32_t* pWhite = white.Bits();
    for (int y = 0; y < nSize; y++)
    {
        for (int x = 0; x < nSize; x++)
        {
            const uint32_t rgb = pBlack[y * nSize + x] & 0xFFFFFF;
            if (rgb == (pWhite[y * nSize + x] & 0xFFFFFF))
                m_opaque.push_back({ x, y, rgb });
        }
    }
}

std::string IconImage::Mismatch(const Capture& capture, int x0, int y0) const
{
    int nCompared = 0;
    int nWrong = 0;
    std::string first;
    for (const Pixel& p : m_opaque)
    {
        const int x = x0 + p.x;
        const int y = y0 + p.y;
        if (x < 0 || y < 0 || x >= capture.Width() || y >= capture.Height())
            continue;
        nCompared++;
        if (capture.At(x, y) != p.rgb && nWrong++ == 0)
        {
            char text[96];
            std::snprintf(text, sizeof text, "at (%d, %d) %06X instead of %06X", x, y,
                          static_cast<unsigned>(capture.At(x, y)), static_cast<unsigned>(p.rgb));
            first = text;
        }
    }
    if (nCompared == 0)
        return "no pixel of the icon falls inside";
    if (nWrong == 0)
        return std::string();
    return std::to_string(nWrong) + " of " + std::to_string(nCompared) + " pixels differ, first " + first;
}

void AppTest::SetUp()
{
    ASSERT_TRUE(m_sim.IsAttached()) << m_sim.GetLastError();
    ASSERT_TRUE(m_sim.RemoveAllDrives()) << m_sim.GetLastError();
    ASSERT_TRUE(m_sim.SetTimeFactor(1.0));
    ASSERT_TRUE(m_sim.BuildDemo()) << m_sim.GetLastError();
    m_sim.ClearJournal();

    ASSERT_TRUE(theApp.InitInstance());
    m_pFrame = dynamic_cast<CMainFrame*>(theApp.m_pMainWnd);
    ASSERT_NE(nullptr, m_pFrame);
    Pump();
}

void AppTest::TearDown()
{
    if (theApp.m_pMainWnd != nullptr)
        theApp.m_pMainWnd->SendMessage(WM_CLOSE);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message != WM_QUIT)
            ::DispatchMessageA(&msg);
    }
    theApp.ExitInstance();
    m_sim.RemoveAllDrives();
}

HMENU AppTest::OpenPopup(int nIndex)
{
    HMENU hPopup = ::GetSubMenu(::GetMenu(m_pFrame->m_hWnd), nIndex);
    m_pFrame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), nIndex);
    return hPopup;
}

bool AppTest::MenuItemGrayed(int nPopup, UINT nID)
{
    return (::GetMenuState(OpenPopup(nPopup), nID, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

CRect AppTest::InFrame(HWND hChild)
{
    CRect rc;
    ::GetWindowRect(hChild, &rc);
    ::MapWindowPoints(nullptr, m_pFrame->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

bool IsDialogClass(HWND hWnd)
{
    char name[16] = {};
    ::GetClassNameA(hWnd, name, sizeof name);
    return lstrcmpA(name, "#32770") == 0;
}

namespace
{
std::function<void(HWND)> s_inspect;

void CALLBACK InspectAboutBox(HWND, UINT, UINT_PTR nIDEvent, DWORD)
{
    HWND hDlg = ::GetActiveWindow();
    if (hDlg == nullptr || !IsDialogClass(hDlg))
        return;
    ::KillTimer(nullptr, nIDEvent);
    ::UpdateWindow(hDlg);
    s_inspect(hDlg);
    ::PostMessageA(hDlg, WM_COMMAND, IDOK, 0);
}
}

void WithAboutBox(CWnd* pFrame, const std::function<void(HWND)>& inspect)
{
    s_inspect = inspect;
    ::SetTimer(nullptr, 0, 50, InspectAboutBox);
    pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0);
    s_inspect = nullptr;
}

int AutoCloseDialogs::s_nClosed = 0;

AutoCloseDialogs::AutoCloseDialogs()
    : m_hHook(::SetWindowsHookExA(WH_CBT, Hook, nullptr, ::GetCurrentThreadId()))
{
    s_nClosed = 0;
}

AutoCloseDialogs::~AutoCloseDialogs()
{
    ::UnhookWindowsHookEx(m_hHook);
}

LRESULT CALLBACK AutoCloseDialogs::Hook(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_ACTIVATE && IsDialogClass(reinterpret_cast<HWND>(wParam)))
    {
        ::PostMessageA(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDOK, 0);
        s_nClosed++;
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, ::GetCommandLineA(), SW_SHOWNORMAL);
    return RUN_ALL_TESTS();
}
