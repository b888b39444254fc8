#include <windows.h>
#include <mmddk.h>

#include "DeviceJournal.h"

#include <map>

std::string DevicesLeftRunning(const simcd::SimController& sim, DWORD dwProcessId, int& nOpened)
{
    // The devices open in the journal: drive and last command of each.
    std::map<uint32_t, std::pair<char, uint32_t>> open;
    std::string problems;
    nOpened = 0;
    for (const simcd::SimJournalEntry& e : sim.GetJournal())
    {
        if (e.processId != dwProcessId)
            continue;
        nOpened += e.command == MCI_OPEN_DRIVER;
        if (e.command == MCI_CLOSE_DRIVER && open[e.deviceId].second != MCI_STOP)
            problems += std::string(1, e.drive) + ": closed without a stop before; ";
        if (e.command == MCI_CLOSE_DRIVER)
            open.erase(e.deviceId);
        else if (e.command == MCI_OPEN_DRIVER || open.count(e.deviceId))
            open[e.deviceId] = { e.drive, e.command };
    }
    for (const auto& d : open)
        problems += std::string(1, d.second.first) + ": device " + std::to_string(d.first) + " left open; ";
    for (const simcd::SimDriveInfo& drive : sim.GetDrives())
    {
        if (drive.openDevices != 0)
            problems += std::string(1, drive.letter) + ": the drive still counts open devices; ";
    }
    return problems;
}
