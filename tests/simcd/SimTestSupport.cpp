#include "SimTestSupport.h"

namespace simtest {

NotifyWindow::NotifyWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SimTestNotifyWindow";
    RegisterClassA(&wc); // fails harmlessly when already registered
    m_hwnd = CreateWindowExA(0, wc.lpszClassName, "notify", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                             nullptr, wc.hInstance, this);
}

NotifyWindow::~NotifyWindow()
{
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

LRESULT CALLBACK NotifyWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == MM_MCINOTIFY) {
        auto* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self)
            self->m_notices.push_back({wParam, lParam});
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool NotifyWindow::Wait(Notice& notice, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (!m_notices.empty()) {
            notice = m_notices.front();
            m_notices.erase(m_notices.begin());
            return true;
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    }
}

std::vector<NotifyWindow::Notice> NotifyWindow::Collect(DWORD timeoutMs)
{
    std::vector<Notice> all;
    Notice notice;
    DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < timeoutMs; elapsed = GetTickCount() - start)
        if (Wait(notice, timeoutMs - elapsed))
            all.push_back(notice);
    return all;
}

void SimFixture::SetUp()
{
    ASSERT_TRUE(m_sim.IsAttached()) << m_sim.GetLastError();
    RemoveTestDrives();
    ASSERT_TRUE(m_sim.SetTimeFactor(1.0));
    m_sim.ClearJournal();
}

void SimFixture::TearDown()
{
    RemoveTestDrives();
    m_sim.SetTimeFactor(1.0);
}

void SimFixture::RemoveTestDrives()
{
    simcd::SimDriveInfo info;
    for (char letter = 'P'; letter <= 'S'; ++letter)
        if (m_sim.GetDrive(letter, info)) {
            EXPECT_TRUE(m_sim.RemoveDrive(letter)) << m_sim.GetLastError();
        }
}

void SimFixture::DriveWithDisc(char letter, const std::vector<uint32_t>& tracks, uint32_t start)
{
    ASSERT_TRUE(m_sim.DefineDrive(letter)) << m_sim.GetLastError();
    ASSERT_TRUE(m_sim.InsertDisc(letter, tracks, start)) << m_sim.GetLastError();
}

std::vector<simcd::SimJournalEntry> SimFixture::JournalOf(uint32_t command)
{
    std::vector<simcd::SimJournalEntry> entries;
    for (const simcd::SimJournalEntry& entry : m_sim.GetJournal())
        if (entry.command == command)
            entries.push_back(entry);
    return entries;
}

int RunSimcd(const std::string& arguments, std::string* output)
{
    // SIMCD_EXE is a Unix path; Wine reaches it through drive Z:.
    std::string exe = "Z:" SIMCD_EXE;
    for (char& c : exe)
        if (c == '/')
            c = '\\';
    std::string commandLine = "\"" + exe + "\" " + arguments;

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    BOOL started = CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, TRUE,
                                  CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return -1;
    }
    std::string text;
    char chunk[512];
    DWORD read = 0;
    while (ReadFile(readEnd, chunk, sizeof(chunk), &read, nullptr) && read)
        text.append(chunk, read);
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    if (output)
        *output = text;
    return static_cast<int>(status);
}

} // namespace simtest
