#include <windows.h>
#include <mmddk.h>

#include "DeviceJournal.h"

#include <map>

std::string DevicesLeftRunning(const simcd::SimController& sim, DWORD dwProcessId, int& nOpened)
{
    struct State
    {
        char drive;
        bool open;
        uint32_t last;
    };
    std::map<uint32_t, State> devices;
    std::string problems;
    nOpened = 0;
    for (const simcd::SimJournalEntry& e : sim.GetJournal())
    {
        if (e.processId != dwProcessId)
            continue;
        State& device = devices[e.deviceId];
        if (e.command == MCI_OPEN_DRIVER)
        {
            device = { e.drive, true, e.command };
            nOpened++;
            continue;
        }
        if (e.command == MCI_CLOSE_DRIVER)
        {
            if (device.last != MCI_STOP)
                problems += std::string(1, e.drive) + ": closed without a stop before; ";
            device.open = false;
        }
        device.last = e.command;
    }
    for (const auto& d : devices)
    {
        if (d.second.open)
            problems += std::string(1, d.second.drive) + ": device " + std::to_string(d.first) + " left open; ";
    }
    for (const simcd::SimDriveInfo& drive : sim.GetDrives())
    {
        if (drive.openDevices != 0)
            problems += std::string(1, drive.letter) + ": the drive still counts open devices; ";
    }
    return problems;
}
