// CPU time of the Unix processes behind Wine's, read through drive Z:: the
// benchmark's own, the built program's and the wineserver's.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The Unix process id of a process of this prefix that runs an executable of
// that file name, or 0.
int UnixPidOf(const std::string& exe);
// The wineserver of this prefix, or 0.
int WineServerPid();
// CPU time (user + system) of a Unix process, in ms (10 ms steps).
double UnixCpuMs(int pid);

// The scheduler's CPU time of a Unix process's main thread (the wineserver
// has no other), in ns. Files are opened by the wineserver, so the path must
// name the thread: /proc/thread-self would be the server's own.
class UnixCpuClock
{
public:
    explicit UnixCpuClock(int pid);
    ~UnixCpuClock();
    UnixCpuClock(const UnixCpuClock&) = delete;
    UnixCpuClock& operator=(const UnixCpuClock&) = delete;
    uint64_t NowNs();

private:
    HANDLE m_hFile;
};
