#include "FrameTestSupport.h"

CWinApp theApp;

void Pump(DWORD dwMs)
{
    for (const DWORD dwStart = ::GetTickCount();; ::Sleep(5))
    {
        for (MSG msg; ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);)
            theApp.PumpMessage();
        theApp.OnIdle(0);
        if (::GetTickCount() - dwStart >= dwMs)
            return;
    }
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, ::GetCommandLineA(), SW_SHOWNORMAL);
    ::InitCommonControls();
    return RUN_ALL_TESTS();
}
