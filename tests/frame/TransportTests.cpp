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
    const struct { UINT nID; const char* log; DWORD dwD, dwE; } steps[] = {
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
    const struct { UINT nID; DWORD dwFrom, dwTo; } cases[] = {
        { ID_CD_NEXT_TRACK, 2000, 62000 },  { ID_CD_NEXT_TRACK, 152000, 2000 }, { ID_CD_NEXT_TRACK, 190000, 2000 },
        { ID_CD_PREV_TRACK, 2000, 152000 }, { ID_CD_PREV_TRACK, 100000, 2000 }, { ID_CD_PREV_TRACK, 170000, 62000 },
        { ID_CD_PREV_TRACK, 190000, 152000 }, { ID_CD_STOP, 100000, 62000 },    { ID_CD_STOP, 190000, 152000 },
    };
    for (const auto& c : cases)
    {
        Device('D')->Seek(c.dwFrom);
        Device('E')->Seek(c.dwFrom);
        EXPECT_EQ("", Run(c.nID, "DE"));
        for (char drive : { 'D', 'E' })
            EXPECT_EQ(c.dwTo, Device(drive)->GetPosition()) << "command " << c.nID << " from " << c.dwFrom << " on " << drive;
    }
}

// A play that ends reaches the frame, which acts on that row alone.
TEST_F(FrameTest, OnlyASuccessfulEndOfARowsOwnDeviceRewindsItAndWithRepeatPlaysItAgain)
{
    ASSERT_TRUE(m_ctl.SetTimeFactor(1.0));
    Select("E");
    Device('D')->Seek(181700);
    ASSERT_TRUE(Device('D')->Play());
    m_ctl.ClearJournal();
    Pump(1000);
    EXPECT_EQ("", Log());
    EXPECT_EQ(2000u, Device('D')->GetPosition());

    Command(ID_CD_REPEAT);
    Device('D')->Seek(100000);
    const LPARAM lD = static_cast<LPARAM>(Device('D')->GetDeviceID());
    m_ctl.ClearJournal();
    const struct { WPARAM wCode; LPARAM lId; } ignored[] = {
        { MCI_NOTIFY_SUPERSEDED, lD }, { MCI_NOTIFY_ABORTED, lD }, { MCI_NOTIFY_FAILURE, lD },
        { MCI_NOTIFY_SUCCESSFUL, 0 }, { MCI_NOTIFY_SUCCESSFUL, lD | 0x10000 },  // all 32 bits count
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
        EXPECT_EQ(bOn ? BST_CHECKED : BST_UNCHECKED, m_pFrame->m_wndRepeatButton.SendMessage(BM_GETCHECK)) << "step " << i;
    }
}
