// A thread of the process that plays: it posts the end-of-play notification
// when a drive reaches the end of its play, even though no MCI call is in
// progress then. Runs while the process has a device open.
#pragma once

#include "CountedThread.h"

#include <windows.h>

namespace simcd
{

class SimWorld;

class NotifyWatcher
{
public:
    explicit NotifyWatcher(SimWorld& world);
    ~NotifyWatcher();
    NotifyWatcher(const NotifyWatcher&) = delete;
    NotifyWatcher& operator=(const NotifyWatcher&) = delete;

    // Counted: the thread runs from the first Acquire to the last Release.
    void Acquire();
    void Release();

private:
    static DWORD WINAPI ThreadProc(LPVOID param);
    // Delivers due notifications; returns how long to sleep, in ms.
    DWORD Poll();

    SimWorld& m_world;
    CountedThread m_thread{ ThreadProc, this };
};

}  // namespace simcd
