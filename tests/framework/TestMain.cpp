// Entry point of the window tests: the tests drive the application object
// themselves instead of the framework's WinMain.
#include "TestApp.h"

#include <gtest/gtest.h>

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(ID_TEST_APP, OnTestApp)
    ON_COMMAND(ID_TEST_BOTH, OnTestBoth)
END_MESSAGE_MAP()

CTestApp theApp;

void Pump()
{
    for (MSG msg; ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);)
        theApp.PumpMessage();
    theApp.OnIdle(0);
}

bool PumpUntil(const std::function<bool()>& condition)
{
    for (DWORD start = ::GetTickCount(); !condition(); ::Sleep(5)) {
        if (::GetTickCount() - start > 1000)
            return false;
        Pump();
    }
    return true;
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, ::GetCommandLineA(), SW_SHOWNORMAL);
    ::InitCommonControls();
    return RUN_ALL_TESTS();
}
