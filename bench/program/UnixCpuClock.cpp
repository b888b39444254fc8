#include "UnixCpuClock.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
std::string ReadWholeFile(const std::string& path)
{
    HANDLE hFile = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 0, nullptr);
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

std::string ProcFile(int pid, const char* pszName)
{
    return "Z:\\proc\\" + std::to_string(pid) + "\\" + pszName;
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
}  // namespace

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
    if (std::sscanf(stat.c_str() + at + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user, &system) !=
        2)
        return 0;
    return static_cast<double>(user + system) * 10.0;
}

UnixCpuClock::UnixCpuClock(int pid)
    : m_hFile(::CreateFileA(ProcFile(pid, "schedstat").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr))
{}

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
