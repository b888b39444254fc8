// The program started in-process the way its WinMain starts it: the tests
// call the application object's InitInstance over the simulated demo drives
// and look at the windows it made, their pixels included.
#pragma once

#include "app/CMainApp.h"
#include "frame/CMainFrame.h"
#include "simcd/SimController.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

extern CMainApp theApp;

inline void PrintTo(const CRect& rc, std::ostream* os)
{
    *os << "(" << rc.left << ", " << rc.top << ", " << rc.right << ", " << rc.bottom << ")";
}

// Dispatches what is queued through the application's pump, then runs idle
// processing once.
void Pump();

// Pumps until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, DWORD dwTimeoutMs = 3000);

// Live GDI objects of this process.
int GdiObjectCount();

// A window's client area as 32-bit 0x00RRGGBB pixels, read from the screen.
class Capture
{
public:
    explicit Capture(HWND hWnd);
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    uint32_t At(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_nWidth + x]; }

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<uint32_t> m_pixels;
};

// The pixels that an icon paints opaquely when drawn with DrawIconEx at a
// size, found by drawing it on black and on white.
class IconImage
{
public:
    IconImage(UINT nID, int nSize);
    bool Loaded() const { return !m_opaque.empty(); }
    // Empty when every opaque pixel of the icon drawn at (x, y) matches the
    // capture (those falling outside it are skipped); else what differs.
    std::string Mismatch(const Capture& capture, int x, int y) const;

private:
    struct Pixel
    {
        int x, y;
        uint32_t rgb;
    };
    std::vector<Pixel> m_opaque;
};

// The demo drives (D:, E:, F: with discs, G: empty) and the program started
// on them by InitInstance; TearDown closes it as the user would.
class AppTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    void Command(UINT nID) { m_pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0); }
    // Opens the menu bar's pop-up the way the menu does before showing it.
    HMENU OpenPopup(int nIndex);
    bool MenuItemGrayed(int nPopup, UINT nID);
    // Rectangle of a child in the frame's client coordinates.
    CRect InFrame(HWND hChild);
    HWND Bar() { return m_pFrame->m_wndControlBar.m_hWnd; }
    HWND List() { return m_pFrame->m_wndDriveList.m_hWnd; }
    HWND Status() { return m_pFrame->m_wndStatusBar.m_hWnd; }

    simcd::SimController m_sim;
    CMainFrame* m_pFrame = nullptr;
};

// Runs the about box from its command and calls inspect with the open box
// once it is shown and idle; the box is then closed with OK.
void WithAboutBox(CWnd* pFrame, const std::function<void(HWND)>& inspect);

// While alive, every dialog box is closed with OK as soon as it activates.
class AutoCloseDialogs
{
public:
    AutoCloseDialogs();
    ~AutoCloseDialogs();
    AutoCloseDialogs(const AutoCloseDialogs&) = delete;
    AutoCloseDialogs& operator=(const AutoCloseDialogs&) = delete;
    int Closed() const { return s_nClosed; }

private:
    static LRESULT CALLBACK Hook(int nCode, WPARAM wParam, LPARAM lParam);
    static int s_nClosed;
    HHOOK m_hHook;
};

bool IsDialogClass(HWND hWnd);
