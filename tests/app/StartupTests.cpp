// Start-up that fails and the help command's state, in the
// test's own process (whose executable is not called Ondalux.exe).
#include "AppTestSupport.h"
#include "DeviceJournal.h"

namespace
{
int g_nActivated;

// Cancels the creation of the control bar's play button, which fails the
// frame's creation after the list has opened the drives; counts the windows
// activated, as every window shown is.
LRESULT CALLBACK FailPlayButton(int nCode, WPARAM wParam, LPARAM lParam)
{
    g_nActivated += nCode == HCBT_ACTIVATE;
    const bool bPlay = nCode == HCBT_CREATEWND
                       && reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->hMenu == reinterpret_cast<HMENU>(ID_CD_PLAY);
    return bPlay ? 1 : ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}
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
    EXPECT_EQ("", DevicesLeftRunning(sim, ::GetCurrentProcessId(), nOpened));
    EXPECT_EQ(4, nOpened);
    theApp.ExitInstance();
    sim.RemoveAllDrives();
}

TEST_F(AppTest, HelpIsEnabledExactlyWhileAFileOrFolderNamedAfterTheExecutableIsInTheCurrentFolder)
{
    char path[MAX_PATH], previous[MAX_PATH], temp[MAX_PATH];
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string beside = std::string(path).substr(0, std::string(path).rfind('.')) + ".chm";
    const std::string own = beside.substr(beside.find_last_of("\\/") + 1);
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ::GetTempPathA(MAX_PATH, temp);
    ASSERT_TRUE(::SetCurrentDirectoryA(temp));
    const struct { std::string strPath; bool bFolder, bEnabled; } cases[] = {
        { "", false, false }, { "Ondalux.chm", false, false }, { own, false, true }, { own, true, true },
        { beside, false, false },
    };
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
