#include "CountedThread.h"

namespace simcd
{

CountedThread::CountedThread(LPTHREAD_START_ROUTINE pfnProc, LPVOID param) : m_pfnProc(pfnProc), m_param(param) {}

CountedThread::~CountedThread()
{
    Stop();
}

void CountedThread::Acquire()
{
    if (m_nUsers++ > 0)
        return;
    ResetEvent(m_stop.Get());
    m_pThread.reset(new Handle(CreateThread(nullptr, 0, m_pfnProc, m_param, 0, nullptr)));
}

bool CountedThread::Release()
{
    if (m_nUsers == 0 || --m_nUsers > 0)
        return false;
    Stop();
    return true;
}

void CountedThread::Stop()
{
    m_nUsers = 0;
    if (!m_pThread)
        return;
    SetEvent(m_stop.Get());
    WaitForSingleObject(m_pThread->Get(), INFINITE);
    m_pThread.reset();
}

}  // namespace simcd
