// The built Ondalux.exe run as a process of its own, on the simulated demo
// drives: start-up through its own entry point, shut-down, and the help
// file's name following the executable's.
#include "DeviceJournal.h"

#include <mmsystem.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
const int kListId = 59648;
const UINT kIdHelp = 57670;
const UINT kIdPlay = 32771;

// A built file's path as the build names it; a Unix path is reached through
// Wine's drive Z:.
std::string BuiltFile(const char* pszPath)
{
    std::string path = pszPath;
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path)
    {
        if (c == '/')
            c = '\\';
    }
    return path;
}

DWORD RunAndWait(const std::string& commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    if (!::CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return static_cast<DWORD>(-1);
    ::WaitForSingleObject(process.hProcess, 30000);
    DWORD dwCode = 0;
    ::GetExitCodeProcess(process.hProcess, &dwCode);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    return dwCode;
}

// The program started in a folder; ended by force if a test leaves it running.
class Program
{
public:
    Program(const std::string& exe, const std::string& folder)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + exe + "\"";
        commandLine.push_back('\0');
        if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                              folder.c_str(), &startup, &m_process))
            m_process = PROCESS_INFORMATION();
    }
    ~Program()
    {
        if (m_process.hProcess == nullptr)
            return;
        if (::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_process.hProcess, 1);
        ::CloseHandle(m_process.hProcess);
        ::CloseHandle(m_process.hThread);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    DWORD Id() const { return m_process.dwProcessId; }

    // The main window once it lists the given number of rows, or null.
    HWND WaitForWindow(int nRows)
    {
        for (DWORD dwStart = ::GetTickCount(); ::GetTickCount() - dwStart < 30000; ::Sleep(50))
        {
            m_hWnd = nullptr;
            ::EnumWindows(FindMain, reinterpret_cast<LPARAM>(this));
            HWND hList = m_hWnd ? ::GetDlgItem(m_hWnd, kListId) : nullptr;
            if (hList && ::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0) == nRows)
                return m_hWnd;
        }
        return nullptr;
    }

    // Closes the main window as its close box does; the exit code, or
    // STILL_ACTIVE when the process does not end.
    DWORD Close()
    {
        ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(m_process.hProcess, 10000) != WAIT_OBJECT_0)
            return STILL_ACTIVE;
        DWORD dwCode = STILL_ACTIVE;
        ::GetExitCodeProcess(m_process.hProcess, &dwCode);
        return dwCode;
    }

private:
    static BOOL CALLBACK FindMain(HWND hWnd, LPARAM lParam)
    {
        Program* pThis = reinterpret_cast<Program*>(lParam);
        DWORD dwProcess = 0;
        ::GetWindowThreadProcessId(hWnd, &dwProcess);
        if (dwProcess != pThis->Id() || !::IsWindowVisible(hWnd) || ::GetWindow(hWnd, GW_OWNER))
            return TRUE;
        pThis->m_hWnd = hWnd;
        return FALSE;
    }

    PROCESS_INFORMATION m_process = {};
    HWND m_hWnd = nullptr;
};

// A file type for ".chm" whose "open" only writes down, into a marker file,
// which file the shell was asked to open. Wine's shell reads file types from
// the machine's classes only, so ".chm" is pointed at it for the test's
// duration and given back its own type afterwards.
class RecordingHelpViewer
{
public:
    explicit RecordingHelpViewer(const std::string& marker)
    {
        char previous[256] = {};
        LONG cb = sizeof previous;
        if (::RegQueryValueA(HKEY_CLASSES_ROOT, ".chm", previous, &cb) == ERROR_SUCCESS)
            m_previous = previous;
        Set(".chm", "OndaluxTest.Help");
        Set("OndaluxTest.Help\\shell\\open\\command",
            "C:\\windows\\system32\\cmd.exe /c echo %1> \"" + marker + "\"");
    }
    ~RecordingHelpViewer()
    {
        ::RegDeleteTreeA(HKEY_CLASSES_ROOT, "OndaluxTest.Help");
        if (m_previous.empty())
            ::RegDeleteKeyA(HKEY_CLASSES_ROOT, ".chm");
        else
            Set(".chm", m_previous);
    }
    RecordingHelpViewer(const RecordingHelpViewer&) = delete;
    RecordingHelpViewer& operator=(const RecordingHelpViewer&) = delete;

private:
    static void Set(const char* pszKey, const std::string& value)
    {
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CLASSES_ROOT, pszKey, 0, nullptr, 0, KEY_SET_VALUE,
                                                   nullptr, &hKey, nullptr));
        ::RegSetValueExA(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1));
        ::RegCloseKey(hKey);
    }

    std::string m_previous;
};

std::string ReadFileText(const std::string& path)
{
    std::string text;
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return text;
    char chunk[256];
    DWORD dwRead = 0;
    while (::ReadFile(h, chunk, sizeof chunk, &dwRead, nullptr) && dwRead)
        text.append(chunk, dwRead);
    ::CloseHandle(h);
    return text;
}

void Touch(const std::string& path)
{
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << path;
    ::CloseHandle(h);
}

class ProgramTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sim.IsAttached()) << m_sim.GetLastError();
        ASSERT_TRUE(m_sim.RemoveAllDrives());
        ASSERT_TRUE(m_sim.SetTimeFactor(1.0));
        ASSERT_TRUE(m_sim.BuildDemo());
        m_sim.ClearJournal();
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        m_folder = std::string(temp) + "ondalux-program-" + std::to_string(::GetCurrentProcessId());
        ASSERT_TRUE(::CreateDirectoryA(m_folder.c_str(), nullptr));
    }

    void TearDown() override
    {
        for (const char* name : { "Other.exe", "Ondalux.chm", "Other.chm", "opened.txt" })
            ::DeleteFileA((m_folder + "\\" + name).c_str());
        ::RemoveDirectoryA(m_folder.c_str());
        m_sim.RemoveAllDrives();
    }

    simcd::SimController m_sim;
    std::string m_folder;
};
}

TEST_F(ProgramTest, StartsOnTheDemoDrivesAndStopsAndClosesEveryDeviceAtExit)
{
    Program program(BuiltFile(ONDALUX_EXE), m_folder);
    ASSERT_NE(0u, program.Id());
    HWND hMain = program.WaitForWindow(4);
    ASSERT_NE(nullptr, hMain);
    char title[64] = {};
    ::GetWindowTextA(hMain, title, sizeof title);
    EXPECT_STREQ("Ondalux", title);

    // The three discs play when the program is closed.
    const std::string probe = "\"" + BuiltFile(UIPROBE_EXE) + "\" ";
    ASSERT_EQ(0u, RunAndWait(probe + "select 0 1 2"));
    ASSERT_EQ(0u, RunAndWait(probe + "command " + std::to_string(kIdPlay)));
    for (char drive : { 'D', 'E', 'F' })
    {
        simcd::SimDriveInfo info;
        ASSERT_TRUE(m_sim.GetDrive(drive, info));
        EXPECT_EQ(static_cast<uint32_t>(MCI_MODE_PLAY), info.mode) << drive;
    }

    EXPECT_EQ(0u, program.Close());
    int nOpened = 0;
    EXPECT_EQ("", DevicesLeftRunning(m_sim, program.Id(), nOpened));
    EXPECT_EQ(4, nOpened);
    for (const simcd::SimDriveInfo& info : m_sim.GetDrives())
        EXPECT_NE(static_cast<uint32_t>(MCI_MODE_PLAY), info.mode) << info.letter;
}

TEST_F(ProgramTest, HelpOpensTheFileNamedAfterTheExecutableOnlyWhenItIsInTheCurrentFolder)
{
    const std::string other = m_folder + "\\Other.exe";
    ASSERT_TRUE(::CopyFileA(BuiltFile(ONDALUX_EXE).c_str(), other.c_str(), FALSE));
    const std::string marker = m_folder + "\\opened.txt";
    RecordingHelpViewer viewer(marker);

    Program program(other, m_folder);
    HWND hMain = program.WaitForWindow(4);
    ASSERT_NE(nullptr, hMain);

    // The usual program's help file is no help file of Other.exe: the
    // command stays disabled and does nothing.
    Touch(m_folder + "\\Ondalux.chm");
    ::SendMessageA(hMain, WM_COMMAND, MAKEWPARAM(kIdHelp, 0), 0);
    ::Sleep(1500);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(marker.c_str()));

    Touch(m_folder + "\\Other.chm");
    ::SendMessageA(hMain, WM_COMMAND, MAKEWPARAM(kIdHelp, 0), 0);
    std::string opened;
    for (DWORD dwStart = ::GetTickCount(); opened.empty() && ::GetTickCount() - dwStart < 10000; ::Sleep(50))
        opened = ReadFileText(marker);
    EXPECT_NE(std::string::npos, opened.find("Other.chm")) << opened;

    EXPECT_EQ(0u, program.Close());
}
