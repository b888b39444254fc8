// CCDAudioDevice against the simulated drives: the exact MCI commands it
// sends, read back from the driver's journal, and the position it remembers.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <mmddk.h>

#include "cdaudio/CCDAudioDevice.h"
#include "framework/CInvalidArgException.h"
#include "simcd/SimController.h"

using simcd::SimController;
using simcd::SimJournalEntry;

namespace
{
// Three tracks of 60, 90 and 30 s from the default start of 2 s: starts at
// 2000, 62000 and 152000 ms; the disc ends at 182000 ms.
const std::vector<uint32_t> kTracks = { 60000, 90000, 30000 };

// One expected command: MCI command, flags, and for status queries the item.
struct Command
{
    UINT command;
    DWORD flags;
    DWORD item;
};

bool operator==(const Command& a, const Command& b)
{
    return a.command == b.command && a.flags == b.flags && a.item == b.item;
}

std::ostream& operator<<(std::ostream& os, const Command& c)
{
    return os << "{cmd 0x" << std::hex << c.command << ", flags 0x" << c.flags << ", item "
              << std::dec << c.item << "}";
}

class CDAudioDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_ctl.IsAttached()) << m_ctl.GetLastError();
        m_ctl.RemoveAllDrives();
        m_ctl.SetTimeFactor(1.0);
        ASSERT_TRUE(m_ctl.DefineDrive('D')) << m_ctl.GetLastError();
        ASSERT_TRUE(m_ctl.InsertDisc('D', kTracks)) << m_ctl.GetLastError();
        m_hWnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandle(nullptr), nullptr);
        ASSERT_NE(nullptr, m_hWnd);
    }

    void TearDown() override
    {
        DestroyWindow(m_hWnd);
        m_ctl.RemoveAllDrives();
    }

    std::vector<Command> Commands()
    {
        std::vector<Command> commands;
        for (const SimJournalEntry& e : m_ctl.GetJournal())
            commands.push_back({ e.command, e.flags, e.command == MCI_STATUS ? e.item : 0 });
        return commands;
    }

    std::vector<SimJournalEntry> Journal() { return m_ctl.GetJournal(); }

    // A device on D: whose construction is out of the journal.
    CCDAudioDevice* Open(HWND hWnd)
    {
        CCDAudioDevice* pDevice = new CCDAudioDevice("D:", hWnd);
        m_ctl.ClearJournal();
        return pDevice;
    }

    SimController m_ctl;
    HWND m_hWnd = nullptr;
};

const Command kMode = { MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_MODE };
const Command kPosition = { MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_POSITION };
const Command kPlayNotify = { MCI_PLAY, MCI_FROM | MCI_NOTIFY, 0 };
const Command kPauseWait = { MCI_PAUSE, MCI_WAIT, 0 };
const Command kStopWait = { MCI_STOP, MCI_WAIT, 0 };
}

// ---------------------------------------------------------------------------
// Construction and destruction

TEST_F(CDAudioDeviceTest, ConstructionReadsTheTableOfContentsInOrder)
{
    m_ctl.ClearJournal();
    CCDAudioDevice device("D:", m_hWnd);

    const std::vector<SimJournalEntry> journal = Journal();
    ASSERT_EQ(1u + 1 + 2 + 2 * kTracks.size(), journal.size());
    EXPECT_EQ(static_cast<UINT>(MCI_OPEN_DRIVER), journal[0].command);
    EXPECT_EQ(static_cast<UINT>(MCI_SET), journal[1].command);
    EXPECT_EQ(static_cast<DWORD>(MCI_SET_TIME_FORMAT | MCI_WAIT), journal[1].flags);
    EXPECT_EQ(static_cast<DWORD>(MCI_FORMAT_MILLISECONDS), journal[1].timeFormat);
    EXPECT_EQ((Command{ MCI_STATUS, MCI_STATUS_ITEM | MCI_STATUS_START, MCI_STATUS_POSITION }),
              (Command{ journal[2].command, journal[2].flags, journal[2].item }));
    EXPECT_EQ((Command{ MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_NUMBER_OF_TRACKS }),
              (Command{ journal[3].command, journal[3].flags, journal[3].item }));
    for (size_t t = 1; t <= kTracks.size(); t++)
    {
        const SimJournalEntry& start = journal[2 + 2 * t];
        const SimJournalEntry& length = journal[3 + 2 * t];
        EXPECT_EQ((Command{ MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, MCI_STATUS_POSITION }),
                  (Command{ start.command, start.flags, start.item }));
        EXPECT_EQ(t, start.track);
        EXPECT_EQ((Command{ MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, MCI_STATUS_LENGTH }),
                  (Command{ length.command, length.flags, length.item }));
        EXPECT_EQ(t, length.track);
    }

    ASSERT_EQ(3, device.GetTrackCount());
    EXPECT_EQ(2000u, device.GetTrackStart(0));
    EXPECT_EQ(62000u, device.GetTrackStart(1));
    EXPECT_EQ(152000u, device.GetTrackStart(2));
    EXPECT_EQ(2000u, device.GetPosition());
    EXPECT_EQ(2000u, device.GetStartPosition());
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_STOP), device.GetMode());
    EXPECT_NE(0u, device.IsMediaPresent());
    EXPECT_NE(0u, device.GetDeviceID());
}

TEST_F(CDAudioDeviceTest, EmptyDriveAndFailedOpenGiveNoTracks)
{
    ASSERT_TRUE(m_ctl.RemoveDisc('D'));
    {
        CCDAudioDevice device("D:", m_hWnd);
        EXPECT_EQ(0, device.GetTrackCount());
        EXPECT_EQ(0u, device.GetPosition());
        EXPECT_EQ(0u, device.IsMediaPresent());
        EXPECT_EQ(1u, device.GetCurrentTrack());
        EXPECT_THROW(device.GetTrackStart(0), CInvalidArgException);
    }

    ASSERT_TRUE(m_ctl.InsertDisc('D', kTracks));
    ASSERT_TRUE(m_ctl.SetFaults('D', simcd::kFaultOpenFails));
    m_ctl.ClearJournal();
    {
        CCDAudioDevice device("D:", m_hWnd);
        EXPECT_EQ(0u, device.GetDeviceID());
        EXPECT_EQ(0, device.GetTrackCount());
        EXPECT_EQ(0u, device.GetMode());
        EXPECT_EQ(0u, device.IsMediaPresent());
        EXPECT_TRUE(device.Pause());
        EXPECT_FALSE(device.Play());
    }
    // Nothing but the refused open ever reaches a drive.
    for (const SimJournalEntry& e : Journal())
        EXPECT_EQ(static_cast<UINT>(MCI_OPEN_DRIVER), e.command);
}

TEST_F(CDAudioDeviceTest, DestructionStopsAndClosesInEveryMode)
{
    for (bool bPlaying : { false, true })
    {
        CCDAudioDevice* pDevice = Open(m_hWnd);
        if (bPlaying)
        {
            pDevice->Play();
            m_ctl.ClearJournal();
        }
        delete pDevice;
        const std::vector<SimJournalEntry> journal = Journal();
        ASSERT_EQ(2u, journal.size()) << "playing " << bPlaying;
        EXPECT_EQ(kStopWait, (Command{ journal[0].command, journal[0].flags, 0 }));
        EXPECT_FALSE(journal[0].hasParams);
        EXPECT_EQ(static_cast<UINT>(MCI_CLOSE_DRIVER), journal[1].command);

        simcd::SimDriveInfo info;
        ASSERT_TRUE(m_ctl.GetDrive('D', info));
        EXPECT_EQ(static_cast<uint32_t>(MCI_MODE_STOP), info.mode);
        EXPECT_EQ(0u, info.openDevices);
    }
}

// ---------------------------------------------------------------------------
// Play and pause

TEST_F(CDAudioDeviceTest, PlayStartsFromTheRememberedPositionOnce)
{
    std::unique_ptr<CCDAudioDevice> device(Open(m_hWnd));
    EXPECT_TRUE(device->Play());
    EXPECT_EQ((std::vector<Command>{ kMode, kPlayNotify }), Commands());
    const SimJournalEntry play = Journal().back();
    EXPECT_EQ(2000u, play.from);
    EXPECT_EQ(reinterpret_cast<uint32_t>(m_hWnd), play.callback);
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_PLAY), device->GetMode());

    m_ctl.ClearJournal();
    EXPECT_TRUE(device->Play());
    EXPECT_EQ((std::vector<Command>{ kMode }), Commands());
}

TEST_F(CDAudioDeviceTest, PlayWithoutWindowAsksForNoNotification)
{
    std::unique_ptr<CCDAudioDevice> device(Open(nullptr));
    EXPECT_TRUE(device->Play());
    EXPECT_EQ((std::vector<Command>{ kMode, { MCI_PLAY, MCI_FROM, 0 } }), Commands());
}

TEST_F(CDAudioDeviceTest, PauseTakesTheDevicesPositionInEveryMode)
{
    std::unique_ptr<CCDAudioDevice> device(Open(m_hWnd));
    device->Play();
    Sleep(50);
    m_ctl.ClearJournal();
    EXPECT_TRUE(device->Pause());
    EXPECT_EQ((std::vector<Command>{ kPauseWait, kPosition }), Commands());
    simcd::SimDriveInfo info;
    ASSERT_TRUE(m_ctl.GetDrive('D', info));
    EXPECT_EQ(info.positionMs, device->GetPosition());
    EXPECT_GT(device->GetPosition(), 2000u);

    // Not playing: the pause is still sent and the device's own position,
    // not the remembered one, is taken.
    device->Seek(100000);
    EXPECT_EQ(100000u, device->GetPosition());
    m_ctl.ClearJournal();
    device->Pause();
    EXPECT_EQ((std::vector<Command>{ kPauseWait, kPosition }), Commands());
    EXPECT_EQ(info.positionMs, device->GetPosition());
}

// ---------------------------------------------------------------------------
// Seek, stop and the track lookup

TEST_F(CDAudioDeviceTest, SeekMovesOnlyTheRememberedPositionUnlessPlaying)
{
    std::unique_ptr<CCDAudioDevice> device(Open(m_hWnd));
    EXPECT_TRUE(device->Seek(70000));
    EXPECT_EQ((std::vector<Command>{ kMode }), Commands());
    EXPECT_EQ(70000u, device->GetPosition());

    m_ctl.ClearJournal();
    device->Play();
    EXPECT_EQ(70000u, Journal().back().from);

    m_ctl.ClearJournal();
    EXPECT_TRUE(device->Seek(160000));
    EXPECT_EQ((std::vector<Command>{ kMode, kPauseWait, kPlayNotify }), Commands());
    EXPECT_EQ(160000u, Journal().back().from);
    const DWORD dwLive = device->GetPosition();
    EXPECT_GE(dwLive, 160000u);
    EXPECT_LT(dwLive, 170000u);
}

TEST_F(CDAudioDeviceTest, StopRewindsToTheStartOfTheCurrentTrack)
{
    std::unique_ptr<CCDAudioDevice> device(Open(m_hWnd));
    device->Seek(100000);  // the middle of track 2
    device->Play();
    m_ctl.ClearJournal();
    EXPECT_TRUE(device->Stop());
    EXPECT_EQ((std::vector<Command>{ kMode, kStopWait, kPosition, kMode }), Commands());
    EXPECT_EQ(62000u, device->GetPosition());
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_STOP), device->GetMode());

    // A paused drive gets no stop and stays paused.
    device->Seek(160000);
    device->Play();
    device->Pause();
    m_ctl.ClearJournal();
    device->Stop();
    EXPECT_EQ((std::vector<Command>{ kMode, kMode }), Commands());
    EXPECT_EQ(152000u, device->GetPosition());
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_PAUSE), device->GetMode());
}

TEST_F(CDAudioDeviceTest, TrackLookupBoundaries)
{
    std::unique_ptr<CCDAudioDevice> device(Open(m_hWnd));
    const struct { DWORD position; DWORD track; } cases[] = {
        { 0, 1 },             // before the first track
        { 2000, 1 },
        { 61998, 1 },
        { 61999, 2 },         // start + length - 1 belongs to the next track
        { 62000, 2 },
        { 181998, 3 },
        { 181999, 4 },        // past the last track
        { 0xFFFFFFFF, 4 },
    };
    for (const auto& c : cases)
    {
        device->Seek(c.position);
        EXPECT_EQ(c.track, device->GetCurrentTrack()) << "position " << c.position;
    }

    // Stop from past the last track rewinds to the last track's start.
    device->Seek(181999);
    device->Stop();
    EXPECT_EQ(152000u, device->GetPosition());
}

TEST_F(CDAudioDeviceTest, CurrentTrackWhilePlayingAsksTheDeviceWithWait)
{
    std::unique_ptr<CCDAudioDevice> device(Open(m_hWnd));
    device->Seek(62000);
    device->Play();
    m_ctl.ClearJournal();
    EXPECT_EQ(2u, device->GetCurrentTrack());
    EXPECT_EQ((std::vector<Command>{
                  kMode, { MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, MCI_STATUS_CURRENT_TRACK } }),
              Commands());
}

// ---------------------------------------------------------------------------
// Faults: failed status queries and positions past the disc's end

TEST_F(CDAudioDeviceTest, FailedStatusQueriesReadAsZero)
{
    std::unique_ptr<CCDAudioDevice> device(Open(m_hWnd));
    ASSERT_TRUE(m_ctl.SetFaults('D', simcd::kFaultStatusFails));
    EXPECT_EQ(0u, device->GetMode());
    EXPECT_EQ(0u, device->GetLength());
    EXPECT_EQ(0u, device->IsMediaPresent());
    EXPECT_EQ(0u, device->GetStartPosition());
    // Mode 0 counts as not playing: the remembered position is used.
    EXPECT_EQ(2000u, device->GetPosition());
    EXPECT_EQ(1u, device->GetCurrentTrack());
}

TEST_F(CDAudioDeviceTest, StopFromAPositionPastTheLastTrackRewindsToIt)
{
    std::unique_ptr<CCDAudioDevice> device(Open(m_hWnd));
    device->Play();
    ASSERT_TRUE(m_ctl.SetFaults('D', simcd::kFaultPositionPastEnd));
    EXPECT_NO_THROW(device->Stop());
    EXPECT_EQ(152000u, device->GetPosition());

    // A pause that took such a position leaves the same way.
    device->Pause();
    EXPECT_GE(device->GetPosition(), 181999u);
    EXPECT_EQ(4u, device->GetCurrentTrack());
    EXPECT_NO_THROW(device->Stop());
    EXPECT_EQ(152000u, device->GetPosition());
}

// ---------------------------------------------------------------------------
// Eject and the end of a play

TEST_F(CDAudioDeviceTest, EjectOpensTheDoorWithoutWaiting)
{
    std::unique_ptr<CCDAudioDevice> device(Open(m_hWnd));
    EXPECT_TRUE(device->Eject());
    EXPECT_EQ((std::vector<Command>{ { MCI_SET, MCI_SET_DOOR_OPEN, 0 } }), Commands());
    simcd::SimDriveInfo info;
    ASSERT_TRUE(m_ctl.GetDrive('D', info));
    EXPECT_TRUE(info.doorOpen);
    EXPECT_EQ(3, device->GetTrackCount());
}

TEST_F(CDAudioDeviceTest, EndOfPlayReachesTheWindowWithTheDeviceId)
{
    std::unique_ptr<CCDAudioDevice> device(Open(m_hWnd));
    device->Seek(181000);
    ASSERT_TRUE(device->Play());

    MSG msg = {};
    bool bNotified = false;
    const DWORD dwDeadline = GetTickCount() + 5000;
    while (!bNotified && GetTickCount() < dwDeadline)
    {
        if (PeekMessageA(&msg, m_hWnd, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE))
            bNotified = true;
        else
            Sleep(10);
    }
    ASSERT_TRUE(bNotified);
    EXPECT_EQ(static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL), msg.wParam);
    EXPECT_EQ(static_cast<LPARAM>(device->GetDeviceID()), msg.lParam);
    EXPECT_NE(static_cast<DWORD>(MCI_MODE_PLAY), device->GetMode());
}
