// The program started in-process as its WinMain starts it, over the simulated
// demo drives (D:, E:, F: with discs, G: empty): first size, children, the
// list between the bars, the icon buttons and the about box read back from the
// screen, where the focus goes, GDI objects that must not leak, the help
// command's state, and a start-up that fails.
#include "app/CMainApp.h"
#include "frame/CMainFrame.h"
#include "res/resource.h"
#include "simcd/SimController.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <mmddk.h>
#include <winternl.h>

#include <functional>
#include <map>

extern CMainApp theApp;

class AppTest : public testing::Test
{
protected:
    void SetUp() override
    {
        AfxWinInit(::GetModuleHandleA(nullptr), nullptr, ::GetCommandLineA(), SW_SHOWNORMAL);
        ASSERT_TRUE(m_sim.IsAttached() && m_sim.RemoveAllDrives() && m_sim.SetTimeFactor(1.0) && m_sim.BuildDemo())
            << m_sim.GetLastError();
        ASSERT_TRUE(theApp.InitInstance());
        ASSERT_NE(nullptr, m_pFrame = dynamic_cast<CMainFrame*>(theApp.m_pMainWnd));
        Pump();
    }
    void TearDown() override
    {
        if (theApp.m_pMainWnd != nullptr)
            theApp.m_pMainWnd->SendMessage(WM_CLOSE);
        Pump();
        theApp.ExitInstance();
        m_sim.RemoveAllDrives();
    }

    void Command(UINT nID) { m_pFrame->SendMessage(WM_COMMAND, nID); }
    // The item's state in a menu-bar pop-up, updated as before it opens.
    UINT MenuState(int nPopup, UINT nID)
    {
        HMENU hPopup = ::GetSubMenu(::GetMenu(m_pFrame->m_hWnd), nPopup);
        m_pFrame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), nPopup);
        return ::GetMenuState(hPopup, nID, MF_BYCOMMAND);
    }
    HWND Bar() { return m_pFrame->m_wndControlBar.m_hWnd; }
    HWND List() { return m_pFrame->m_wndDriveList.m_hWnd; }

    simcd::SimController m_sim;
    CMainFrame* m_pFrame = nullptr;
};

namespace
{
const UINT kButtons[] = { ID_CD_PLAY, ID_CD_PAUSE, ID_CD_STOP, ID_CD_REPEAT, ID_CD_NEXT_TRACK, ID_CD_PREV_TRACK };

// Live GDI objects of this process.
int GdiObjectCount()
{
    if (DWORD dwCount = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS))
        return static_cast<int>(dwCount);
    // Wine answers 0 above. Its GDI keeps the process's handle table where the
    // PEB's GdiSharedHandleTable points (offset 0x94 in a 32-bit PEB, 0xF8 in
    // a 64-bit one); a live handle's 24-byte entry has a nonzero type at offset 14.
    const size_t cbTableOffset = sizeof(void*) == 4 ? 0x94 : 0xF8;
    PROCESS_BASIC_INFORMATION info = {};
    NtQueryInformationProcess(::GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr);
    const BYTE* pTable =
        *reinterpret_cast<const BYTE* const*>(reinterpret_cast<const BYTE*>(info.PebBaseAddress) + cbTableOffset);
    int nCount = 0;
    for (int i = 0; pTable && i < 0x10000; i++)
        nCount += pTable[i * 24 + 14] != 0;
    return nCount;
}

// Pixels of the window's client area that change when the icon is drawn over
// it at (x, y) in nSize: 0 when it shows there; -1 when it cannot draw. The
// icons are masked, without partial transparency: drawn again over themselves
// they change nothing.
int IconMismatches(HWND hWnd, UINT nIcon, int nSize, int x, int y)
{
    HICON hIcon = static_cast<HICON>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nIcon), IMAGE_ICON, nSize, nSize, 0));
    CRect rc;
    ::GetClientRect(hWnd, &rc);
    HDC hdcWindow = ::GetDC(hWnd), hdc = ::CreateCompatibleDC(hdcWindow);
    HBITMAP hbm = ::CreateCompatibleBitmap(hdcWindow, rc.right, rc.bottom);
    HGDIOBJ hOld = ::SelectObject(hdc, hbm);
    ::BitBlt(hdc, 0, 0, rc.right, rc.bottom, hdcWindow, 0, 0, SRCCOPY);
    int nChanged = ::DrawIconEx(hdc, x, y, hIcon, nSize, nSize, 0, nullptr, DI_NORMAL) ? 0 : -1;
    for (int py = 0; py < rc.bottom; py++)
        for (int px = 0; px < rc.right; px++)
            nChanged += ::GetPixel(hdc, px, py) != ::GetPixel(hdcWindow, px, py);
    ::DeleteObject(::SelectObject(hdc, hOld));
    ::DeleteDC(hdc);
    ::ReleaseDC(hWnd, hdcWindow);
    ::DestroyIcon(hIcon);
    return nChanged;
}

// A child's rectangle in its parent's client coordinates.
CRect RectIn(HWND hParent, HWND hChild)
{
    CRect rc;
    ::GetWindowRect(hChild, &rc);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

std::function<void(HWND)> s_inspect;
int s_nShown;

void CALLBACK CloseAboutBox(HWND hDlg, UINT, UINT_PTR nIDEvent, DWORD)
{
    // The dialog box shows itself once its queue is first empty, which on a
    // slow machine may come after the first tick.
    if (!::IsWindowVisible(hDlg))
        return;
    ::KillTimer(hDlg, nIDEvent);
    s_inspect(hDlg);
    ::PostMessageA(hDlg, WM_COMMAND, IDOK, 0);
}

// A dialog box is closed with OK from the first timer message that finds it
// shown (and painted: the paint comes before the timer), once inspect has
// looked at it.
LRESULT CALLBACK OnActivate(int nCode, WPARAM wParam, LPARAM lParam)
{
    char name[8] = {};
    ::GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
    if (nCode == HCBT_ACTIVATE && lstrcmpA(name, "#32770") == 0 && ++s_nShown)
        ::SetTimer(reinterpret_cast<HWND>(wParam), 1, 10, CloseAboutBox);
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

// Opens the about box from the frame's command nTimes; returns how many showed.
int RunAboutBox(
    CWnd* pFrame, int nTimes, const std::function<void(HWND)>& inspect = [](HWND) {})
{
    s_inspect = inspect;
    s_nShown = 0;
    HHOOK hHook = ::SetWindowsHookExA(WH_CBT, OnActivate, nullptr, ::GetCurrentThreadId());
    while (nTimes-- > 0)
        pFrame->SendMessage(WM_COMMAND, ID_APP_ABOUT);
    ::UnhookWindowsHookEx(hHook);
    return s_nShown;
}

int g_nActivated;

// What went wrong with the devices in the journal (this process's alone): each must get a
// stop right before its close, and none may stay open; nOpened counts opens.
std::string DevicesLeftRunning(const simcd::SimController& sim, int& nOpened)
{
    std::map<uint32_t, std::pair<char, uint32_t>> open;  // drive and last command
    std::string problems;
    for (const simcd::SimJournalEntry& e : sim.GetJournal())
    {
        nOpened += e.command == MCI_OPEN_DRIVER;
        if (e.command == MCI_CLOSE_DRIVER && open[e.deviceId].second != MCI_STOP)
            problems += std::string(1, e.drive) + ": closed without a stop before; ";
        if (e.command == MCI_CLOSE_DRIVER)
            open.erase(e.deviceId);
        else if (e.command == MCI_OPEN_DRIVER || open.count(e.deviceId))
            open[e.deviceId] = { e.drive, e.command };
    }
    for (const auto& d : open)
        problems += std::string(1, d.second.first) + ": device left open; ";
    for (const simcd::SimDriveInfo& drive : sim.GetDrives())
        problems += drive.openDevices ? std::string(1, drive.letter) + ": the drive still counts open devices; " : "";
    return problems;
}

// Cancels the creation of the control bar's play button, which fails the
// frame's creation after the list has opened the drives; counts the windows
// activated, as every window shown is.
LRESULT CALLBACK FailPlayButton(int nCode, WPARAM wParam, LPARAM lParam)
{
    g_nActivated += nCode == HCBT_ACTIVATE;
    const bool bPlay = nCode == HCBT_CREATEWND &&
                       reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->hMenu == reinterpret_cast<HMENU>(ID_CD_PLAY);
    return bPlay ? 1 : ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}
}  // namespace

TEST_F(AppTest, FrameShowsAThirdSmallerThanTheDefaultSizeWithItsChildrenAndTheListBetweenTheBars)
{
    HWND hProbe = ::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    const CRect def = RectIn(nullptr, hProbe), rc = RectIn(nullptr, m_pFrame->m_hWnd);
    ::DestroyWindow(hProbe);
    CRect client;
    EXPECT_TRUE(m_pFrame->IsWindowVisible());
    EXPECT_EQ(CRect(def.left, def.top, def.right - def.Width() / 3, def.bottom - def.Height() / 3), rc);
    EXPECT_EQ(List(), ::GetDlgItem(m_pFrame->m_hWnd, AFX_IDW_PANE_FIRST));
    EXPECT_EQ(Bar(), ::GetDlgItem(m_pFrame->m_hWnd, AFX_IDW_TOOLBAR));
    HWND hStatus = ::GetDlgItem(m_pFrame->m_hWnd, AFX_IDW_STATUS_BAR);
    EXPECT_EQ(m_pFrame->m_wndStatusBar.m_hWnd, hStatus);
    for (UINT nID : kButtons)
        EXPECT_TRUE(dynamic_cast<CIconButton*>(CWnd::FromHandlePermanent(::GetDlgItem(Bar(), nID)))) << nID;

    m_pFrame->GetClientRect(&client);
    const CRect bar = RectIn(m_pFrame->m_hWnd, Bar()), status = RectIn(m_pFrame->m_hWnd, hStatus);
    EXPECT_EQ(CRect(0, bar.bottom, client.right, status.top), RectIn(m_pFrame->m_hWnd, List()));
    Command(ID_VIEW_TOOLBAR);
    EXPECT_EQ(CRect(0, 0, client.right, status.top), RectIn(m_pFrame->m_hWnd, List()));
    EXPECT_EQ(0u, MenuState(1, ID_VIEW_TOOLBAR) & MF_CHECKED);
    Command(ID_VIEW_STATUS_BAR);
    EXPECT_EQ(client, RectIn(m_pFrame->m_hWnd, List()));
    Command(ID_VIEW_TOOLBAR);
    EXPECT_EQ(CRect(0, bar.bottom, client.right, client.bottom), RectIn(m_pFrame->m_hWnd, List()));
}

TEST_F(AppTest, IconButtonGlyphStaysCentredUpPushedAndFocusedCheckedOrNot)
{
    Command(ID_CD_REPEAT);  // the idle-time update checks the button
    for (UINT nID : kButtons)
    {
        HWND hButton = ::GetDlgItem(Bar(), nID);
        CRect rc;
        ::GetClientRect(hButton, &rc);
        // Up, then pushed, then released with the focus.
        for (int nStep = 0; nStep < 3; nStep++)
        {
            if (nStep == 2)
                ::SetFocus(hButton);
            ::SendMessageA(hButton, BM_SETSTATE, nStep == 1, 0);
            Pump();
            EXPECT_EQ(0, IconMismatches(hButton, nID, 16, (rc.Width() - 16) / 2, (rc.Height() - 16) / 2))
                << nID << " in step " << nStep;
        }
    }
}

// Two hundred times are plenty: a paint or a box that kept a single object
// would grow the count at least twenty times past the slack.
TEST_F(AppTest, PaintingTheIconButtonsOrOpeningTheAboutBoxAgainAndAgainDoesNotGrowTheGdiObjects)
{
    RunAboutBox(m_pFrame, 1);
    const int nBefore = GdiObjectCount();
    ASSERT_GT(nBefore, 20) << "the count does not see the program's objects";
    for (int i = 0; i < 200; i++)
        ::RedrawWindow(Bar(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_LE(GdiObjectCount() - nBefore, 5);
    EXPECT_EQ(200, RunAboutBox(m_pFrame, 200));
    Pump();
    EXPECT_LE(GdiObjectCount() - nBefore, 10);
}

TEST_F(AppTest, AboutBoxOpensCentredShowsThe48PixelIconAtItsCornerFocusedOnOkThenTheListHasTheFocusAgain)
{
    EXPECT_EQ(List(), ::GetFocus());
    EXPECT_EQ(1, RunAboutBox(m_pFrame, 1, [&](HWND hDlg) {
                  EXPECT_FALSE(m_pFrame->IsWindowEnabled()) << "the box is modal to the frame";
                  EXPECT_EQ(::GetDlgItem(hDlg, IDOK), ::GetFocus());
                  HWND hIcon = ::GetDlgItem(hDlg, IDC_ABOUT_ICON);
                  CRect corner(6, 18, 0, 0);
                  ::MapDialogRect(hDlg, &corner);
                  EXPECT_EQ(CRect(corner.left, corner.top, corner.left + 48, corner.top + 48), RectIn(hDlg, hIcon));
                  EXPECT_EQ(0, IconMismatches(hIcon, IDR_MAINFRAME, 48, 0, 0));
                  CRect box, frame;
                  ::GetWindowRect(hDlg, &box);
                  m_pFrame->GetWindowRect(&frame);
                  EXPECT_NEAR(frame.CenterPoint().x, box.CenterPoint().x, 1) << "centred over the frame";
                  EXPECT_NEAR(frame.CenterPoint().y, box.CenterPoint().y, 1);
              }));
    Pump();
    EXPECT_EQ(List(), ::GetFocus());

    // Another window takes the focus, then the user switches back.
    HWND hOther = ::CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 600, 200, 100, nullptr,
                                    nullptr, nullptr, nullptr);
    ::SetActiveWindow(hOther);
    Pump();
    ::SetActiveWindow(m_pFrame->m_hWnd);
    Pump();
    EXPECT_EQ(List(), ::GetFocus());
    ::DestroyWindow(hOther);
}

TEST(StartUp, WhenTheFrameCannotBeCreatedNothingIsShownAndEveryDriveIsClosed)
{
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, ::GetCommandLineA(), SW_SHOWNORMAL);
    simcd::SimController sim;
    ASSERT_TRUE(sim.IsAttached() && sim.RemoveAllDrives() && sim.BuildDemo()) << sim.GetLastError();
    sim.ClearJournal();
    HHOOK hHook = ::SetWindowsHookExA(WH_CBT, FailPlayButton, nullptr, ::GetCurrentThreadId());
    EXPECT_FALSE(theApp.InitInstance());
    ::UnhookWindowsHookEx(hHook);
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
    EXPECT_EQ(0, g_nActivated);
    int nOpened = 0;
    EXPECT_EQ("", DevicesLeftRunning(sim, nOpened));
    EXPECT_EQ(4, nOpened);
    theApp.ExitInstance();
    sim.RemoveAllDrives();
}

TEST_F(AppTest, HelpIsEnabledExactlyWhileAFileOrFolderNamedAfterTheExecutableIsInTheCurrentFolder)
{
    // The test's own executable is not called Ondalux.exe.
    char path[MAX_PATH], previous[MAX_PATH];
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string beside = std::string(path).substr(0, std::string(path).rfind('.')) + ".chm";
    const std::string own = beside.substr(beside.find_last_of("\\/") + 1);
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::GetTempPathA(MAX_PATH, path) && ::SetCurrentDirectoryA(path));
    const struct
    {
        std::string strPath;
        bool bFolder, bEnabled;
    } cases[] = { { "", false, false },
                  { "Ondalux.chm", false, false },
                  { own, false, true },
                  { own, true, true },
                  { beside, false, false } };
    for (const auto& c : cases)
    {
        if (c.bFolder)
            ::CreateDirectoryA(c.strPath.c_str(), nullptr);
        else if (!c.strPath.empty())
            ::CloseHandle(::CreateFileA(c.strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        EXPECT_EQ(!c.bEnabled, (MenuState(3, ID_HELP) & MF_GRAYED) != 0) << "with " << c.strPath;
        c.bFolder ? ::RemoveDirectoryA(c.strPath.c_str()) : ::DeleteFileA(c.strPath.c_str());
    }
    ::SetCurrentDirectoryA(previous);
}
