// Shared by the drive-list tests: the application object, a list whose ticks
// the test gives itself, and a fixture that hosts the list in a plain parent
// window over the simulated drives.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "drivelist/CCDDriveListWnd.h"
#include "simcd/SimController.h"

class CTestApp : public CWinApp
{
};

extern CTestApp theApp;

// Dispatches what is queued, then runs idle processing once.
void Pump();

// The drive list with its refresh in the test's hands: the timer is killed
// after creation and Tick() calls the timer procedure directly.
class CTestDriveList : public CCDDriveListWnd
{
public:
    using CCDDriveListWnd::CompareItems;
    using CCDDriveListWnd::GetDriveStrings;

    void Tick() { StatusTimerProc(m_hWnd, WM_TIMER, IDT_STATUS, ::GetTickCount()); }
    static void ResetTick() { s_nTick = 0; }
    static int GetTick() { return s_nTick; }

    // Makes every row insertion fail, as the list view would when out of memory.
    bool m_bFailInsert = false;
    // The small image list that the list view still held when it tore
    // itself down (and would have destroyed).
    HIMAGELIST m_hImagesAtNcDestroy = nullptr;

protected:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NCDESTROY)
            m_hImagesAtNcDestroy = GetImageList(LVSIL_SMALL);
        return CCDDriveListWnd::DefWindowProc(message, wParam, lParam);
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == LVM_INSERTITEMA && m_bFailInsert)
            return -1;
        return CCDDriveListWnd::WindowProc(message, wParam, lParam);
    }
};

class DriveListTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A drive with the given tracks from the default disc start of 2 s.
    void DriveWithDisc(char letter, const std::vector<uint32_t>& tracks);
    void EmptyDrive(char letter);

    // Creates the parent window and the list filling it, then stops the list's
    // own timer and starts the tick count afresh.
    void CreateList(int nHeight = 400);
    // Destroys the parent window and with it the list.
    void DestroyList();

    void Tick(int nTicks = 1);
    // Ticks up to and including the next whole-second tick.
    void TickToWholeSecond();
    // Sorts by a column as a click on its header does; nothing is pumped, so
    // no repaint lays the sliders out behind the sort's back.
    void ClickHeader(int nColumn);
    // The list view's own notification of a column click, sent to the parent.
    void NotifyColumnClick(int nColumn);

    // The rows' drive names in list order, e.g. "D: E: F:".
    std::string Rows() const;
    int RowOf(char letter) const;
    CDriveItem* Item(char letter) const;
    std::string Text(char letter, int nColumn) const;
    bool Focused(int nItem) const;
    bool Selected(int nItem) const;
    // The row's slider as placed by the list.
    CRect SliderRect(char letter) const;
    // Where the list wants the slider of row nItem: its column 3, less a pixel.
    CRect Column3Rect(int nItem) const;
    bool SliderVisible(char letter) const;
    // Ticks set on the slider besides the two at its ends.
    std::vector<int> SliderTicks(char letter) const;

    // Journal entries since the last ClearJournal for one drive, or for all (0).
    std::vector<simcd::SimJournalEntry> Journal(char letter = 0) const;
    size_t Count(UINT command, char letter = 0) const;

    simcd::SimController m_sim;
    std::unique_ptr<CWnd> m_pHost;
    std::unique_ptr<CTestDriveList> m_pList;
};
