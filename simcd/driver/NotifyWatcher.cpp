#include "NotifyWatcher.h"

#include "../SimWorld.h"

namespace simcd
{

namespace
{

// Another process may end or change a play at any time: look at least this often.
const DWORD kLongestSleepMs = 20;

}  // namespace

NotifyWatcher::NotifyWatcher(SimWorld& world) : m_world(world) {}

NotifyWatcher::~NotifyWatcher()
{
    m_thread.Stop();
}

void NotifyWatcher::Acquire()
{
    m_thread.Acquire();
}

void NotifyWatcher::Release()
{
    m_thread.Release();
}

DWORD WINAPI NotifyWatcher::ThreadProc(LPVOID param)
{
    NotifyWatcher* self = static_cast<NotifyWatcher*>(param);
    DWORD sleepMs = 0;
    while (WaitForSingleObject(self->m_thread.StopEvent(), sleepMs) == WAIT_TIMEOUT)
        sleepMs = self->Poll();
    return 0;
}

DWORD NotifyWatcher::Poll()
{
    DWORD sleepMs = kLongestSleepMs;
    DWORD self = GetCurrentProcessId();
    SimWorld::Lock lock(m_world);
    if (!m_world.IsOpen())
        return sleepMs;
    double factor = m_world.Data().timeFactor;
    for (SimDriveRecord& drive : m_world.Data().drives)
    {
        if (!drive.defined || !drive.notifyPending || drive.notifyProcess != self)
            continue;
        uint32_t position = m_world.Position(drive);
        if (drive.completed)
        {
            m_world.DeliverCompletion(drive);
        }
        else if (drive.transport == kPlaying && !drive.soundProcess)  // a sound's end is notified where it plays
        {
            double remainingMs = (drive.playTo - position) / factor;
            if (remainingMs < sleepMs)
                sleepMs = static_cast<DWORD>(remainingMs) + 1;
        }
    }
    return sleepMs;
}

}  // namespace simcd
