// The frame's transport commands on the selected rows, the end of a play and
// the repeat flag, read back from what reached the simulated drives.
#include "FrameTestSupport.h"

#include <mmddk.h>

#include <algorithm>

#include "res/resource.h"

using simcd::SimJournalEntry;

namespace
{
using StepList = std::vector<Step>;

const UINT kAllTransport[] = { ID_CD_PLAY, ID_CD_PAUSE, ID_CD_STOP, ID_CD_NEXT_TRACK,
                               ID_CD_PREV_TRACK, ID_CD_EJECT };

// The position a status query of the drive returned, the n-th such query in
// the journal.
DWORD Returned(const std::vector<SimJournalEntry>& journal, char drive, int n)
{
    for (const SimJournalEntry& e : journal)
    {
        if (e.drive == drive && e.command == MCI_STATUS && e.item == MCI_STATUS_POSITION && n-- == 0)
            return e.returned;
    }
    ADD_FAILURE() << "no position query " << n << " of " << drive;
    return 0;
}
}

// ---------------------------------------------------------------------------
// The synchronised start

TEST_F(FrameTest, PlayOnOneDriveStartsItAloneAndLeavesItPlaying)
{
    Select({ 'D' });
    Command(ID_CD_PLAY);
    // Gathering asks the mode; the play itself asks once more.
    EXPECT_EQ((StepList{ Mode('D'), Mode('D'), Play('D') }), Steps());
    const std::vector<SimJournalEntry> plays = Entries(MCI_PLAY);
    ASSERT_EQ(1u, plays.size());
    EXPECT_EQ(static_cast<DWORD>(MCI_FROM | MCI_NOTIFY), plays[0].flags);
    EXPECT_EQ(2000u, plays[0].from);
    // The end of the play will be reported to the frame.
    EXPECT_EQ(reinterpret_cast<uint32_t>(m_pFrame->m_hWnd), plays[0].callback);
    EXPECT_FALSE(theApp.IsWaitCursorShown());

    // Already playing: no pause, no restart.
    m_ctl.ClearJournal();
    Command(ID_CD_PLAY);
    EXPECT_EQ((StepList{ Mode('D'), Mode('D') }), Steps());
    EXPECT_EQ(static_cast<uint32_t>(MCI_MODE_PLAY), Drive('D').mode);
}

TEST_F(FrameTest, PlayOnTwoStoppedDrivesStartsThemInTwoPasses)
{
    Device('E')->Seek(70000);
    Select({ 'D', 'E' });
    m_ctl.ClearJournal();
    Command(ID_CD_PLAY);

    EXPECT_EQ((StepList{ Play('D'), Pause('D'), Play('E'), Pause('E'), Play('D'), Play('E') }), Transport());
    const std::vector<SimJournalEntry> journal = m_ctl.GetJournal();
    const std::vector<SimJournalEntry> plays = Entries(MCI_PLAY);
    ASSERT_EQ(4u, plays.size());
    EXPECT_EQ(2000u, plays[0].from);
    EXPECT_EQ(70000u, plays[1].from);
    // The second pass starts from where the pauses found the drives.
    EXPECT_EQ(Returned(journal, 'D', 0), plays[2].from);
    EXPECT_EQ(Returned(journal, 'E', 0), plays[3].from);
    EXPECT_EQ(static_cast<uint32_t>(MCI_MODE_PLAY), Drive('D').mode);
    EXPECT_EQ(static_cast<uint32_t>(MCI_MODE_PLAY), Drive('E').mode);
    EXPECT_FALSE(theApp.IsWaitCursorShown());
}

TEST_F(FrameTest, PlayWithAStoppedDriveAboveAPlayingOneRestartsBothTogether)
{
    Device('E')->Seek(100000);
    Device('E')->Play();
    Select({ 'D', 'E' });
    m_ctl.ClearJournal();
    Command(ID_CD_PLAY);

    EXPECT_EQ((StepList{
                  Mode('D'), Mode('E'),                                  // gathering
                  Mode('D'), Play('D'), Pause('D'), Position('D'),      // first pass, D
                  Mode('E'), Pause('E'), Position('E'),                 // E plays: no play
                  Mode('D'), Play('D'), Mode('E'), Play('E') }),        // second pass
              Steps());
    const std::vector<SimJournalEntry> journal = m_ctl.GetJournal();
    const std::vector<SimJournalEntry> plays = Entries(MCI_PLAY);
    ASSERT_EQ(3u, plays.size());
    EXPECT_EQ(Returned(journal, 'D', 0), plays[1].from);
    EXPECT_EQ(Returned(journal, 'E', 0), plays[2].from);
    EXPECT_GE(plays[2].from, 100000u);
}

TEST_F(FrameTest, NotReadyDriveIsSkippedByPlayOnly)
{
    Device('E')->Seek(100000);
    ASSERT_TRUE(m_ctl.SetFaults('E', simcd::kFaultNotReady));
    Select({ 'D', 'E' });
    m_ctl.ClearJournal();

    // One drive left to start: no pause either.
    Command(ID_CD_PLAY);
    EXPECT_EQ((StepList{ Mode('D'), Mode('E'), Mode('D'), Play('D') }), Steps());

    // The track steps still move its remembered position.
    Command(ID_CD_NEXT_TRACK);
    EXPECT_EQ(152000u, Device('E')->GetPosition());
    Command(ID_CD_PREV_TRACK);
    EXPECT_EQ(62000u, Device('E')->GetPosition());

    m_ctl.ClearJournal();
    Command(ID_CD_STOP);
    EXPECT_EQ((StepList{ Stop('D') }), Transport());
    const StepList stop = Steps();
    EXPECT_NE(stop.end(), std::find(stop.begin(), stop.end(), Mode('E'))) << "stop did not ask E";

    m_ctl.ClearJournal();
    Command(ID_CD_PAUSE);
    EXPECT_EQ((StepList{ Pause('D'), Pause('E') }), Transport());
}

TEST_F(FrameTest, DriveWithoutDiscIsSkippedByAllButEjectAndUnselectedOnesByAll)
{
    Select({});
    for (UINT nID : kAllTransport)
        Command(nID);
    EXPECT_TRUE(Steps().empty());
    EXPECT_FALSE(theApp.IsWaitCursorShown());

    Select({ 'D', 'G' });
    for (UINT nID : { ID_CD_PLAY, ID_CD_PAUSE, ID_CD_STOP, ID_CD_NEXT_TRACK, ID_CD_PREV_TRACK })
    {
        m_ctl.ClearJournal();
        Command(nID);
        for (const Step& step : Steps())
            EXPECT_NE('G', step.drive) << "command " << nID << " reached the empty drive: " << step;
        EXPECT_FALSE(Steps().empty()) << "command " << nID << " did not reach D:";
    }

    m_ctl.ClearJournal();
    Command(ID_CD_EJECT);
    EXPECT_EQ((StepList{ OpenDoor('D'), OpenDoor('G') }), Transport());
    EXPECT_TRUE(Drive('G').doorOpen);
    EXPECT_TRUE(Drive('D').doorOpen);
    EXPECT_FALSE(Drive('F').doorOpen);
}

// ---------------------------------------------------------------------------
// Pause, stop and the track steps

TEST_F(FrameTest, PauseAndStopActOnEverySelectedDriveInRowOrder)
{
    Device('F')->Seek(100000);
    Device('F')->Play();
    Select({ 'D', 'F' });
    m_ctl.ClearJournal();

    // A stopped drive gets its pause as well.
    Command(ID_CD_PAUSE);
    EXPECT_EQ((StepList{ Pause('D'), Pause('F') }), Transport());
    EXPECT_EQ(static_cast<uint32_t>(MCI_MODE_PAUSE), Drive('F').mode);

    Command(ID_CD_PLAY);
    m_ctl.ClearJournal();
    Command(ID_CD_STOP);
    EXPECT_EQ((StepList{ Stop('D'), Stop('F') }), Transport());
    EXPECT_EQ(static_cast<uint32_t>(MCI_MODE_STOP), Drive('F').mode);
    // Rewound to the start of the track it was in.
    EXPECT_EQ(62000u, Device('F')->GetPosition());
    EXPECT_EQ(2000u, Device('D')->GetPosition());
    EXPECT_EQ(static_cast<uint32_t>(MCI_MODE_STOP), Drive('E').mode);
}

TEST_F(FrameTest, TrackStepsWrapAroundTheDisc)
{
    Select({ 'D' });
    const struct { UINT nID; DWORD dwFrom; DWORD dwTo; } cases[] = {
        { ID_CD_NEXT_TRACK, 2000, 62000 },
        { ID_CD_NEXT_TRACK, 100000, 152000 },
        { ID_CD_NEXT_TRACK, 152000, 2000 },    // last track to the first
        { ID_CD_NEXT_TRACK, 181000, 2000 },
        { ID_CD_PREV_TRACK, 2000, 152000 },    // first track to the last
        { ID_CD_PREV_TRACK, 30000, 152000 },
        { ID_CD_PREV_TRACK, 62000, 2000 },
        { ID_CD_PREV_TRACK, 100000, 2000 },    // middle of a track: the one before
        { ID_CD_PREV_TRACK, 170000, 62000 },
    };
    for (const auto& c : cases)
    {
        Device('D')->Seek(c.dwFrom);
        Command(c.nID);
        EXPECT_EQ(c.dwTo, Device('D')->GetPosition())
            << (c.nID == ID_CD_NEXT_TRACK ? "next" : "previous") << " from " << c.dwFrom;
    }
    // A stopped drive only remembers where to start.
    EXPECT_TRUE(Transport().empty());

    // A playing one plays on from the new track.
    Device('D')->Seek(160000);
    Device('D')->Play();
    m_ctl.ClearJournal();
    Command(ID_CD_NEXT_TRACK);
    EXPECT_EQ((StepList{ Pause('D'), Play('D') }), Transport());
    EXPECT_EQ(2000u, Entries(MCI_PLAY).back().from);
    EXPECT_EQ(static_cast<uint32_t>(MCI_MODE_PLAY), Drive('D').mode);
}

TEST_F(FrameTest, PositionsPastTheLastTrackKeepTheWalkGoing)
{
    // D: paused with a position past its last track; E: after it in the list.
    Device('D')->Play();
    ASSERT_TRUE(m_ctl.SetFaults('D', simcd::kFaultPositionPastEnd));
    Device('D')->Pause();
    ASSERT_GT(Device('D')->GetPosition(), 182000u);
    Select({ 'D', 'E' });

    Device('E')->Seek(100000);
    Command(ID_CD_NEXT_TRACK);
    EXPECT_EQ(2000u, Device('D')->GetPosition());
    EXPECT_EQ(152000u, Device('E')->GetPosition());

    Device('D')->Pause();
    Command(ID_CD_PREV_TRACK);
    EXPECT_EQ(152000u, Device('D')->GetPosition());
    EXPECT_EQ(62000u, Device('E')->GetPosition());

    Device('D')->Pause();
    Device('E')->Seek(170000);
    Command(ID_CD_STOP);
    EXPECT_EQ(152000u, Device('D')->GetPosition());
    EXPECT_EQ(152000u, Device('E')->GetPosition());
    EXPECT_TRUE(::IsWindow(m_pFrame->m_hWnd));
}

// ---------------------------------------------------------------------------
// End of play and repeat

TEST_F(FrameTest, EndOfPlayRewindsAnUnselectedDriveAndLeavesItStopped)
{
    Select({ 'E' });
    Device('D')->Seek(181700);
    ASSERT_TRUE(Device('D')->Play());
    m_ctl.ClearJournal();

    EXPECT_TRUE(PumpUntil([&] { return Device('D')->GetPosition() == 2000; }));
    PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(Transport().empty());
    EXPECT_EQ(static_cast<uint32_t>(MCI_MODE_STOP), Drive('D').mode);
    EXPECT_EQ(2000u, Device('D')->GetPosition());
}

TEST_F(FrameTest, EndOfPlayWithRepeatPlaysTheDiscAgainFromItsStart)
{
    Command(ID_CD_REPEAT);
    Select({ 'E' });
    Device('D')->Seek(181700);
    ASSERT_TRUE(Device('D')->Play());
    m_ctl.ClearJournal();

    ASSERT_TRUE(PumpUntil([&] { return !Entries(MCI_PLAY).empty(); }));
    EXPECT_EQ((StepList{ Play('D') }), Transport());
    const SimJournalEntry play = Entries(MCI_PLAY).front();
    EXPECT_EQ(2000u, play.from);
    EXPECT_EQ(static_cast<DWORD>(MCI_FROM | MCI_NOTIFY), play.flags);
    EXPECT_EQ(static_cast<uint32_t>(MCI_MODE_PLAY), Drive('D').mode);
    EXPECT_EQ(static_cast<uint32_t>(MCI_MODE_STOP), Drive('E').mode);
}

TEST_F(FrameTest, OnlyASuccessfulEndOfTheRowsOwnDeviceActs)
{
    Command(ID_CD_REPEAT);
    Device('D')->Seek(100000);
    Device('E')->Seek(100000);
    const MCIDEVICEID wD = Device('D')->GetDeviceID();
    MCIDEVICEID wUnknown = 1;
    for (char drive : { 'D', 'E', 'F', 'G' })
        wUnknown = std::max(wUnknown, Device(drive)->GetDeviceID() + 1);
    m_ctl.ClearJournal();

    const struct { WPARAM wCode; LPARAM lId; } ignored[] = {
        { MCI_NOTIFY_SUPERSEDED, static_cast<LPARAM>(wD) },
        { MCI_NOTIFY_ABORTED, static_cast<LPARAM>(wD) },
        { MCI_NOTIFY_FAILURE, static_cast<LPARAM>(wD) },
        { MCI_NOTIFY_SUCCESSFUL, static_cast<LPARAM>(wUnknown) },
        { MCI_NOTIFY_SUCCESSFUL, static_cast<LPARAM>(wD | 0x10000) },  // all 32 bits count
    };
    for (const auto& n : ignored)
    {
        EXPECT_EQ(0, m_pFrame->SendMessage(MM_MCINOTIFY, n.wCode, n.lId));
        EXPECT_TRUE(Steps().empty()) << "code " << n.wCode << ", id " << n.lId;
    }
    EXPECT_EQ(100000u, Device('D')->GetPosition());

    EXPECT_EQ(0, m_pFrame->SendMessage(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, static_cast<LPARAM>(wD)));
    EXPECT_EQ((StepList{ Play('D') }), Transport());
    EXPECT_EQ(2000u, Entries(MCI_PLAY).front().from);
    EXPECT_EQ(100000u, Device('E')->GetPosition());
}

TEST_F(FrameTest, RepeatChecksTheMenuItemAndTheButtonAndTouchesNoDrive)
{
    HMENU hPlayMenu = ::GetSubMenu(::GetMenu(m_pFrame->m_hWnd), 2);
    ASSERT_NE(nullptr, hPlayMenu);
    auto menuChecked = [&] {
        m_pFrame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPlayMenu), 2);
        return (::GetMenuState(hPlayMenu, ID_CD_REPEAT, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    auto buttonChecked = [&] {
        Pump();
        return m_pFrame->m_wndRepeatButton.SendMessage(BM_GETCHECK) == BST_CHECKED;
    };
    Select({ 'D', 'E', 'F', 'G' });

    EXPECT_FALSE(menuChecked());
    EXPECT_FALSE(buttonChecked());
    Command(ID_CD_REPEAT);
    EXPECT_TRUE(m_pFrame->m_bRepeat);
    EXPECT_TRUE(menuChecked());
    EXPECT_TRUE(buttonChecked());
    Command(ID_CD_REPEAT);
    EXPECT_FALSE(m_pFrame->m_bRepeat);
    EXPECT_FALSE(menuChecked());
    EXPECT_FALSE(buttonChecked());

    // A click on the button is the same command; the button does not check
    // itself, the command state does.
    m_pFrame->m_wndRepeatButton.SendMessage(BM_CLICK);
    EXPECT_TRUE(m_pFrame->m_bRepeat);
    EXPECT_TRUE(buttonChecked());
    m_pFrame->m_wndRepeatButton.SendMessage(BM_CLICK);
    EXPECT_FALSE(m_pFrame->m_bRepeat);
    EXPECT_FALSE(buttonChecked());

    EXPECT_TRUE(Transport().empty());
}
