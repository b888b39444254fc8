// The frame's transport commands on the selected rows, the end of a play and
// the repeat flag.
#include "FrameTestSupport.h"

TEST_F(FrameTest, PlayStartsOneDriveAloneAndSeveralInTwoPasses)
{
    Device('E')->Seek(70000);
    EXPECT_EQ("D:play@2000", Run(ID_CD_PLAY, "D"));
    EXPECT_FALSE(theApp.IsWaitCursorShown());
    EXPECT_EQ("", Run(ID_CD_PLAY, "D"));  // already playing: neither paused nor restarted

    // D stopped above E playing: E gets no play in the first pass.
    Device('D')->Stop();
    Device('E')->Play();
    EXPECT_EQ("D:play@2000 D:pause E:pause D:play@2000 E:play@70000", Run(ID_CD_PLAY, "DE"));

    Device('D')->Stop();
    Device('E')->Stop();
    EXPECT_EQ("D:play@2000 D:pause E:play@62000 E:pause D:play@2000 E:play@62000", Run(ID_CD_PLAY, "DE"));
}

TEST_F(FrameTest, CommandsReachSelectedDiscsOnlyPlaySkipsANotReadyDriveEjectOpensAnEmptyOne)
{
    for (UINT nID : { ID_CD_PLAY, ID_CD_PAUSE, ID_CD_STOP, ID_CD_NEXT_TRACK, ID_CD_PREV_TRACK, ID_CD_EJECT })
        EXPECT_EQ("", Run(nID, "")) << "command " << nID << " without a selection";

    // E: not ready, F: playing but not selected, G: without a disc.
    Device('E')->Seek(100000);
    ASSERT_TRUE(m_ctl.SetFaults('E', simcd::kFaultNotReady));
    Device('F')->Play();
    const struct
    {
        UINT nID;
        const char* log;
        DWORD dwD, dwE;
    } steps[] = {
        { ID_CD_PLAY, "D:play@2000", 2000, 100000 },
        { ID_CD_STOP, "D:stop", 2000, 62000 },
        { ID_CD_PLAY, "D:play@2000", 2000, 62000 },
        { ID_CD_NEXT_TRACK, "D:pause D:play@62000", 62000, 152000 },
        { ID_CD_PREV_TRACK, "D:pause D:play@2000", 2000, 62000 },
        { ID_CD_PAUSE, "D:pause E:pause", 2000, 2000 },
        { ID_CD_EJECT, "D:eject E:eject G:eject", 2000, 2000 },
    };
    for (const auto& s : steps)
    {
        EXPECT_EQ(s.log, Run(s.nID, "DEG")) << "command " << s.nID;
        EXPECT_EQ(s.nID == ID_CD_EJECT, Log(true).find("G:") != std::string::npos) << "command " << s.nID;
        EXPECT_EQ(s.dwD, Device('D')->GetPosition()) << "command " << s.nID;
        EXPECT_EQ(s.dwE, Device('E')->GetPosition()) << "command " << s.nID;
    }
}

// Stopped drives only remember where to start. A position past the last
// track (as some drives report) counts as one track further and never
// stops the walk over the rows.
TEST_F(FrameTest, TrackStepsWrapAroundAndStopRewindsToTheTrackStart)
{
    const struct
    {
        UINT nID;
        DWORD dwFrom, dwTo;
    } cases[] = {
        { ID_CD_NEXT_TRACK, 2000, 62000 },    { ID_CD_NEXT_TRACK, 152000, 2000 }, { ID_CD_NEXT_TRACK, 190000, 2000 },
        { ID_CD_PREV_TRACK, 2000, 152000 },   { ID_CD_PREV_TRACK, 100000, 2000 }, { ID_CD_PREV_TRACK, 170000, 62000 },
        { ID_CD_PREV_TRACK, 190000, 152000 }, { ID_CD_STOP, 100000, 62000 },      { ID_CD_STOP, 190000, 152000 },
    };
    for (const auto& c : cases)
    {
        Device('D')->Seek(c.dwFrom);
        Device('E')->Seek(c.dwFrom);
        EXPECT_EQ("", Run(c.nID, "DE"));
        for (char drive : { 'D', 'E' })
            EXPECT_EQ(c.dwTo, Device(drive)->GetPosition())
                << "command " << c.nID << " from " << c.dwFrom << " on " << drive;
    }
}

// Whatever the driver does at the end of a disc (notifies; stops without a
// word; says it plays on, standing still), the frame rewinds the drive once
// and, with repeat, plays it again from the disc's start, cycle after cycle.
// D's row is not selected.
TEST_F(FrameTest, EveryDriverBehavioursEndRewindsOnceAndRepeatPlaysCycleAfterCycle)
{
    ASSERT_TRUE(m_ctl.SetTimeFactor(1000.0));  // the disc lasts 180 ms, track 3 30 ms
    auto stopped = [&] {
        simcd::SimDriveInfo info;
        return m_ctl.GetDrive('D', info) && info.mode == MCI_MODE_STOP && List().GetItemText(0, 1) == CString("停止");
    };
    for (simcd::SimProfile profile : { simcd::kProfileClassic, simcd::kProfileSilentStop, simcd::kProfileStuckPlaying })
    {
        ASSERT_TRUE(m_ctl.SetProfile('D', profile));
        const bool bStuck = profile == simcd::kProfileStuckPlaying;
        Device('D')->Seek(152000);
        ASSERT_TRUE(Device('D')->Play());
        m_ctl.ClearJournal();
        EXPECT_TRUE(PumpUntil([&] { return Device('D')->GetPosition() == 2000 && stopped(); }, 3000)) << profile;
        Pump(200);
        EXPECT_EQ(bStuck ? "D:stop" : "", Log()) << profile;

        Command(ID_CD_REPEAT);
        Device('D')->Seek(152000);
        ASSERT_TRUE(Device('D')->Play());
        m_ctl.ClearJournal();
        EXPECT_TRUE(PumpUntil([&] { return Times("D:play@2000") >= 3; }, 6000)) << profile << ": " << Log();
        const std::string log = Log();
        std::string expected;
        for (size_t at = 0; (at = log.find("D:play@2000", at)) != std::string::npos; at++)
            expected += std::string(expected.empty() ? "" : " ") + (bStuck ? "D:stop " : "") + "D:play@2000";
        EXPECT_EQ(expected, log) << profile;
        Command(ID_CD_REPEAT);
        EXPECT_TRUE(PumpUntil(stopped, 3000)) << profile;
    }
}

// With the refresh in the test's hands. The end of a play is handled once,
// by whichever of the notification and the refresh comes first; a pause, a
// stop or a slider seek at the end of the disc ends the play for good.
TEST_F(FrameTest, AnEndIsHandledOnceAndNeverAfterThePlayWasEndedByHand)
{
    ::KillTimer(List().m_hWnd, CCDDriveListWnd::IDT_STATUS);
    auto playToTheEnd = [&](simcd::SimProfile profile) {
        ASSERT_TRUE(m_ctl.SetProfile('D', profile) && m_ctl.SetTimeFactor(1000.0));
        Device('D')->Seek(181900);
        ASSERT_TRUE(Device('D')->Play());
        ::Sleep(100);
        ASSERT_TRUE(m_ctl.SetTimeFactor(1e-6));
        m_ctl.ClearJournal();
    };
    MSG msg;
    playToTheEnd(simcd::kProfileClassic);
    Pump();  // the notification: rewound, repeat is off
    Command(ID_CD_REPEAT);
    Tick();
    EXPECT_EQ("", Log()) << "the refresh took a notified end again";

    playToTheEnd(simcd::kProfileClassic);
    ASSERT_TRUE(::PeekMessageA(&msg, m_pFrame->m_hWnd, MM_MCINOTIFY, MM_MCINOTIFY, PM_NOREMOVE));
    Tick();  // before the notification
    Pump();
    EXPECT_EQ("D:play@2000", Log()) << "the late notification restarted the drive";

    const struct
    {
        simcd::SimProfile profile;
        UINT nID;
        const char* log;
    } cases[] = {
        { simcd::kProfileSilentStop, ID_CD_PAUSE, "D:pause" },
        { simcd::kProfileSilentStop, ID_CD_STOP, "" },
        { simcd::kProfileSilentStop, 0, "" },
        { simcd::kProfileStuckPlaying, ID_CD_PAUSE, "D:pause" },
        { simcd::kProfileStuckPlaying, ID_CD_STOP, "D:stop" },
        { simcd::kProfileStuckPlaying, 0, "D:pause D:play@100000" },
    };
    for (const auto& c : cases)
    {
        playToTheEnd(c.profile);
        Select("D");
        if (c.nID)
            Command(c.nID);
        else
        {
            Slider('D').SetPos(100000);
            Scroll(Slider('D').m_hWnd, TB_ENDTRACK);
        }
        Pump();
        Tick();
        if (c.profile == simcd::kProfileStuckPlaying)
            ::Sleep(1100);  // a stuck drive's end shows after a second
        Tick();
        EXPECT_EQ(c.log, Log()) << c.profile << ", command " << c.nID;
    }
}

// Only a successful end of a row's own device counts.
TEST_F(FrameTest, OnlyASuccessfulEndOfARowsOwnDeviceRewindsItAndWithRepeatPlaysItAgain)
{
    Command(ID_CD_REPEAT);
    Device('D')->Seek(100000);
    const LPARAM lD = static_cast<LPARAM>(Device('D')->GetDeviceID());
    m_ctl.ClearJournal();
    const struct
    {
        WPARAM wCode;
        LPARAM lId;
    } ignored[] = {
        { MCI_NOTIFY_SUPERSEDED, lD },
        { MCI_NOTIFY_ABORTED, lD },
        { MCI_NOTIFY_FAILURE, lD },
        { MCI_NOTIFY_SUCCESSFUL, 0 },
        { MCI_NOTIFY_SUCCESSFUL, lD | 0x10000 },  // all 32 bits count
    };
    for (const auto& n : ignored)
    {
        EXPECT_EQ(0, m_pFrame->SendMessage(MM_MCINOTIFY, n.wCode, n.lId));
        EXPECT_EQ("", Log(true)) << "code " << n.wCode << ", id " << n.lId;
    }
    EXPECT_EQ(100000u, Device('D')->GetPosition());
    EXPECT_EQ(0, m_pFrame->SendMessage(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, lD));
    EXPECT_EQ("D:play@2000", Log());
}

// The button does not check itself: the command's state does.
TEST_F(FrameTest, RepeatChecksTheMenuItemAndTheButton)
{
    HMENU hPlayMenu = ::GetSubMenu(::GetMenu(m_pFrame->m_hWnd), 2);
    for (int i = 1; i <= 4; i++)
    {
        if (i <= 2)
            Command(ID_CD_REPEAT);
        else
            m_pFrame->m_wndRepeatButton.SendMessage(BM_CLICK);
        m_pFrame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPlayMenu), 2);
        Pump();
        const bool bOn = i % 2 == 1;
        EXPECT_EQ(bOn, m_pFrame->m_bRepeat != FALSE) << "step " << i;
        EXPECT_EQ(bOn, (::GetMenuState(hPlayMenu, ID_CD_REPEAT, MF_BYCOMMAND) & MF_CHECKED) != 0) << "step " << i;
        EXPECT_EQ(bOn ? BST_CHECKED : BST_UNCHECKED, m_pFrame->m_wndRepeatButton.SendMessage(BM_GETCHECK))
            << "step " << i;
    }
}
