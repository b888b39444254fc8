// Start-up that fails, and the help command's state, in the test's own
// process (whose executable is not called Ondalux.exe).
#include "AppTestSupport.h"
#include "DeviceJournal.h"

#include "res/resource.h"

namespace
{
// The current folder moved to a fresh empty one for the test's duration.
class HelpTest : public AppTest
{
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        m_folder = std::string(temp) + "ondalux-help-" + std::to_string(::GetCurrentProcessId());
        ASSERT_TRUE(::CreateDirectoryA(m_folder.c_str(), nullptr));
        ::GetCurrentDirectoryA(MAX_PATH, m_previous);
        ASSERT_TRUE(::SetCurrentDirectoryA(m_folder.c_str()));
        AppTest::SetUp();
    }

    void TearDown() override
    {
        AppTest::TearDown();
        ::SetCurrentDirectoryA(m_previous);
        for (const char* name : { "Ondalux.chm", m_own.c_str() })
        {
            const std::string path = m_folder + "\\" + name;
            ::DeleteFileA(path.c_str());
            ::RemoveDirectoryA(path.c_str());
        }
        ::RemoveDirectoryA(m_folder.c_str());
    }

    bool HelpGrayed() { return MenuItemGrayed(3, ID_HELP); }

    static void Touch(const std::string& path)
    {
        HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h) << path;
        ::CloseHandle(h);
    }

    // This executable's file name with ".chm" instead of ".exe".
    const std::string m_own = [] {
        char path[MAX_PATH];
        ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string name = path;
        name = name.substr(name.find_last_of("\\/") + 1);
        return name.substr(0, name.find_last_of('.')) + ".chm";
    }();
    std::string m_folder;
    char m_previous[MAX_PATH] = {};
};

// Cancels the creation of the control bar's play button, which makes the
// bar's creation, and with it the frame's, fail after the list has opened
// the drives.
LRESULT CALLBACK FailPlayButton(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_CREATEWND)
    {
        char name[16] = {};
        ::GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
        const CREATESTRUCTA* pcs = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        if (lstrcmpiA(name, "Button") == 0 && pcs->hMenu == reinterpret_cast<HMENU>(ID_CD_PLAY))
            return 1;
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

BOOL CALLBACK CountVisible(HWND hWnd, LPARAM lParam)
{
    if (::IsWindowVisible(hWnd))
        ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}
}

TEST_F(HelpTest, EnabledExactlyWhileAFileOrFolderNamedAfterTheExecutableIsInTheCurrentFolder)
{
    EXPECT_TRUE(HelpGrayed());
    // The usual program's help file does not count for an executable of
    // another name.
    Touch(m_folder + "\\Ondalux.chm");
    EXPECT_TRUE(HelpGrayed());

    Touch(m_folder + "\\" + m_own);
    EXPECT_FALSE(HelpGrayed());
    ::DeleteFileA((m_folder + "\\" + m_own).c_str());
    EXPECT_TRUE(HelpGrayed());

    ASSERT_TRUE(::CreateDirectoryA((m_folder + "\\" + m_own).c_str(), nullptr));
    EXPECT_FALSE(HelpGrayed());
    ::RemoveDirectoryA((m_folder + "\\" + m_own).c_str());
    EXPECT_TRUE(HelpGrayed());

    // Beside the executable, but not in the current folder.
    char path[MAX_PATH];
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string beside = path;
    beside = beside.substr(0, beside.find_last_of("\\/") + 1) + m_own;
    Touch(beside);
    EXPECT_TRUE(HelpGrayed());
    ::DeleteFileA(beside.c_str());
}

TEST(StartUp, WhenTheFrameCannotBeCreatedNothingIsShownAndEveryDriveIsClosed)
{
    simcd::SimController sim;
    ASSERT_TRUE(sim.IsAttached()) << sim.GetLastError();
    ASSERT_TRUE(sim.RemoveAllDrives());
    ASSERT_TRUE(sim.BuildDemo());
    sim.ClearJournal();

    HHOOK hHook = ::SetWindowsHookExA(WH_CBT, FailPlayButton, nullptr, ::GetCurrentThreadId());
    const BOOL bStarted = theApp.InitInstance();
    ::UnhookWindowsHookEx(hHook);

    EXPECT_FALSE(bStarted);
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
    int nVisible = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountVisible, reinterpret_cast<LPARAM>(&nVisible));
    EXPECT_EQ(0, nVisible);
    int nOpened = 0;
    EXPECT_EQ("", DevicesLeftRunning(sim, ::GetCurrentProcessId(), nOpened));
    EXPECT_EQ(4, nOpened);

    Pump();
    theApp.ExitInstance();
    sim.RemoveAllDrives();
}
