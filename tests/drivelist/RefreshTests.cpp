// The 100 ms refresh: state and time texts, thumbs, the work kept for the
// whole second (reconciliation and reloads), a dragged thumb left alone, and
// what an ordinary tick may cost, read from the simulated driver's journal.
#include "DriveListTestSupport.h"

#include <mmddk.h>

using simcd::SimJournalEntry;

namespace
{
// Long enough for positions past an hour: 60 and 10 minutes.
const std::vector<uint32_t> kLongTracks = { 3600000, 600000 };

class DriveListRefresh : public DriveListTest
{
};
}

// ---------------------------------------------------------------------------
// Texts and thumbs

TEST_F(DriveListRefresh, StateTextFollowsTheDriveAndTheTimeGoesOnWithout)
{
    for (char letter = 'D'; letter <= 'H'; letter++)
        DriveWithDisc(letter);
    EmptyDrive('I');
    CreateList();
    ASSERT_TRUE(Item('E')->m_pDevice->Play());  // D stopped, E playing
    ASSERT_TRUE(Item('F')->m_pDevice->Play());
    ASSERT_TRUE(Item('F')->m_pDevice->Pause());
    ASSERT_TRUE(m_sim.OpenDoor('G'));
    ASSERT_TRUE(m_sim.SetFaults('H', simcd::kFaultNotReady));
    Item('G')->m_pDevice->Seek(125000);
    Item('H')->m_pDevice->Seek(65000);

    Tick(2);
    const char* const states[] = { "停止", "再生中", "", "", "", "空" };
    for (char letter = 'D'; letter <= 'I'; letter++)
        EXPECT_EQ(states[letter - 'D'], Text(letter, 1)) << letter;
    EXPECT_EQ(" 0:02:05", Text('G', 2));
    EXPECT_EQ(" 0:01:05", Text('H', 2));
    EXPECT_EQ(65000, Item('H')->m_wndSlider.GetPos());
    EXPECT_EQ("", Text('I', 2));
}

TEST_F(DriveListRefresh, TimeTextIsThePositionTheThumbHadBeforeTheTick)
{
    EXPECT_EQ(" 1:02:03", std::string(CCDDriveListWnd::FormatPosition(3723000)));
    EXPECT_EQ(" 0:00:00", std::string(CCDDriveListWnd::FormatPosition(0)));
    EXPECT_EQ(" 0:00:59", std::string(CCDDriveListWnd::FormatPosition(59999)));
    EXPECT_EQ(" 0:00:00", std::string(CCDDriveListWnd::FormatPosition(60 * 3600000))) << "hours wrap at 60";

    DriveWithDisc('D', kLongTracks);
    CreateList();
    Item('D')->m_pDevice->Seek(3723000);
    Tick();
    EXPECT_EQ(" 0:00:02", Text('D', 2)) << "the thumb stood at the disc's start";
    EXPECT_EQ(3723000, Item('D')->m_wndSlider.GetPos());
    Tick();
    EXPECT_EQ(" 1:02:03", Text('D', 2));
}

TEST_F(DriveListRefresh, DraggedThumbKeepsItsTimeTextUntilReleased)
{
    DriveWithDisc('D', kLongTracks);
    CreateList();
    Item('D')->m_pDevice->Seek(100000);
    Tick(2);

    // A drag: the slider holds the capture, the time follows the thumb.
    CSliderCtrl& slider = Item('D')->m_wndSlider;
    ::SetCapture(slider.m_hWnd);
    slider.SetPos(500000);
    m_pList->SendMessage(WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 500000), reinterpret_cast<LPARAM>(slider.m_hWnd));
    ASSERT_EQ(" 0:08:20", Text('D', 2));

    m_pList->SetItemText(RowOf('D'), 1, "x");
    Tick(3);
    EXPECT_EQ("停止", Text('D', 1)) << "the state is written while dragging";
    EXPECT_EQ(" 0:08:20", Text('D', 2));
    EXPECT_EQ(500000, slider.GetPos());

    // Losing the capture ends the drag, which moves the drive to the thumb;
    // from then on the thumb follows the drive again.
    ::ReleaseCapture();
    EXPECT_EQ(500000u, Item('D')->m_pDevice->GetPosition());
    Item('D')->m_pDevice->Seek(200000);
    Tick(2);
    EXPECT_EQ(200000, slider.GetPos());
    EXPECT_EQ(" 0:03:20", Text('D', 2));
}

// ---------------------------------------------------------------------------
// Whole-second work: reconciliation and reloads

TEST_F(DriveListRefresh, DrivesAreReconciledOnTheTenthTickAndEveryTenthAfter)
{
    EmptyDrive('D');
    CreateList();
    EmptyDrive('E');
    for (int i = 1; i <= 9; i++)
    {
        Tick();
        ASSERT_EQ("D:", Rows()) << "tick " << i;
    }
    Tick();
    EXPECT_EQ("D: E:", Rows());

    m_sim.RemoveDrive('D');
    Tick(9);
    EXPECT_EQ("D: E:", Rows());
    Tick();
    EXPECT_EQ("E:", Rows());
}

TEST_F(DriveListRefresh, DiscsComingAndGoingAreReloadedOnTheNextWholeSecond)
{
    EmptyDrive('D');
    DriveWithDisc('E');
    CreateList();
    ASSERT_TRUE(Item('E')->m_pDevice->Play());
    Tick(3);
    ASSERT_TRUE(m_sim.InsertDisc('D', kTracks));
    ASSERT_TRUE(m_sim.RemoveDisc('E'));
    m_sim.ClearJournal();

    Tick(6);
    EXPECT_EQ("空", Text('D', 1));
    EXPECT_EQ("", Text('E', 1)) << "the drive reports its door open";
    EXPECT_EQ(3u, SliderTicks('E').size());
    EXPECT_EQ(0u, Count(MCI_OPEN_DRIVER));

    Tick();  // the tenth
    for (char letter : { 'D', 'E' })
    {
        EXPECT_EQ(1u, Count(MCI_CLOSE_DRIVER, letter)) << letter;
        EXPECT_EQ(1u, Count(MCI_OPEN_DRIVER, letter)) << letter;
    }
    EXPECT_EQ((std::vector<int>{ 2000, 62000, 152000 }), SliderTicks('D'));
    Tick();
    EXPECT_EQ("停止", Text('D', 1));
    EXPECT_EQ(" 0:00:02", Text('D', 2));
    EXPECT_EQ("空", Text('E', 1));
    EXPECT_EQ("", Text('E', 2));
    EXPECT_EQ(0, Item('E')->m_wndSlider.GetRangeMax());
    EXPECT_EQ(0, Item('E')->m_wndSlider.GetPos());
    EXPECT_TRUE(SliderTicks('E').empty());
}

TEST_F(DriveListRefresh, DiscWithoutTracksIsTriedAgainEverySecond)
{
    DriveWithDisc('D');
    ASSERT_TRUE(m_sim.SetFaults('D', simcd::kFaultZeroTracks));
    CreateList();
    m_sim.ClearJournal();
    TickToWholeSecond();
    TickToWholeSecond();
    EXPECT_EQ(2u, Count(MCI_OPEN_DRIVER, 'D'));
    Tick();
    EXPECT_EQ("空", Text('D', 1));

    ASSERT_TRUE(m_sim.ClearFaults('D'));
    TickToWholeSecond();
    Tick();
    EXPECT_EQ("停止", Text('D', 1));
}

TEST_F(DriveListRefresh, RowWithoutADeviceShowsEmptyAndGetsOneOnTheWholeSecond)
{
    DriveWithDisc('D');
    CreateList();
    // What a failed construction of the device leaves behind.
    CDriveItem* pItem = Item('D');
    delete pItem->m_pDevice;
    pItem->m_pDevice = nullptr;

    Tick(9);
    EXPECT_EQ("空", Text('D', 1));
    EXPECT_EQ("", Text('D', 2));
    Tick();
    ASSERT_NE(nullptr, pItem->m_pDevice);
    Tick();
    EXPECT_EQ("停止", Text('D', 1));
}

// ---------------------------------------------------------------------------
// Cost of a tick

TEST_F(DriveListRefresh, OrdinaryTickCostsOnlyModeAndPositionQueries)
{
    for (char letter : { 'D', 'E', 'F', 'H' })
        DriveWithDisc(letter);
    EmptyDrive('G');
    CreateList();
    ASSERT_TRUE(Item('D')->m_pDevice->Play());  // D playing, E stopped
    ASSERT_TRUE(Item('F')->m_pDevice->Play());
    ASSERT_TRUE(Item('F')->m_pDevice->Pause());
    // Column 0 is written only from a shell query.
    for (int i = 0; i < 5; i++)
        m_pList->SetItemText(i, 0, "x");
    // Drives that come and go are not looked for before the second.
    EmptyDrive('I');
    ASSERT_TRUE(m_sim.RemoveDrive('H'));

    for (int nTick = 1; nTick <= 9; nTick++)
    {
        m_sim.ClearJournal();
        Tick();
        for (char letter : { 'D', 'E', 'F' })
        {
            const std::vector<SimJournalEntry> journal = Journal(letter);
            EXPECT_LE(journal.size(), 3u) << letter << " on tick " << nTick;
            for (const SimJournalEntry& e : journal)
            {
                EXPECT_TRUE(e.command == MCI_STATUS && (e.item == MCI_STATUS_MODE || e.item == MCI_STATUS_POSITION))
                    << letter << " on tick " << nTick << ": command " << e.command << ", item " << e.item;
            }
        }
        EXPECT_EQ(3u, Journal('D').size()) << "playing: mode, and mode and position";
        EXPECT_TRUE(Journal('G').empty()) << "tick " << nTick;
        ASSERT_EQ("D: E: F: G: H:", Rows()) << "tick " << nTick;
        for (int i = 0; i < 5; i++)
            EXPECT_EQ("x", std::string(m_pList->GetItemText(i, 0))) << "row " << i << " on tick " << nTick;
    }

    // The whole second reconciles, but reloads no drive that plays, stops or
    // pauses with its disc in.
    m_sim.ClearJournal();
    Tick();
    EXPECT_EQ("D: E: F: G: I:", Rows());
    EXPECT_EQ(" (D:)", Text('D', 0));
    for (char letter : { 'D', 'E', 'F' })
        EXPECT_EQ(0u, Count(MCI_OPEN_DRIVER, letter)) << letter;
}
