// Median round trip of one MCI_STATUS mode query, program side to driver and back.
#include "SimController.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <vector>

TEST(StatusBenchmark, ModeQueryRoundTrip)
{
    simcd::SimController sim;
    ASSERT_TRUE(sim.IsAttached());
    simcd::SimDriveInfo info;
    if (sim.GetDrive('P', info)) {
        ASSERT_TRUE(sim.RemoveDrive('P'));
    }
    ASSERT_TRUE(sim.DefineDrive('P')) << sim.GetLastError();
    ASSERT_TRUE(sim.InsertDisc('P', {200000, 300000}));

    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = reinterpret_cast<LPCSTR>(MCI_DEVTYPE_CD_AUDIO);
    open.lpstrElementName = "P:";
    ASSERT_EQ(0u, mciSendCommandA(0, MCI_OPEN,
                                  MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE | MCI_WAIT,
                                  reinterpret_cast<DWORD_PTR>(&open)));
    const int kCalls = 10000;
    std::vector<uint64_t> times;
    times.reserve(kCalls);
    MCI_STATUS_PARMS status = {};
    status.dwItem = MCI_STATUS_MODE;
    for (int i = 0; i < kCalls; ++i) {
        uint64_t start = simcd::SimController::NowUs();
        MCIERROR error = mciSendCommandA(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM,
                                         reinterpret_cast<DWORD_PTR>(&status));
        times.push_back(simcd::SimController::NowUs() - start);
        ASSERT_EQ(0u, error);
    }
    ASSERT_EQ(static_cast<DWORD_PTR>(MCI_MODE_STOP), status.dwReturn);
    mciSendCommandA(open.wDeviceID, MCI_CLOSE, 0, 0);
    sim.RemoveDrive('P');

    std::sort(times.begin(), times.end());
    std::printf("MCI_STATUS mode round trip over %d calls: median %llu us, "
                "10th percentile %llu us, 90th percentile %llu us\n",
                kCalls, static_cast<unsigned long long>(times[kCalls / 2]),
                static_cast<unsigned long long>(times[kCalls / 10]),
                static_cast<unsigned long long>(times[kCalls * 9 / 10]));
    RecordProperty("median_us", static_cast<int>(times[kCalls / 2]));
}
