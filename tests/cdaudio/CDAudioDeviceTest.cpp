// CCDAudioDevice against the simulated drives: the exact MCI commands it
// sends, read back from the driver's journal, and the position it remembers.
#include <windows.h>
#include <mmsystem.h>
#include <mmddk.h>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "cdaudio/CCDAudioDevice.h"
#include "simcd/SimController.h"

namespace
{
// Tracks of 60, 90 and 30 s from the default start of 2 s: starts at 2000,
// 62000 and 152000 ms; the disc ends at 182000 ms.
const std::vector<uint32_t> kTracks = { 60000, 90000, 30000 };

// Command, flags, and for status queries the item and track.
using Command = std::tuple<uint32_t, uint32_t, uint32_t, uint32_t>;
const Command kMode{ MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_MODE, 0 };
const Command kPosition{ MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_POSITION, 0 };
const Command kPlay{ MCI_PLAY, MCI_FROM | MCI_NOTIFY, 0, 0 };
const Command kPause{ MCI_PAUSE, MCI_WAIT, 0, 0 };
const Command kStop{ MCI_STOP, MCI_WAIT, 0, 0 };
const DWORD kStopped = MCI_MODE_STOP, kPlaying = MCI_MODE_PLAY, kPaused = MCI_MODE_PAUSE;

class CDAudioDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_ctl.RemoveAllDrives() && m_ctl.SetTimeFactor(1.0) && m_ctl.DefineDrive('D') &&
                    m_ctl.InsertDisc('D', kTracks))
            << m_ctl.GetLastError();
    }

    void TearDown() override
    {
        DestroyWindow(m_hWnd);
        m_ctl.RemoveAllDrives();
    }

    // The commands since the journal was last read or cleared.
    std::vector<Command> Commands()
    {
        std::vector<Command> commands;
        for (const simcd::SimJournalEntry& e : m_ctl.GetJournal())
        {
            const bool bStatus = e.command == MCI_STATUS;
            commands.emplace_back(e.command, e.flags, bStatus ? e.item : 0, bStatus ? e.track : 0);
        }
        m_ctl.ClearJournal();
        return commands;
    }

    // A device on D: whose construction is out of the journal.
    std::unique_ptr<CCDAudioDevice> Open(HWND hWnd)
    {
        std::unique_ptr<CCDAudioDevice> pDevice(new CCDAudioDevice("D:", hWnd));
        m_ctl.ClearJournal();
        return pDevice;
    }

    simcd::SimController m_ctl;
    HWND m_hWnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
};

TEST_F(CDAudioDeviceTest, ConstructionReadsTheTableOfContentsInOrder)
{
    m_ctl.ClearJournal();
    CCDAudioDevice device("D:", m_hWnd);
    std::vector<Command> expected = {
        { MCI_OPEN_DRIVER, MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE | MCI_WAIT, 0, 0 },
        { MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, 0, 0 },
        { MCI_STATUS, MCI_STATUS_ITEM | MCI_STATUS_START, MCI_STATUS_POSITION, 0 },
        { MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_NUMBER_OF_TRACKS, 0 },
    };
    for (uint32_t t = 1; t <= kTracks.size(); t++)
    {
        expected.emplace_back(MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, MCI_STATUS_POSITION, t);
        expected.emplace_back(MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, MCI_STATUS_LENGTH, t);
    }
    // Then, apart, which tracks hold audio.
    for (uint32_t t = 1; t <= kTracks.size(); t++)
        expected.emplace_back(MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, MCI_CDA_STATUS_TYPE_TRACK, t);
    EXPECT_EQ(static_cast<uint32_t>(MCI_FORMAT_MILLISECONDS), m_ctl.GetJournal().at(1).timeFormat);
    EXPECT_EQ(expected, Commands());

    ASSERT_EQ(3, device.GetTrackCount());
    EXPECT_EQ((std::vector<DWORD>{ 2000, 62000, 152000, 2000, 180000 }),
              (std::vector<DWORD>{ device.GetTrackStart(0), device.GetTrackStart(1), device.GetTrackStart(2),
                                   device.GetPosition(), device.GetLength() }));
}

TEST_F(CDAudioDeviceTest, EmptyDriveAndFailedOpenGiveNoTracks)
{
    ASSERT_TRUE(m_ctl.RemoveDisc('D'));
    {
        CCDAudioDevice device("D:", m_hWnd);
        EXPECT_EQ(0, device.GetTrackCount());
        EXPECT_EQ(0u, device.GetPosition());
        EXPECT_EQ(1u, device.GetCurrentTrack());
    }
    // A failed open leaves id 0: nothing but the refused open reaches a drive.
    ASSERT_TRUE(m_ctl.InsertDisc('D', kTracks) && m_ctl.SetFaults('D', simcd::kFaultOpenFails));
    m_ctl.ClearJournal();
    {
        CCDAudioDevice device("D:", m_hWnd);
        EXPECT_EQ(0u, device.GetDeviceID());
        EXPECT_EQ(0, device.GetTrackCount());
        EXPECT_FALSE(device.Play());
    }
    for (const Command& c : Commands())
        EXPECT_EQ(static_cast<uint32_t>(MCI_OPEN_DRIVER), std::get<0>(c));
}

TEST_F(CDAudioDeviceTest, ConstructionThatThrowsAfterTheOpenClosesTheDevice)
{
    ASSERT_TRUE(m_ctl.SetFaults('D', simcd::kFaultGarbageTracks));
    EXPECT_ANY_THROW(CCDAudioDevice("D:", m_hWnd));
    simcd::SimDriveInfo info;
    ASSERT_TRUE(m_ctl.GetDrive('D', info));
    EXPECT_EQ(0u, info.openDevices);
    const std::vector<Command> sent = Commands();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(kStop, sent[sent.size() - 2]);
    EXPECT_EQ(static_cast<uint32_t>(MCI_CLOSE_DRIVER), std::get<0>(sent.back()));
    // The drive is not shut out: the next open reaches it.
    ASSERT_TRUE(m_ctl.ClearFaults('D'));
    EXPECT_EQ(3, CCDAudioDevice("D:", m_hWnd).GetTrackCount());
}

TEST_F(CDAudioDeviceTest, DestructionStopsWithWaitAndClosesInEveryMode)
{
    for (bool bPlaying : { false, true })
    {
        std::unique_ptr<CCDAudioDevice> pDevice = Open(m_hWnd);
        if (bPlaying)
            pDevice->Play();
        Commands();  // only what the destructor sends
        pDevice.reset();
        EXPECT_EQ((std::vector<Command>{ kStop, { MCI_CLOSE_DRIVER, 0, 0, 0 } }), Commands()) << bPlaying;
    }
}

// Each operation on a drive stopped with the position remembered at 100000
// (the middle of track 2, the drive itself still at 2000), playing from
// there, or paused there.
TEST_F(CDAudioDeviceTest, TransportCommandsAndTheRememberedPosition)
{
    using Op = DWORD (*)(CCDAudioDevice&);
#define OP(call) [](CCDAudioDevice& d) -> DWORD { return d.call; }
    const Op play = OP(Play()), pause = OP(Pause()), seek = OP(Seek(160000)), stop = OP(Stop());
    const Op track = OP(GetCurrentTrack()), eject = OP(Eject());
#undef OP
    const Command kCurrentTrack{ MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, MCI_STATUS_CURRENT_TRACK, 0 };
    const Command kDoorOpen{ MCI_SET, MCI_SET_DOOR_OPEN, 0, 0 };
    const struct
    {
        DWORD start;
        Op op;
        std::vector<Command> sent;
        DWORD result, mode, position;
    } cases[] = {
        { kStopped, play, { kMode, kPlay }, TRUE, kPlaying, 100000 },
        { kStopped, pause, { kPause, kPosition }, TRUE, kStopped, 2000 },  // the device's position
        { kStopped, seek, { kMode }, TRUE, kStopped, 160000 },
        { kStopped, stop, { kMode, kMode }, TRUE, kStopped, 62000 },
        { kStopped, track, { kMode }, 2, kStopped, 100000 },
        { kStopped, eject, { kDoorOpen }, TRUE, MCI_MODE_OPEN, 100000 },
        { kPlaying, play, { kMode }, TRUE, kPlaying, 100000 },
        { kPlaying, pause, { kPause, kPosition }, TRUE, kPaused, 100000 },
        { kPlaying, seek, { kMode, kPause, kPlay }, TRUE, kPlaying, 160000 },
        { kPlaying, stop, { kMode, kStop, kPosition, kMode }, TRUE, kStopped, 62000 },
        { kPlaying, track, { kMode, kCurrentTrack }, 2, kPlaying, 100000 },
        { kPaused, stop, { kMode, kMode }, TRUE, kPaused, 62000 },
    };
    for (const auto& c : cases)
    {
        const int nCase = static_cast<int>(&c - cases);
        ASSERT_TRUE(m_ctl.RemoveDisc('D') && m_ctl.InsertDisc('D', kTracks));  // back at 2000, door closed
        std::unique_ptr<CCDAudioDevice> pDevice = Open(m_hWnd);
        pDevice->Seek(100000);
        if (c.start != kStopped)
            pDevice->Play();
        if (c.start == kPaused)
            pDevice->Pause();
        Commands();  // only what the operation sends
        EXPECT_EQ(c.result, c.op(*pDevice)) << nCase;
        EXPECT_EQ(c.sent, Commands()) << nCase;
        EXPECT_EQ(c.mode, pDevice->GetMode()) << nCase;
        EXPECT_NEAR(c.position, pDevice->GetPosition(), 2000.0) << nCase;
    }
}

// The last millisecond of a track, start + length - 1, belongs to the next.
TEST_F(CDAudioDeviceTest, TrackLookupBoundariesAndStopPastTheLastTrack)
{
    std::unique_ptr<CCDAudioDevice> pDevice = Open(m_hWnd);
    const DWORD cases[][2] = { { 0, 1 }, { 61998, 1 }, { 61999, 2 }, { 181998, 3 }, { 181999, 4 }, { 0xFFFFFFFF, 4 } };
    for (const auto& c : cases)
    {
        pDevice->Seek(c[0]);
        EXPECT_EQ(c[1], pDevice->GetCurrentTrack()) << "position " << c[0];
    }
    // Past the last track, stop rewinds to the last track's start.
    EXPECT_NO_THROW(pDevice->Stop());
    EXPECT_EQ(152000u, pDevice->GetPosition());
    // So it does when the playing device reports a position past the disc's end.
    pDevice->Play();
    ASSERT_TRUE(m_ctl.SetFaults('D', simcd::kFaultPositionPastEnd));
    EXPECT_NO_THROW(pDevice->Stop());
    EXPECT_EQ(152000u, pDevice->GetPosition());
}

TEST_F(CDAudioDeviceTest, PlayWithoutWindowAndFailedStatusQueries)
{
    std::unique_ptr<CCDAudioDevice> pDevice = Open(nullptr);
    EXPECT_TRUE(pDevice->Play());
    EXPECT_EQ((std::vector<Command>{ kMode, { MCI_PLAY, MCI_FROM, 0, 0 } }), Commands());  // no notification
    // Failed queries read as 0, and mode 0 as not playing: mode, length, media,
    // start; the position and track remembered.
    ASSERT_TRUE(m_ctl.SetFaults('D', simcd::kFaultStatusFails));
    EXPECT_EQ((std::vector<DWORD>{ 0, 0, 0, 0, 2000, 1 }),
              (std::vector<DWORD>{ pDevice->GetMode(), pDevice->GetLength(), pDevice->IsMediaPresent(),
                                   pDevice->GetStartPosition(), pDevice->GetPosition(), pDevice->GetCurrentTrack() }));
}

// A disc swapped under the device may play a track the table does not hold.
TEST_F(CDAudioDeviceTest, CurrentTrackStaysWithinTheTable)
{
    std::unique_ptr<CCDAudioDevice> pDevice = Open(m_hWnd);
    ASSERT_TRUE(m_ctl.RemoveDisc('D') && m_ctl.InsertDisc('D', { 10000, 10000, 10000, 10000, 10000, 60000 }));
    pDevice->Seek(55000);
    pDevice->Play();
    EXPECT_EQ(4u, pDevice->GetCurrentTrack());
}

// Data tracks are never played: a play or a remembered position inside one
// moves to the next audio track, past the last to the first; the disc ends
// where its audio does; a disc of data alone has no tracks at all.
TEST_F(CDAudioDeviceTest, DataTracksAreNeverPlayedAndADataDiscHasNoTracks)
{
    const simcd::SimTrack a60{ 60000, false }, a90{ 90000, false }, a30{ 30000, false }, d60{ 60000, true },
        d90{ 90000, true }, d30{ 30000, true };
    const struct
    {
        const char* disc;
        std::vector<simcd::SimTrack> tracks;
        int nTracks;
        DWORD dwStart, dwEnd;
        std::vector<std::pair<DWORD, DWORD>> seeks;  // position, where it moves
    } discs[] = {
        { "enhanced", { a60, a90, d30 }, 3, 2000, 152000, { { 100000, 100000 }, { 152000, 2000 }, { 181999, 2000 } } },
        { "mixed mode", { d60, a90 }, 2, 62000, 152000, { { 2000, 62000 }, { 61999, 62000 } } },
        { "data in the middle", { a60, d90, a30 }, 3, 2000, 182000, { { 62000, 152000 }, { 152000, 152000 } } },
        { "data alone", { d60 }, 0, 2000, 0, {} },
    };
    for (const auto& d : discs)
    {
        ASSERT_TRUE(m_ctl.RemoveDisc('D') && m_ctl.InsertTracks('D', d.tracks));
        std::unique_ptr<CCDAudioDevice> pDevice = Open(m_hWnd);
        ASSERT_EQ(d.nTracks, pDevice->GetTrackCount()) << d.disc;
        EXPECT_EQ(d.dwStart, pDevice->GetPosition()) << d.disc;
        EXPECT_EQ(d.dwEnd, pDevice->GetDiscEnd()) << d.disc;
        for (int i = 0; i < d.nTracks; i++)
            EXPECT_EQ(!d.tracks[i].data, pDevice->IsAudioTrack(i) != FALSE) << d.disc << ", track " << i + 1;
        for (const auto& seek : d.seeks)
        {
            pDevice->Seek(seek.first);
            EXPECT_EQ(seek.second, pDevice->GetPosition()) << d.disc << ", seek to " << seek.first;
        }
        if (d.nTracks == 0)
            continue;
        // A playing drive sent into data goes on at the next audio track.
        pDevice->Seek(d.dwStart);
        ASSERT_TRUE(pDevice->Play()) << d.disc;
        Commands();
        ASSERT_TRUE(pDevice->Seek(d.seeks.front().first)) << d.disc;
        const std::vector<simcd::SimJournalEntry> journal = m_ctl.GetJournal();
        ASSERT_FALSE(journal.empty());
        EXPECT_EQ(static_cast<uint32_t>(MCI_PLAY), journal.back().command) << d.disc;
        EXPECT_EQ(d.seeks.front().second, journal.back().from) << d.disc;
        pDevice->Stop();
    }
}

// Notifications answer plays in the order they were started: only one for
// the latest play can end it; a failed one only where the audio ends.
TEST_F(CDAudioDeviceTest, OnlyTheLatestPlaysNotificationEndsIt)
{
    std::unique_ptr<CCDAudioDevice> pDevice = Open(m_hWnd);
    EXPECT_TRUE(pDevice->NotifyEndsPlay(MCI_NOTIFY_SUCCESSFUL)) << "one that no play owes counts as it says";
    EXPECT_FALSE(pDevice->NotifyEndsPlay(MCI_NOTIFY_FAILURE));
    ASSERT_TRUE(pDevice->Play());
    pDevice->Seek(100000);  // a second play replaces the first
    EXPECT_FALSE(pDevice->NotifyEndsPlay(MCI_NOTIFY_SUCCESSFUL)) << "the first play's";
    EXPECT_TRUE(pDevice->IsPlayOpen());
    EXPECT_FALSE(pDevice->NotifyEndsPlay(MCI_NOTIFY_FAILURE)) << "the second failed mid-disc";
    EXPECT_FALSE(pDevice->IsPlayOpen());

    pDevice->Seek(181500);
    ASSERT_TRUE(pDevice->Play());
    pDevice->TakeEnd();
    EXPECT_FALSE(pDevice->NotifyEndsPlay(MCI_NOTIFY_SUCCESSFUL)) << "its end was taken";
    // Stopped first: a drive still playing at the next Seek would get a play
    // of its own there, and the Play after it a second one.
    pDevice->Stop();

    // The real end reaches the window with the device's id, failed only
    // where the audio ends; the aborted plays above were notified before it.
    ASSERT_TRUE(m_ctl.SetTimeFactor(1000.0));
    pDevice->Seek(181500);
    ASSERT_TRUE(pDevice->Play());
    MSG msg = {};
    for (const DWORD dwStart = GetTickCount(); msg.wParam != MCI_NOTIFY_SUCCESSFUL && GetTickCount() - dwStart < 5000;
         Sleep(10))
        while (msg.wParam != MCI_NOTIFY_SUCCESSFUL && PeekMessageA(&msg, m_hWnd, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE))
            ;
    EXPECT_EQ(static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL), msg.wParam);
    EXPECT_EQ(static_cast<LPARAM>(pDevice->GetDeviceID()), msg.lParam);
    EXPECT_EQ(kStopped, pDevice->GetMode());
    EXPECT_TRUE(pDevice->NotifyEndsPlay(MCI_NOTIFY_FAILURE)) << "failed at the end";
}
}  // namespace
