#include "RemoteProgram.h"

#include <commctrl.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace soak
{
namespace
{
const int kListId = 59648;  // the frame's pane

std::string ReadWholeFile(const std::string& path)
{
    HANDLE hFile = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return std::string();
    std::string text;
    char chunk[4096];
    DWORD cb = 0;
    while (::ReadFile(hFile, chunk, sizeof chunk, &cb, nullptr) && cb > 0)
        text.append(chunk, cb);
    ::CloseHandle(hFile);
    return text;
}

// Every numbered folder of the Unix /proc.
std::vector<int> UnixPids()
{
    std::vector<int> pids;
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA("Z:\\proc\\*", &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return pids;
    do
    {
        if (const int pid = std::atoi(data.cFileName))
            pids.push_back(pid);
    } while (::FindNextFileA(hFind, &data));
    ::FindClose(hFind);
    return pids;
}

std::string ProcFile(int pid, const char* pszName)
{
    return "Z:\\proc\\" + std::to_string(pid) + "\\" + pszName;
}

BOOL CALLBACK CountChildren(HWND, LPARAM lParam)
{
    ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}

struct WindowCount
{
    DWORD dwProcessId;
    int nCount;
};

BOOL CALLBACK CountTopLevel(HWND hWnd, LPARAM lParam)
{
    WindowCount* pCount = reinterpret_cast<WindowCount*>(lParam);
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId == pCount->dwProcessId)
    {
        pCount->nCount++;
        ::EnumChildWindows(hWnd, CountChildren, reinterpret_cast<LPARAM>(&pCount->nCount));
    }
    return TRUE;
}

struct MainSearch
{
    DWORD dwProcessId;
    HWND hMain;
    bool bList;  // the window must hold the drive list
};

BOOL CALLBACK FindMain(HWND hWnd, LPARAM lParam)
{
    MainSearch* pSearch = reinterpret_cast<MainSearch*>(lParam);
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId != pSearch->dwProcessId || !::IsWindowVisible(hWnd) || ::GetWindow(hWnd, GW_OWNER)
        || (pSearch->bList && !::GetDlgItem(hWnd, kListId)))
        return TRUE;
    pSearch->hMain = hWnd;
    return FALSE;
}
}

std::string WindowsPath(const char* pszPath)
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

// ---------------------------------------------------------------------------
// RemoteBuffer

RemoteBuffer::~RemoteBuffer()
{
    if (m_p)
        ::VirtualFreeEx(m_hProcess, m_p, 0, MEM_RELEASE);
}

bool RemoteBuffer::Attach(HANDLE hProcess, SIZE_T cb)
{
    m_hProcess = hProcess;
    m_p = ::VirtualAllocEx(hProcess, nullptr, cb, MEM_COMMIT, PAGE_READWRITE);
    return m_p != nullptr;
}

LPARAM RemoteBuffer::Address(SIZE_T offset) const
{
    return reinterpret_cast<LPARAM>(static_cast<char*>(m_p) + offset);
}

void RemoteBuffer::Write(const void* pData, SIZE_T cb, SIZE_T offset)
{
    ::WriteProcessMemory(m_hProcess, static_cast<char*>(m_p) + offset, pData, cb, nullptr);
}

void RemoteBuffer::Read(void* pData, SIZE_T cb, SIZE_T offset)
{
    ::ReadProcessMemory(m_hProcess, static_cast<char*>(m_p) + offset, pData, cb, nullptr);
}

// ---------------------------------------------------------------------------
// RemoteProgram

RemoteProgram::~RemoteProgram()
{
    if (m_process.hProcess == nullptr)
        return;
    if (Running())
    {
        ::TerminateProcess(m_process.hProcess, 1);
        ::WaitForSingleObject(m_process.hProcess, 5000);
    }
    ::CloseHandle(m_process.hProcess);
    ::CloseHandle(m_process.hThread);
}

bool RemoteProgram::Start(const std::string& exe)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + exe + "\"";
    commandLine.push_back('\0');
    return ::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &m_process)
           != FALSE;
}

bool RemoteProgram::WaitForWindow(int nRows, DWORD dwTimeoutMs)
{
    for (DWORD dwStart = ::GetTickCount(); ::GetTickCount() - dwStart < dwTimeoutMs; ::Sleep(2))
    {
        if (!Running())
            return false;
        MainSearch search = { m_process.dwProcessId, nullptr, nRows != kAnyWindow };
        ::EnumWindows(FindMain, reinterpret_cast<LPARAM>(&search));
        if (!search.hMain)
            continue;
        m_hMain = search.hMain;
        // The thread answers only once the start-up, its first paint
        // included, is over.
        if (RoundTripMs(dwTimeoutMs) >= dwTimeoutMs)
            continue;
        if (nRows == kAnyWindow)
            return true;
        HWND hList = ::GetDlgItem(search.hMain, kListId);
        if (nRows >= 0 && ::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0) != nRows)
            continue;
        m_hList = hList;
        return m_buffer.Attach(m_process.hProcess, 4096);
    }
    return false;
}

bool RemoteProgram::Running() const
{
    return m_process.hProcess && ::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

LRESULT RemoteProgram::Send(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD dwTimeoutMs) const
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(hWnd, message, wParam, lParam, SMTO_NORMAL, dwTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

DWORD RemoteProgram::RoundTripMs(DWORD dwTimeoutMs) const
{
    const DWORD dwStart = ::GetTickCount();
    DWORD_PTR result = 0;
    if (!m_hMain || !::SendMessageTimeoutA(m_hMain, WM_NULL, 0, 0, SMTO_NORMAL, dwTimeoutMs, &result))
        return dwTimeoutMs;
    return ::GetTickCount() - dwStart;
}

std::string RemoteProgram::ItemText(int nItem, int nSubItem)
{
    LVITEMA item = {};
    item.iSubItem = nSubItem;
    item.pszText = reinterpret_cast<LPSTR>(m_buffer.Address(sizeof(LVITEMA)));
    item.cchTextMax = 256;
    m_buffer.Write(&item, sizeof item);
    char text[256] = {};
    m_buffer.Write(text, sizeof text, sizeof(LVITEMA));
    Send(m_hList, LVM_GETITEMTEXTA, static_cast<WPARAM>(nItem), m_buffer.Address());
    m_buffer.Read(text, sizeof text - 1, sizeof(LVITEMA));
    return text;
}

std::vector<Row> RemoteProgram::Rows()
{
    std::vector<Row> rows;
    const int nCount = RowCount();
    for (int i = 0; i < nCount; i++)
    {
        Row row;
        const std::string name = ItemText(i, 0);
        const size_t at = name.rfind(":)");
        if (at != std::string::npos && at >= 2 && name[at - 2] == '(')
            row.letter = name[at - 1];
        row.state = ItemText(i, 1);
        row.time = ItemText(i, 2);
        row.selected = Send(m_hList, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_SELECTED) != 0;
        rows.push_back(row);
    }
    return rows;
}

int RemoteProgram::RowCount() const
{
    return static_cast<int>(Send(m_hList, LVM_GETITEMCOUNT, 0, 0));
}

void RemoteProgram::Select(const std::set<int>& rows)
{
    const int nCount = static_cast<int>(Send(m_hList, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < nCount; i++)
    {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = rows.count(i) ? LVIS_SELECTED : 0;
        m_buffer.Write(&item, sizeof item);
        Send(m_hList, LVM_SETITEMSTATE, static_cast<WPARAM>(i), m_buffer.Address());
    }
}

void RemoteProgram::Command(UINT nID)
{
    Send(m_hMain, WM_COMMAND, MAKEWPARAM(nID, 0), 0);
}

void RemoteProgram::Sort(int nColumn)
{
    NMLISTVIEW notify = {};
    notify.hdr.hwndFrom = m_hList;
    notify.hdr.idFrom = kListId;
    notify.hdr.code = LVN_COLUMNCLICK;
    notify.iItem = -1;
    notify.iSubItem = nColumn;
    m_buffer.Write(&notify, sizeof notify);
    Send(m_hMain, WM_NOTIFY, kListId, m_buffer.Address());
}

std::vector<HWND> RemoteProgram::Sliders() const
{
    std::vector<HWND> sliders;
    for (HWND h = ::GetWindow(m_hList, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
    {
        char name[64] = {};
        ::GetClassNameA(h, name, sizeof name);
        if (lstrcmpiA(name, TRACKBAR_CLASSA) == 0)
            sliders.push_back(h);
    }
    return sliders;
}

int RemoteProgram::SliderCount() const
{
    return static_cast<int>(Sliders().size());
}

// What a trackbar tells its parent: a drag ends with the thumb's position
// and TB_ENDTRACK; a click on the channel pages and ends the same way.
void RemoteProgram::MoveSlider(int nSlider, double dShare, bool bDrag)
{
    const std::vector<HWND> sliders = Sliders();
    if (nSlider < 0 || nSlider >= static_cast<int>(sliders.size()))
        return;
    HWND hSlider = sliders[static_cast<size_t>(nSlider)];
    const LRESULT nMin = Send(hSlider, TBM_GETRANGEMIN, 0, 0);
    const LRESULT nMax = Send(hSlider, TBM_GETRANGEMAX, 0, 0);
    const LPARAM nPos = nMin + static_cast<LPARAM>(static_cast<double>(nMax - nMin) * dShare);
    Send(hSlider, TBM_SETPOS, TRUE, nPos);
    const LPARAM lSlider = reinterpret_cast<LPARAM>(hSlider);
    if (bDrag)
    {
        Send(m_hList, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 0), lSlider);
        Send(m_hList, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 0), lSlider);
    }
    else
    {
        Send(m_hList, WM_HSCROLL, MAKEWPARAM(dShare < 0.5 ? TB_PAGEUP : TB_PAGEDOWN, 0), lSlider);
    }
    Send(m_hList, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), lSlider);
}

DWORD RemoteProgram::Close(DWORD dwTimeoutMs)
{
    ::PostMessageA(m_hMain, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(m_process.hProcess, dwTimeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD dwCode = STILL_ACTIVE;
    ::GetExitCodeProcess(m_process.hProcess, &dwCode);
    return dwCode;
}

// ---------------------------------------------------------------------------
// Counters

ProcessCounters ReadCounters(HANDLE hProcess, DWORD dwProcessId)
{
    ProcessCounters counters;
    // Wine leaves PrivateUsage at 0 and reports the process's anonymous
    // resident memory as the page-file usage.
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        counters.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;

    // GetGuiResources is a stub under Wine. Its GDI keeps each process's
    // handle table where the PEB's GdiSharedHandleTable points (offset 0x94
    // in a 32-bit PEB); a live handle's entry has a nonzero type byte.
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
    PROCESS_BASIC_INFORMATION info = {};
    DWORD tableAddress = 0;
    if (NtQueryInformationProcess(hProcess, ProcessBasicInformation, &info, sizeof info, nullptr) == 0
        && ::ReadProcessMemory(hProcess, static_cast<BYTE*>(static_cast<void*>(info.PebBaseAddress)) + 0x94,
                               &tableAddress, sizeof tableAddress, nullptr)
        && tableAddress != 0)
    {
        std::vector<Entry> table(0x10000);
        if (::ReadProcessMemory(hProcess, reinterpret_cast<void*>(static_cast<DWORD_PTR>(tableAddress)),
                                table.data(), table.size() * sizeof(Entry), nullptr))
        {
            for (const Entry& entry : table)
                counters.gdiObjects += entry.type != 0;
        }
    }

    WindowCount windows = { dwProcessId, 0 };
    ::EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    counters.windows = windows.nCount;
    return counters;
}

// ---------------------------------------------------------------------------
// Unix side

namespace
{
bool OfThisPrefix(int pid)
{
    char prefix[MAX_PATH] = {};
    ::GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    const std::string wanted = std::string("WINEPREFIX=") + prefix + '\0';
    return ReadWholeFile(ProcFile(pid, "environ")).find(wanted) != std::string::npos;
}

bool EndsWithNoCase(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && lstrcmpiA(text.c_str() + text.size() - end.size(), end.c_str()) == 0;
}
}

int UnixPidOf(const std::string& exe)
{
    const std::string name = exe.substr(exe.find_last_of("\\/") + 1);
    for (int pid : UnixPids())
    {
        // Wine shows the program as the first argument, in one form or another.
        const std::string first = ReadWholeFile(ProcFile(pid, "cmdline")).c_str();
        if (EndsWithNoCase(first, name) && OfThisPrefix(pid))
            return pid;
    }
    return 0;
}

int WineServerPid()
{
    for (int pid : UnixPids())
    {
        // "wineserver32" or "wineserver64" on Debian.
        if (ReadWholeFile(ProcFile(pid, "comm")).compare(0, 10, "wineserver") == 0 && OfThisPrefix(pid))
            return pid;
    }
    return 0;
}

double UnixCpuMs(int pid)
{
    // Fields 14 and 15 of stat (user and system time, in clock ticks of
    // 10 ms) follow the command name in parentheses.
    const std::string stat = ReadWholeFile(ProcFile(pid, "stat"));
    const size_t at = stat.rfind(')');
    if (at == std::string::npos)
        return 0;
    unsigned long long user = 0, system = 0;
    if (std::sscanf(stat.c_str() + at + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user,
                    &system)
        != 2)
        return 0;
    return static_cast<double>(user + system) * 10.0;
}

UnixCpuClock::UnixCpuClock(int pid)
    : m_hFile(::CreateFileA(ProcFile(pid, "schedstat").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr))
{
}

UnixCpuClock::~UnixCpuClock()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
}

uint64_t UnixCpuClock::NowNs()
{
    char text[128] = {};
    DWORD cb = 0;
    OVERLAPPED at = {};  // read from the start again: the kernel renews it
    if (m_hFile == INVALID_HANDLE_VALUE || !::ReadFile(m_hFile, text, sizeof text - 1, &cb, &at))
        return 0;
    return std::strtoull(text, nullptr, 10);
}
}
