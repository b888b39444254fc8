// The application object that the window tests share, and its pump.
#pragma once

#include "TestIds.h"
#include "framework/Framework.h"

#include <functional>
#include <vector>

using Ids = std::vector<UINT>;

class CTestApp : public CWinApp
{
public:
    Ids m_handled;  // commands its handlers ran, in order

protected:
    void OnTestApp() { m_handled.push_back(ID_TEST_APP); }
    void OnTestBoth() { m_handled.push_back(ID_TEST_BOTH); }
    DECLARE_MESSAGE_MAP()
};

extern CTestApp theApp;

// Dispatches what is queued through the application's own pump, then runs
// idle processing once.
void Pump();
// Pumps until the condition holds or a second has passed.
bool PumpUntil(const std::function<bool()>& condition);
