// Prints the median, 10th and 90th percentile of 10,000 MCI_STATUS mode
// queries on a simulated drive P: holding a stopped disc.
#include "SimController.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <vector>

int main()
{
    simcd::SimController sim;
    simcd::SimDriveInfo info;
    if (sim.IsAttached() && sim.GetDrive('P', info))
        sim.RemoveDrive('P');
    if (!sim.DefineDrive('P') || !sim.InsertDisc('P', { 200000, 300000 }))
    {
        std::fprintf(stderr, "simcd_benchmark: %s\n", sim.GetLastError().c_str());
        return 1;
    }

    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = reinterpret_cast<LPCSTR>(MCI_DEVTYPE_CD_AUDIO);
    open.lpstrElementName = "P:";
    MCIERROR error = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE | MCI_WAIT,
                                     reinterpret_cast<DWORD_PTR>(&open));
    const int kCalls = 10000;
    std::vector<uint64_t> times;
    MCI_STATUS_PARMS status = {};
    status.dwItem = MCI_STATUS_MODE;
    for (int i = 0; error == 0 && i < kCalls; ++i)
    {
        uint64_t start = simcd::SimController::NowUs();
        error = mciSendCommandA(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status));
        times.push_back(simcd::SimController::NowUs() - start);
    }
    if (open.wDeviceID)
        mciSendCommandA(open.wDeviceID, MCI_CLOSE, 0, 0);
    sim.RemoveDrive('P');
    if (error != 0 || status.dwReturn != MCI_MODE_STOP)
    {
        std::fprintf(stderr, "simcd_benchmark: MCI error %lu, mode %lu\n", static_cast<unsigned long>(error),
                     static_cast<unsigned long>(status.dwReturn));
        return 1;
    }

    std::sort(times.begin(), times.end());
    std::printf("MCI_STATUS mode round trip over %d calls: median %llu us, "
                "10th percentile %llu us, 90th percentile %llu us\n",
                kCalls, static_cast<unsigned long long>(times[kCalls / 2]),
                static_cast<unsigned long long>(times[kCalls / 10]),
                static_cast<unsigned long long>(times[kCalls * 9 / 10]));
    return 0;
}
