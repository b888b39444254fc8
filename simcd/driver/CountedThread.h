// A thread of the driver that runs from the first Acquire to the last
// Release: its procedure returns once StopEvent() is set.
#pragma once

#include "../Handle.h"

#include <windows.h>

#include <memory>

namespace simcd
{

class CountedThread
{
public:
    CountedThread(LPTHREAD_START_ROUTINE pfnProc, LPVOID param);
    ~CountedThread();
    CountedThread(const CountedThread&) = delete;
    CountedThread& operator=(const CountedThread&) = delete;

    // Starts the thread for the first user.
    void Acquire();
    // Stops it when the last user goes; false while it runs on for others.
    bool Release();
    // Stops it whatever the count: an owner calls it before what the thread
    // uses is gone.
    void Stop();
    HANDLE StopEvent() const { return m_stop.Get(); }

private:
    LPTHREAD_START_ROUTINE m_pfnProc;
    LPVOID m_param;
    Handle m_stop{ CreateEventA(nullptr, TRUE, FALSE, nullptr) };
    std::unique_ptr<Handle> m_pThread;
    int m_nUsers = 0;
};

}  // namespace simcd
