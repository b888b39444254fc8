// The 100 ms refresh: state and time texts, thumbs, the work kept for the
// whole second (reloads and reconciliation), a dragged thumb left alone, and
// what an ordinary tick may cost, read from the simulated driver's journal.
#include "DriveListTestSupport.h"

#include <mmddk.h>

using simcd::SimJournalEntry;

namespace
{
// Three tracks of 60, 90 and 30 s from the disc start at 2 s.
const std::vector<uint32_t> kTracks = { 60000, 90000, 30000 };
// Long enough for positions past an hour: 60 and 10 minutes.
const std::vector<uint32_t> kLongTracks = { 3600000, 600000 };

class DriveListRefresh : public DriveListTest
{
};
}

// ---------------------------------------------------------------------------
// Texts of a row

TEST_F(DriveListRefresh, StateTextFollowsTheDrive)
{
    DriveWithDisc('D', kTracks);  // stopped
    DriveWithDisc('E', kTracks);  // playing
    DriveWithDisc('F', kTracks);  // paused
    DriveWithDisc('G', kTracks);  // door opened with the disc in it
    DriveWithDisc('H', kTracks);  // not ready
    EmptyDrive('I');
    CreateList();
    ASSERT_TRUE(Item('E')->m_pDevice->Play());
    ASSERT_TRUE(Item('F')->m_pDevice->Play());
    ASSERT_TRUE(Item('F')->m_pDevice->Pause());
    ASSERT_TRUE(m_sim.OpenDoor('G'));
    ASSERT_TRUE(m_sim.SetFaults('H', simcd::kFaultNotReady));
    Item('H')->m_pDevice->Seek(65000);
    Item('G')->m_pDevice->Seek(125000);

    Tick(2);
    EXPECT_EQ("停止", Text('D', 1));
    EXPECT_EQ("再生中", Text('E', 1));
    EXPECT_EQ("", Text('F', 1));
    EXPECT_EQ("", Text('G', 1));
    EXPECT_EQ("", Text('H', 1));
    EXPECT_EQ("空", Text('I', 1));

    // Without a state text the time and thumb still follow the device.
    EXPECT_EQ(" 0:01:05", Text('H', 2));
    EXPECT_EQ(65000, Item('H')->m_wndSlider.GetPos());
    EXPECT_EQ(" 0:02:05", Text('G', 2));
    EXPECT_EQ("", Text('I', 2));
    EXPECT_EQ(0, Item('I')->m_wndSlider.GetPos());
}

TEST_F(DriveListRefresh, PositionTextIsHoursMinutesSecondsWithALeadingBlank)
{
    EXPECT_EQ(" 1:02:03", std::string(CCDDriveListWnd::FormatPosition(3723000)));
    EXPECT_EQ(" 0:00:00", std::string(CCDDriveListWnd::FormatPosition(0)));
    EXPECT_EQ(" 0:00:59", std::string(CCDDriveListWnd::FormatPosition(59999)));
    EXPECT_EQ("10:00:00", std::string(CCDDriveListWnd::FormatPosition(36000000)));
    EXPECT_EQ(" 0:00:00", std::string(CCDDriveListWnd::FormatPosition(60 * 3600000))) << "hours wrap at 60";
}

TEST_F(DriveListRefresh, TimeTextShowsWhereTheThumbStoodBeforeTheTick)
{
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
    ASSERT_EQ(" 0:01:40", Text('D', 2));

    // The user drags the thumb: the slider holds the capture and the row's
    // time follows the thumb, not the drive.
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

    // The trackbar ends the drag when it loses the capture, which moves the
    // drive to the thumb; from then on the thumb follows the drive again.
    ::ReleaseCapture();
    EXPECT_EQ(500000u, Item('D')->m_pDevice->GetPosition());
    Item('D')->m_pDevice->Seek(200000);
    Tick();
    EXPECT_EQ(200000, slider.GetPos());
    Tick();
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

TEST_F(DriveListRefresh, DiscPutIntoAnEmptyDriveIsLoadedOnTheNextWholeSecond)
{
    EmptyDrive('D');
    CreateList();
    Tick(3);
    ASSERT_TRUE(m_sim.InsertDisc('D', kTracks));
    m_sim.ClearJournal();

    Tick(6);
    EXPECT_EQ("空", Text('D', 1));
    EXPECT_TRUE(Journal('D').empty()) << "a row without tracks costs no MCI command";

    Tick();  // the tenth
    EXPECT_EQ(1u, Count(MCI_OPEN_DRIVER, 'D'));
    EXPECT_EQ((std::vector<int>{ 2000, 62000, 152000 }), SliderTicks('D'));
    EXPECT_EQ(180000, Item('D')->m_wndSlider.GetRangeMax());
    Tick();
    EXPECT_EQ("停止", Text('D', 1));
    EXPECT_EQ(" 0:00:02", Text('D', 2));
    EXPECT_EQ(2000, Item('D')->m_wndSlider.GetPos());
}

TEST_F(DriveListRefresh, DiscTakenOutIsDroppedOnTheNextWholeSecond)
{
    DriveWithDisc('D', kTracks);
    CreateList();
    ASSERT_TRUE(Item('D')->m_pDevice->Play());
    Tick();
    ASSERT_EQ("再生中", Text('D', 1));

    ASSERT_TRUE(m_sim.RemoveDisc('D'));
    m_sim.ClearJournal();
    Tick(8);
    EXPECT_EQ("", Text('D', 1));
    EXPECT_EQ(0u, Count(MCI_OPEN_DRIVER, 'D'));
    EXPECT_EQ(3, Item('D')->m_wndSlider.GetNumTics() - 2);

    Tick();  // the tenth
    EXPECT_EQ(1u, Count(MCI_CLOSE_DRIVER, 'D'));
    EXPECT_EQ(1u, Count(MCI_OPEN_DRIVER, 'D'));
    Tick();
    EXPECT_EQ("空", Text('D', 1));
    EXPECT_EQ("", Text('D', 2));
    EXPECT_EQ(0, Item('D')->m_wndSlider.GetPos());
    EXPECT_EQ(0, Item('D')->m_wndSlider.GetRangeMax());
    EXPECT_TRUE(SliderTicks('D').empty());
}

TEST_F(DriveListRefresh, DiscWithoutTracksIsTriedAgainEverySecond)
{
    DriveWithDisc('D', kTracks);
    ASSERT_TRUE(m_sim.SetFaults('D', simcd::kFaultZeroTracks));
    CreateList();
    m_sim.ClearJournal();

    TickToWholeSecond();
    EXPECT_EQ(1u, Count(MCI_OPEN_DRIVER, 'D'));
    TickToWholeSecond();
    EXPECT_EQ(2u, Count(MCI_OPEN_DRIVER, 'D'));
    Tick();
    EXPECT_EQ("空", Text('D', 1));

    // The fault clears: the next reload finds the tracks.
    ASSERT_TRUE(m_sim.ClearFaults('D'));
    TickToWholeSecond();
    Tick();
    EXPECT_EQ("停止", Text('D', 1));
}

TEST_F(DriveListRefresh, StoppedOrPlayingDriveIsNeverReloaded)
{
    DriveWithDisc('D', kTracks);
    DriveWithDisc('E', kTracks);
    CreateList();
    ASSERT_TRUE(Item('E')->m_pDevice->Play());
    m_sim.ClearJournal();
    TickToWholeSecond();
    TickToWholeSecond();
    EXPECT_EQ(0u, Count(MCI_OPEN_DRIVER));
    EXPECT_EQ(0u, Count(MCI_CLOSE_DRIVER));
}

TEST_F(DriveListRefresh, RowWithoutADeviceShowsEmptyAndGetsOneOnTheWholeSecond)
{
    DriveWithDisc('D', kTracks);
    CreateList();
    // What a failed construction of the device leaves behind.
    CDriveItem* pItem = Item('D');
    delete pItem->m_pDevice;
    pItem->m_pDevice = nullptr;

    Tick(9);
    EXPECT_EQ("空", Text('D', 1));
    EXPECT_EQ("", Text('D', 2));
    EXPECT_EQ(nullptr, pItem->m_pDevice);

    m_sim.ClearJournal();
    Tick();
    ASSERT_NE(nullptr, pItem->m_pDevice);
    EXPECT_EQ(1u, Count(MCI_OPEN_DRIVER, 'D'));
    Tick();
    EXPECT_EQ("停止", Text('D', 1));
}

// ---------------------------------------------------------------------------
// Cost of an ordinary tick

TEST_F(DriveListRefresh, OrdinaryTickCostsOnlyModeAndPositionQueries)
{
    DriveWithDisc('D', kTracks);  // playing
    DriveWithDisc('E', kTracks);  // stopped
    DriveWithDisc('F', kTracks);  // paused
    EmptyDrive('G');
    CreateList();
    ASSERT_TRUE(Item('D')->m_pDevice->Play());
    ASSERT_TRUE(Item('F')->m_pDevice->Play());
    ASSERT_TRUE(Item('F')->m_pDevice->Pause());
    for (int i = 0; i < 4; i++)
        m_pList->SetItemText(i, 0, "x");

    // A drive that appears or vanishes is not looked for before the second.
    EmptyDrive('H');
    ASSERT_TRUE(m_sim.RemoveDrive('E'));

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
                EXPECT_EQ(static_cast<UINT>(MCI_STATUS), e.command) << letter << " on tick " << nTick;
                EXPECT_TRUE(e.item == MCI_STATUS_MODE || e.item == MCI_STATUS_POSITION)
                    << letter << " on tick " << nTick << ": item " << e.item;
            }
        }
        EXPECT_TRUE(Journal('G').empty()) << "tick " << nTick;
        EXPECT_TRUE(Journal('H').empty()) << "tick " << nTick;
        ASSERT_EQ("D: E: F: G:", Rows()) << "tick " << nTick;
        // Column 0 is written only from a shell query.
        for (int i = 0; i < 4; i++)
            EXPECT_EQ("x", std::string(m_pList->GetItemText(i, 0))) << "row " << i << " on tick " << nTick;
    }
    EXPECT_GE(Count(MCI_STATUS, 'D'), 2u) << "a playing drive asks for mode and position";

    Tick();  // the tenth
    EXPECT_EQ("D: F: G: H:", Rows());
    EXPECT_EQ(" (D:)", Text('D', 0));
}
