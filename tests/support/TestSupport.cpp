#include "TestSupport.h"

#include "framework/Afx.h"
#include "framework/CWinApp.h"

namespace
{
// One round: everything queued (a quit message included, which the pump
// drops), then idle processing.
void PumpOnce()
{
    CWinApp* pApp = AfxGetApp();
    for (MSG msg; ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);)
        pApp->PumpMessage();
    pApp->OnIdle(0);
}
}  // namespace

void Pump(DWORD dwMs)
{
    for (const DWORD dwStart = ::GetTickCount();; ::Sleep(5))
    {
        PumpOnce();
        if (::GetTickCount() - dwStart >= dwMs)
            return;
    }
}

bool PumpUntil(const std::function<bool()>& until, DWORD dwMs)
{
    for (const DWORD dwStart = ::GetTickCount();; ::Sleep(5))
    {
        PumpOnce();
        if (until())
            return true;
        if (::GetTickCount() - dwStart >= dwMs)
            return false;
    }
}
