// Row order by a header click: each column in its descending order (the drive
// column ascending), rows without a device, rows whose slider has no range,
// and the sliders following their rows.
#include "DriveListTestSupport.h"

#include <algorithm>

namespace
{
class DriveListOrder : public DriveListTest
{
protected:
    // What a failed construction of the row's device leaves behind.
    void DropDevice(char letter)
    {
        delete Item(letter)->m_pDevice;
        Item(letter)->m_pDevice = nullptr;
    }

    void ExpectSlidersOverTheirRows()
    {
        for (int i = 0; i < m_pList->GetItemCount(); i++)
            EXPECT_EQ(Column3Rect(i), SliderRect(m_pList->GetDriveItem(i)->m_strDrive[0])) << "row " << i;
    }

    // The rows from the nth on, in letter order: rows that compare equal
    // may come in any order.
    std::string SortedFrom(size_t n)
    {
        std::vector<std::string> rows;
        for (int i = static_cast<int>(n); i < m_pList->GetItemCount(); i++)
            rows.push_back(static_cast<LPCSTR>(m_pList->GetDriveItem(i)->m_strDrive));
        std::sort(rows.begin(), rows.end());
        std::string joined;
        for (const std::string& row : rows)
            joined += (joined.empty() ? "" : " ") + row;
        return joined;
    }
};
}

TEST_F(DriveListOrder, DriveColumnGivesAscendingLettersClickAfterClick)
{
    for (char letter : { 'H', 'F', 'E', 'D' })
        EmptyDrive(letter);
    CreateList();
    EXPECT_EQ("D: E: F: H:", Rows());
    for (int nClick = 0; nClick < 2; nClick++)
    {
        ClickHeader(0);
        EXPECT_EQ("D: E: F: H:", Rows()) << "click " << nClick;
    }
}

TEST_F(DriveListOrder, StateColumnPutsOpenPausedPlayingStoppedThenTheRest)
{
    for (char letter = 'D'; letter <= 'I'; letter++)
        DriveWithDisc(letter);
    CreateList();
    DropDevice('D');
    ASSERT_TRUE(m_sim.SetFaults('E', simcd::kFaultNotReady));
    ASSERT_TRUE(Item('G')->m_pDevice->Play());  // F stopped, G playing
    ASSERT_TRUE(Item('H')->m_pDevice->Play());
    ASSERT_TRUE(Item('H')->m_pDevice->Pause());
    ASSERT_TRUE(m_sim.OpenDoor('I'));

    // Straight from the list view's notification: no header message lays
    // the sliders out besides the sort's own.
    NotifyColumnClick(1);
    EXPECT_EQ("I: H: G: F:", Rows().substr(0, 11));
    EXPECT_EQ("D: E:", SortedFrom(4));
    ExpectSlidersOverTheirRows();

    const std::string strOrder = Rows();
    ClickHeader(1);
    EXPECT_EQ(strOrder, Rows()) << "a second click sorts the same way again";
}

TEST_F(DriveListOrder, TimeColumnPutsTheDriveFurthestIntoItsDiscFirst)
{
    for (char letter = 'D'; letter <= 'H'; letter++)
        DriveWithDisc(letter);
    EmptyDrive('I');
    CreateList();
    Item('D')->m_pDevice->Seek(30000);
    Item('E')->m_pDevice->Seek(150000);
    Item('F')->m_pDevice->Seek(0x80000000u);  // beyond any signed comparison
    DropDevice('G');                         // counts as 0
    Item('H')->m_pDevice->Seek(90000);

    ClickHeader(2);
    EXPECT_EQ("F: E: H: D:", Rows().substr(0, 11));
    EXPECT_EQ("G: I:", SortedFrom(4));
    ExpectSlidersOverTheirRows();
}

TEST_F(DriveListOrder, PositionColumnOrdersByTheThumbsShareOfTheRangeMaximum)
{
    // Discs of 100, 400 (from 300 s on), 200 and 1000 s; the thumbs stand at
    // 0.5, 0.775, 0.9 and 0.6 of each slider's maximum, the range minimum
    // not taken off. F is empty: without a range it equals every row.
    DriveWithDisc('D', { 100000 });
    DriveWithDisc('E', { 400000 }, 300000);
    EmptyDrive('F');
    DriveWithDisc('G', { 200000 });
    DriveWithDisc('H', { 1000000 });
    CreateList();
    Item('D')->m_pDevice->Seek(50000);
    Item('E')->m_pDevice->Seek(310000);
    Item('G')->m_pDevice->Seek(180000);
    Item('H')->m_pDevice->Seek(600000);
    Tick();

    m_pList->m_nSortColumn = 3;
    const LPARAM lList = reinterpret_cast<LPARAM>(m_pList.get());
    auto compare = [&](char a, char b) {
        return CTestDriveList::CompareItems(reinterpret_cast<LPARAM>(Item(a)), reinterpret_cast<LPARAM>(Item(b)), lList);
    };
    EXPECT_EQ(-1, compare('E', 'D'));
    EXPECT_EQ(1, compare('D', 'E'));
    for (char letter : { 'D', 'E', 'G', 'H' })
        EXPECT_TRUE(compare('F', letter) == 0 && compare(letter, 'F') == 0) << letter;

    ClickHeader(3);
    EXPECT_EQ("D: E: F: G: H:", SortedFrom(0)) << "every row once";
    ExpectSlidersOverTheirRows();

    // Without the empty row the order is whole.
    m_sim.RemoveDrive('F');
    m_pList->RefreshDrives();
    ClickHeader(3);
    EXPECT_EQ("G: E: H: D:", Rows());
}
