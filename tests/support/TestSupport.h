// What every test of the program's windows needs: the message pump of the
// test's application object. The shared test main (TestMain.cpp) initialises
// googletest, the framework and the common controls.
#pragma once

#include <windows.h>

#include <functional>

// Dispatches what is queued through the application's pump and runs idle
// processing, once, and again and again until dwMs have passed.
void Pump(DWORD dwMs = 0);

// The same until the condition holds; false when it still does not after dwMs.
bool PumpUntil(const std::function<bool()>& until, DWORD dwMs = 1000);
