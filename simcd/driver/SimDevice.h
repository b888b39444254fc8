// One MCI device opened on a simulated drive, inside the driver. The drive's
// state lives in the shared world; the device holds only what MCI gives each
// opened device: its id, its drive and its time format.
#pragma once

#include "../SimTypes.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>

namespace simcd
{

class NotifyWatcher;
class SimWorld;
class SoundPlayer;
struct SimDriveRecord;

class SimDevice
{
public:
    // letter: the drive named at open (0 for the first simulated drive).
    SimDevice(SimWorld& world, NotifyWatcher& watcher, SoundPlayer& player, UINT deviceId, char letter);
    ~SimDevice();
    SimDevice(const SimDevice&) = delete;
    SimDevice& operator=(const SimDevice&) = delete;

    UINT GetDeviceId() const { return m_nDeviceId; }

    // The upper-case drive letter an element name starts with, or 0.
    static char DriveLetterOf(const wchar_t* element);

    // Runs one MCI command and records it in the journal. Returns the MCI
    // result (error code, possibly with MCI_RESOURCE_RETURNED and the like).
    DWORD Command(UINT message, DWORD flags, DWORD_PTR params);

private:
    DWORD Dispatch(UINT message, DWORD flags, DWORD_PTR params, SimJournalEntry& entry);
    DWORD Open(DWORD flags, MCI_OPEN_PARMSW* params);
    DWORD Close(DWORD flags, MCI_GENERIC_PARMS* params);
    void Detach(SimDriveRecord* drive);
    DWORD Transport(SimDriveRecord& drive, UINT message, DWORD flags, MCI_GENERIC_PARMS* params);
    DWORD Status(SimDriveRecord& drive, DWORD flags, MCI_STATUS_PARMS* params);
    DWORD Set(SimDriveRecord& drive, DWORD flags, MCI_SET_PARMS* params);
    DWORD Play(SimDriveRecord& drive, DWORD flags, MCI_PLAY_PARMS* params);
    DWORD WaitForPlay();
    DWORD Seek(SimDriveRecord& drive, DWORD flags, MCI_SEEK_PARMS* params);
    DWORD GetDevCaps(DWORD flags, MCI_GETDEVCAPS_PARMS* params);
    DWORD Info(SimDriveRecord& drive, DWORD flags, MCI_INFO_PARMSW* params);
    // Completes a command that asked for MCI_NOTIFY: a play of this device
    // still waiting to notify is superseded unless the command ended it.
    void NotifySuccess(SimDriveRecord& drive, DWORD_PTR callback);

    uint32_t ToMs(uint32_t value) const;
    uint32_t FromMs(uint32_t ms, DWORD& result) const;
    uint32_t LengthMs(const SimDriveRecord& drive, DWORD flags, DWORD track) const;
    uint32_t PositionMs(SimDriveRecord& drive, DWORD flags, DWORD track);

    SimWorld& m_world;
    NotifyWatcher& m_watcher;
    SoundPlayer& m_player;
    UINT m_nDeviceId;
    char m_cLetter;
    bool m_bOpen = false;
    uint32_t m_nTimeFormat = MCI_FORMAT_MSF;
    uint32_t m_nPlayGeneration = 0;  // of the play that MCI_WAIT waits for
};

}  // namespace simcd
