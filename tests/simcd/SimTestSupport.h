// Shared by the simulated-drive tests: a fixture that owns drives P: to S:,
// an opened MCI device, and a window that collects MM_MCINOTIFY messages.
#pragma once

#include "SimController.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <string>
#include <vector>

namespace simtest {

// Opens a drive the way the program does; closes it when destroyed.
class MciDevice {
public:
    explicit MciDevice(char letter, MCIERROR* error = nullptr)
    {
        char element[] = {letter, ':', 0};
        MCI_OPEN_PARMSA open = {};
        open.lpstrDeviceType = reinterpret_cast<LPCSTR>(MCI_DEVTYPE_CD_AUDIO);
        open.lpstrElementName = element;
        MCIERROR result = mciSendCommandA(
            0, MCI_OPEN, MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE | MCI_WAIT,
            reinterpret_cast<DWORD_PTR>(&open));
        if (error)
            *error = result;
        if (result == 0)
            m_id = open.wDeviceID;
    }
    ~MciDevice()
    {
        if (m_id)
            mciSendCommandA(m_id, MCI_CLOSE, 0, 0);
    }
    MciDevice(const MciDevice&) = delete;
    MciDevice& operator=(const MciDevice&) = delete;

    MCIDEVICEID Id() const { return m_id; }

    MCIERROR Send(UINT command, DWORD flags, void* params = nullptr) const
    {
        return mciSendCommandA(m_id, command, flags, reinterpret_cast<DWORD_PTR>(params));
    }
    // A status query; the result is 0xFEEDABAD when the query failed.
    DWORD Status(DWORD item, DWORD flags = MCI_STATUS_ITEM, DWORD track = 0,
                 MCIERROR* error = nullptr) const
    {
        MCI_STATUS_PARMS status = {};
        status.dwItem = item;
        status.dwTrack = track;
        status.dwReturn = 0xFEEDABAD;
        MCIERROR result = Send(MCI_STATUS, flags, &status);
        if (error)
            *error = result;
        return static_cast<DWORD>(status.dwReturn);
    }
    DWORD Mode() const { return Status(MCI_STATUS_MODE); }
    DWORD Position() const { return Status(MCI_STATUS_POSITION); }
    MCIERROR SetMilliseconds() const
    {
        MCI_SET_PARMS set = {};
        set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
        return Send(MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, &set);
    }
    MCIERROR Play(DWORD flags, DWORD from = 0, DWORD to = 0, HWND notify = nullptr) const
    {
        MCI_PLAY_PARMS play = {};
        play.dwCallback = reinterpret_cast<DWORD_PTR>(notify);
        play.dwFrom = from;
        play.dwTo = to;
        return Send(MCI_PLAY, flags, &play);
    }

private:
    MCIDEVICEID m_id = 0;
};

// A hidden top-level window that records the MM_MCINOTIFY messages it gets.
class NotifyWindow {
public:
    struct Notice {
        WPARAM code;
        LPARAM deviceId;
    };
    NotifyWindow();
    ~NotifyWindow();
    HWND Handle() const { return m_hwnd; }
    // Pumps messages until a notification arrives or the time is up.
    bool Wait(Notice& notice, DWORD timeoutMs);
    // Every notification that arrives within the time.
    std::vector<Notice> Collect(DWORD timeoutMs);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd = nullptr;
    std::vector<Notice> m_notices;
};

// Every test starts with drives P: to S: undefined and the time factor 1,
// and leaves them so.
class SimFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void RemoveTestDrives();
    // Defines the drive and puts in a disc.
    void DriveWithDisc(char letter, const std::vector<uint32_t>& tracks,
                       uint32_t start = simcd::kDefaultDiscStartMs);
    // Journal entries of one command type.
    std::vector<simcd::SimJournalEntry> JournalOf(uint32_t command);

    simcd::SimController m_sim;
};

// Runs simcd.exe with the arguments; returns its exit status and output.
int RunSimcd(const std::string& arguments, std::string* output = nullptr);

} // namespace simtest
