// The main frame on simulated drives, hosted without the program's WinMain:
// the fixture defines the drives, creates the frame as the program does and
// reads back what reached the drives from the driver's journal.
#pragma once

#include "frame/CMainFrame.h"
#include "simcd/SimController.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <vector>

class CFrameTestApp : public CWinApp
{
};

extern CFrameTestApp theApp;

// Dispatches what is queued, then runs idle processing once.
void Pump();

// Pumps until the condition holds or the time is up.
template <class Condition>
bool PumpUntil(Condition condition, DWORD dwTimeoutMs = 3000)
{
    const DWORD dwStart = ::GetTickCount();
    while (!condition())
    {
        if (::GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        Pump();
        ::Sleep(5);
    }
    return true;
}

// One command a drive received: its drive letter, the MCI command and, for
// status queries, the item; for plays the position it starts from.
struct Step
{
    char drive;
    UINT command;
    DWORD item;
};

bool operator==(const Step& a, const Step& b);
std::ostream& operator<<(std::ostream& os, const Step& s);

// Three tracks of 60, 90 and 30 s from 2 s: starts at 2000, 62000 and
// 152000 ms; the disc ends at 182000 ms.
extern const std::vector<uint32_t> kTracks;

class FrameTest : public testing::Test
{
protected:
    // D:, E: and F: hold kTracks, G: is empty; the frame is created on them.
    void SetUp() override;
    void TearDown() override;

    CCDDriveListWnd& List() { return m_pFrame->m_wndDriveList; }
    int Row(char drive);
    CCDAudioDevice* Device(char drive);
    CSliderCtrl& Slider(char drive);

    // Exactly these drives' rows selected; focus is left as it is.
    void Select(std::initializer_list<char> drives);
    // The row's LVIS_SELECTED and LVIS_FOCUSED bits.
    UINT State(char drive);

    void Command(UINT nID);

    // Everything the drives received since the last ClearJournal.
    std::vector<Step> Steps();
    // Only play, pause, stop, seek and door opening.
    std::vector<Step> Transport();
    std::vector<simcd::SimJournalEntry> Entries(UINT command);
    simcd::SimDriveInfo Drive(char drive);

    simcd::SimController m_ctl;
    CMainFrame* m_pFrame = nullptr;
};

// Shorthands for the expected steps.
Step Mode(char drive);
Step Position(char drive);
Step Play(char drive);
Step Pause(char drive);
Step Stop(char drive);
Step OpenDoor(char drive);
