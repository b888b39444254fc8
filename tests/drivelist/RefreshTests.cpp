// The 100 ms refresh: state and time texts, a dragged thumb, the order by
// state and time, and the work kept for the whole second.
#include "DriveListTestSupport.h"

TEST_F(DriveListTest, StateAndTimeTextsFollowTheDriveAndTheThumbAndSortDescending)
{
    EXPECT_EQ(" 0:00:00", std::string(CCDDriveListWnd::FormatPosition(0)));
    Drives("D", { 3600000, 600000 });
    Drives("EFGH");
    Drives("I", {});
    CreateList();
    // D stopped, E playing, F paused, G open, H not ready, I empty.
    ASSERT_TRUE(Device('E')->Play() && Device('F')->Play() && Device('F')->Pause());
    ASSERT_TRUE(m_sim.OpenDoor('G') && m_sim.SetFaults('H', simcd::kFaultNotReady));
    Device('D')->Seek(3723000);
    Tick();
    EXPECT_EQ(" 0:00:02", Text('D', 2)) << "the thumb stood at the disc's start";
    Tick();
    EXPECT_EQ(" 1:02:03", Text('D', 2));
    const char* const states[] = { "停止", "再生中", "", "", "", "空" };
    for (char letter = 'D'; letter <= 'I'; letter++)
        EXPECT_EQ(states[letter - 'D'], Text(letter, 1)) << letter;
    EXPECT_EQ("", Text('I', 2));

    delete Device('I');  // what a failed construction of the device leaves
    Item('I')->m_pDevice = nullptr;
    ClickColumn(1);
    EXPECT_EQ("G: F: E: D:", Rows().substr(0, 11)) << "open, paused, playing, stopped, then the rest";
    ClickColumn(2);
    EXPECT_EQ(5, RowOf('I')) << "a row without a device is at 0 ms";

    // A drag: the slider holds the capture, the time follows the thumb.
    CSliderCtrl& slider = Item('D')->m_wndSlider;
    ::SetCapture(slider.m_hWnd);
    slider.SetPos(500000);
    m_list.SendMessage(WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 0), reinterpret_cast<LPARAM>(slider.m_hWnd));
    Tick(3);
    EXPECT_EQ(" 0:08:20", Text('D', 2));
    EXPECT_EQ(500000, slider.GetPos());
    ::ReleaseCapture();  // ends the drag: the drive goes to the thumb
    EXPECT_EQ(500000u, Device('D')->GetPosition());
}

TEST_F(DriveListTest, OrdinaryTickOnlyAsksModeAndPositionAndTheTenthReconcilesAndReopens)
{
    Drives("DEFHJKL");
    Drives("G", {});
    ASSERT_TRUE(m_sim.SetFaults('J', simcd::kFaultOpenFails) && m_sim.SetFaults('K', simcd::kFaultZeroTracks));
    CreateList();
    delete Device('L');
    Item('L')->m_pDevice = nullptr;
    ASSERT_TRUE(Device('D')->Play() && Device('F')->Play() && Device('F')->Pause());  // E stopped
    m_list.SetItemText(0, 0, "x");  // written only from a shell query
    // Drives and discs that come and go wait for the whole second.
    Drives("I", {});
    ASSERT_TRUE(m_sim.RemoveDrive('H') && m_sim.RemoveDisc('E') && m_sim.InsertDisc('G', kTracks));
    for (int nTick = 1; nTick <= 9; nTick++)
    {
        m_sim.ClearJournal();
        Tick();
        for (const simcd::SimJournalEntry& e : m_sim.GetJournal())
            EXPECT_TRUE(e.command == MCI_STATUS && (e.item == MCI_STATUS_MODE || e.item == MCI_STATUS_POSITION)
                        && std::string("GJKL").find(e.drive) == std::string::npos)
                << e.drive << ": command " << e.command << ", item " << e.item << " on tick " << nTick;
        EXPECT_EQ(3u, Count(MCI_STATUS, 'D')) << "playing: mode, then mode and position";
        EXPECT_LE(std::max(Count(MCI_STATUS, 'E'), Count(MCI_STATUS, 'F')), 3u);
        EXPECT_EQ("D: E: F: G: H: J: K: L:", Rows());
        EXPECT_EQ("x", Text('D', 0));
    }
    for (char letter : { 'G', 'J', 'K', 'L' })
        EXPECT_EQ("空", Text(letter, 1)) << letter;
    m_sim.ClearJournal();
    Tick();
    EXPECT_EQ("D: E: F: G: I: J: K: L:", Rows());
    EXPECT_EQ(" (D:)", Text('D', 0));
    for (char letter : { 'E', 'G', 'I', 'J', 'K', 'L' })
        EXPECT_EQ(1u, Count(MCI_OPEN_DRIVER, letter)) << letter;
    EXPECT_EQ(6u, Count(MCI_OPEN_DRIVER)) << "no reload of a drive that plays, stops or pauses";
    ASSERT_TRUE(m_sim.ClearFaults('J') && m_sim.ClearFaults('K'));
    Tick(11);
    EXPECT_EQ("空", Text('E', 1));
    for (char letter : { 'G', 'J', 'K', 'L' })
        EXPECT_EQ("停止", Text(letter, 1)) << letter;
}
