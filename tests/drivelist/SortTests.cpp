// Row order by a header click: each column with its descending order, rows
// without a device, rows whose slider has no range, and the sliders following
// their rows.
#include "DriveListTestSupport.h"

#include <algorithm>

namespace
{
const std::vector<uint32_t> kTracks = { 60000, 90000, 30000 };

class DriveListOrder : public DriveListTest
{
protected:
    // What a failed construction of the row's device leaves behind.
    void DropDevice(char letter)
    {
        CDriveItem* pItem = Item(letter);
        delete pItem->m_pDevice;
        pItem->m_pDevice = nullptr;
    }

    void ExpectSlidersOverTheirRows()
    {
        for (int i = 0; i < m_pList->GetItemCount(); i++)
        {
            const char letter = m_pList->GetDriveItem(i)->m_strDrive[0];
            EXPECT_EQ(Column3Rect(i), SliderRect(letter)) << "row " << i << " " << letter;
        }
    }

    // The rows after the first n, in letter order: rows that compare equal
    // may come in any order.
    std::string TailSorted(size_t n)
    {
        std::string rows = Rows();
        std::vector<std::string> tail;
        for (size_t i = n * 3; i < rows.size(); i += 3)
            tail.push_back(rows.substr(i, 2));
        std::sort(tail.begin(), tail.end());
        std::string joined;
        for (const std::string& row : tail)
            joined += (joined.empty() ? "" : " ") + row;
        return joined;
    }
};
}

TEST_F(DriveListOrder, DriveColumnGivesAscendingLettersAndAClickAgainTheSame)
{
    for (char letter : { 'H', 'F', 'E', 'D' })
        EmptyDrive(letter);
    CreateList();
    EXPECT_EQ("D: E: F: H:", Rows());

    ClickHeader(0);
    EXPECT_EQ("D: E: F: H:", Rows());
    ClickHeader(0);
    EXPECT_EQ("D: E: F: H:", Rows());
}

TEST_F(DriveListOrder, StateColumnPutsOpenBeforePausedBeforePlayingBeforeStoppedBeforeTheRest)
{
    for (char letter = 'D'; letter <= 'I'; letter++)
        DriveWithDisc(letter, kTracks);
    CreateList();
    DropDevice('D');                                         // no device
    ASSERT_TRUE(m_sim.SetFaults('E', simcd::kFaultNotReady));  // not ready
    ASSERT_TRUE(Item('G')->m_pDevice->Play());               // F stopped, G playing
    ASSERT_TRUE(Item('H')->m_pDevice->Play());
    ASSERT_TRUE(Item('H')->m_pDevice->Pause());              // paused
    ASSERT_TRUE(m_sim.OpenDoor('I'));                        // door open

    // Straight from the list view's notification: no header message lays
    // the sliders out besides the sort's own.
    NotifyColumnClick(1);
    EXPECT_EQ("I: H: G: F:", Rows().substr(0, 11));
    EXPECT_EQ("D: E:", TailSorted(4));
    EXPECT_EQ(1, m_pList->m_nSortColumn);
    ExpectSlidersOverTheirRows();

    const std::string strOrder = Rows();
    ClickHeader(1);
    EXPECT_EQ(strOrder, Rows()) << "a second click sorts the same way again";
}

TEST_F(DriveListOrder, TimeColumnPutsTheDriveFurthestIntoItsDiscFirst)
{
    for (char letter = 'D'; letter <= 'H'; letter++)
        DriveWithDisc(letter, kTracks);
    EmptyDrive('I');
    CreateList();
    Item('D')->m_pDevice->Seek(30000);
    Item('E')->m_pDevice->Seek(150000);
    Item('F')->m_pDevice->Seek(0x80000000u);  // beyond any signed comparison
    DropDevice('G');                         // counts as 0
    Item('H')->m_pDevice->Seek(90000);

    ClickHeader(2);
    EXPECT_EQ("F: E: H: D:", Rows().substr(0, 11));
    EXPECT_EQ("G: I:", TailSorted(4));
    ExpectSlidersOverTheirRows();
}

TEST_F(DriveListOrder, PositionColumnOrdersByTheThumbsShareOfTheRangeMaximum)
{
    // Disc lengths 100, 400, 200 and 1000 s; E's disc starts at 300 s. The
    // thumbs stand at 0.5, 0.775, 0.9 and 0.6 of each slider's maximum (the
    // range minimum is not taken off).
    DriveWithDisc('D', { 100000 });
    ASSERT_TRUE(m_sim.DefineDrive('E'));
    ASSERT_TRUE(m_sim.InsertDisc('E', { 400000 }, 300000));
    DriveWithDisc('F', { 200000 });
    DriveWithDisc('G', { 1000000 });
    CreateList();
    Item('D')->m_pDevice->Seek(50000);
    Item('E')->m_pDevice->Seek(310000);
    Item('F')->m_pDevice->Seek(180000);
    Item('G')->m_pDevice->Seek(600000);
    Tick();
    ASSERT_EQ(300000, Item('E')->m_wndSlider.GetRangeMin());

    ClickHeader(3);
    EXPECT_EQ("F: E: G: D:", Rows());
    ExpectSlidersOverTheirRows();
}

TEST_F(DriveListOrder, RowWithoutRangeComparesEqualToEveryRowAndTheSortKeepsEveryRow)
{
    DriveWithDisc('D', { 100000 });
    DriveWithDisc('E', { 400000 });
    EmptyDrive('F');
    DriveWithDisc('G', { 200000 });
    CreateList();
    Item('D')->m_pDevice->Seek(90000);
    Item('E')->m_pDevice->Seek(100000);
    Item('G')->m_pDevice->Seek(20000);
    Tick();

    m_pList->m_nSortColumn = 3;
    const LPARAM lList = reinterpret_cast<LPARAM>(m_pList.get());
    const LPARAM lEmpty = reinterpret_cast<LPARAM>(Item('F'));
    for (char letter : { 'D', 'E', 'G' })
    {
        const LPARAM lOther = reinterpret_cast<LPARAM>(Item(letter));
        EXPECT_EQ(0, CTestDriveList::CompareItems(lEmpty, lOther, lList)) << letter;
        EXPECT_EQ(0, CTestDriveList::CompareItems(lOther, lEmpty, lList)) << letter;
    }
    EXPECT_EQ(-1, CTestDriveList::CompareItems(reinterpret_cast<LPARAM>(Item('D')),
                                               reinterpret_cast<LPARAM>(Item('E')), lList));

    ClickHeader(3);
    EXPECT_EQ("D: E: F: G:", TailSorted(0));
    ExpectSlidersOverTheirRows();
}
