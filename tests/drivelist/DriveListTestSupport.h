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

// The list with its refresh in the test's hands: Tick() calls the timer
// procedure directly (the fixture kills the list's own timer).
class CTestDriveList : public CCDDriveListWnd
{
public:
    using CCDDriveListWnd::CompareItems;
    using CCDDriveListWnd::GetDriveStrings;

    void Tick() { StatusTimerProc(m_hWnd, WM_TIMER, IDT_STATUS, ::GetTickCount()); }
    static void ResetTick() { s_nTick = 0; }
    static int GetTick() { return s_nTick; }

    // Makes every row insertion fail.
    bool m_bFailInsert = false;
    // The small image list that the list view still held when it tore itself
    // down (and would have destroyed with it).
    HIMAGELIST m_hImagesAtNcDestroy = nullptr;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == LVM_INSERTITEMA && m_bFailInsert)
            return -1;
        return CCDDriveListWnd::WindowProc(message, wParam, lParam);
    }
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NCDESTROY)
            m_hImagesAtNcDestroy = GetImageList(LVSIL_SMALL);
        return CCDDriveListWnd::DefWindowProc(message, wParam, lParam);
    }
};

// Three tracks of 60, 90 and 30 s from the disc start at 2 s: the disc's
// length is 180000 ms.
extern const std::vector<uint32_t> kTracks;

class DriveListTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    void DriveWithDisc(char letter, const std::vector<uint32_t>& tracks = kTracks, uint32_t startMs = 2000);
    void EmptyDrive(char letter);

    // The parent window and the list filling it; the tick count starts afresh.
    void CreateList(int nHeight = 400);
    void DestroyList();

    void Tick(int nTicks = 1);
    // Ticks up to and including the next whole-second tick.
    void TickToWholeSecond();
    // Sorts as a click on the header does; nothing is pumped, so no repaint
    // lays the sliders out behind the sort's back.
    void ClickHeader(int nColumn);
    // The list view's own notification of a column click, sent to the parent.
    void NotifyColumnClick(int nColumn);

    // The rows' drive names in list order, e.g. "D: E: F:".
    std::string Rows() const;
    int RowOf(char letter) const;
    CDriveItem* Item(char letter) const;
    std::string Text(char letter, int nColumn) const;
    // Where the row's slider is, and where the list should put it: over
    // column 3, a pixel in from every side.
    CRect SliderRect(char letter) const;
    CRect Column3Rect(int nItem) const;
    // Ticks set on the slider besides the two at its ends.
    std::vector<int> SliderTicks(char letter) const;

    // Journal entries since the last ClearJournal of one drive (0: all drives).
    std::vector<simcd::SimJournalEntry> Journal(char letter = 0) const;
    size_t Count(UINT command, char letter = 0) const;

    simcd::SimController m_sim;
    std::unique_ptr<CWnd> m_pHost;
    std::unique_ptr<CTestDriveList> m_pList;
};
