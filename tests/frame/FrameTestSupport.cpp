#include "FrameTestSupport.h"

#include <mmddk.h>

#include "res/resource.h"

using simcd::SimJournalEntry;

CFrameTestApp theApp;

const std::vector<uint32_t> kTracks = { 60000, 90000, 30000 };

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
        theApp.PumpMessage();
    theApp.OnIdle(0);
}

bool operator==(const Step& a, const Step& b)
{
    return a.drive == b.drive && a.command == b.command && a.item == b.item;
}

std::ostream& operator<<(std::ostream& os, const Step& s)
{
    const char* name = s.command == MCI_STATUS ? "status" : s.command == MCI_PLAY ? "play"
                     : s.command == MCI_PAUSE ? "pause" : s.command == MCI_STOP ? "stop"
                     : s.command == MCI_SET ? "set" : "command";
    os << s.drive << ": " << name;
    return s.command == MCI_STATUS ? os << " " << s.item : os;
}

Step Mode(char drive) { return { drive, MCI_STATUS, MCI_STATUS_MODE }; }
Step Position(char drive) { return { drive, MCI_STATUS, MCI_STATUS_POSITION }; }
Step Play(char drive) { return { drive, MCI_PLAY, 0 }; }
Step Pause(char drive) { return { drive, MCI_PAUSE, 0 }; }
Step Stop(char drive) { return { drive, MCI_STOP, 0 }; }
Step OpenDoor(char drive) { return { drive, MCI_SET, 0 }; }

void FrameTest::SetUp()
{
    ASSERT_TRUE(m_ctl.IsAttached()) << m_ctl.GetLastError();
    ASSERT_TRUE(m_ctl.RemoveAllDrives()) << m_ctl.GetLastError();
    m_ctl.SetTimeFactor(1.0);
    for (char drive : { 'D', 'E', 'F', 'G' })
        ASSERT_TRUE(m_ctl.DefineDrive(drive)) << m_ctl.GetLastError();
    for (char drive : { 'D', 'E', 'F' })
        ASSERT_TRUE(m_ctl.InsertDisc(drive, kTracks)) << m_ctl.GetLastError();

    m_pFrame = new CMainFrame;
    theApp.m_pMainWnd = m_pFrame;
    ASSERT_TRUE(m_pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, nullptr));
    m_pFrame->MoveWindow(60, 40, 760, 360);
    m_pFrame->ShowWindow(SW_SHOW);
    m_pFrame->UpdateWindow();
    Pump();
    ASSERT_EQ(4, List().GetItemCount());
    m_ctl.ClearJournal();
}

void FrameTest::TearDown()
{
    if (theApp.m_pMainWnd != nullptr)
        theApp.m_pMainWnd->DestroyWindow();
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
    }
    m_ctl.RemoveAllDrives();
}

int FrameTest::Row(char drive)
{
    const char name[] = { drive, ':', '\0' };
    for (int i = 0; i < List().GetItemCount(); i++)
    {
        if (List().GetDriveItem(i)->m_strDrive == CString(name))
            return i;
    }
    ADD_FAILURE() << "no row for " << drive;
    return 0;
}

CCDAudioDevice* FrameTest::Device(char drive)
{
    return List().GetDriveItem(Row(drive))->m_pDevice;
}

CSliderCtrl& FrameTest::Slider(char drive)
{
    return List().GetDriveItem(Row(drive))->m_wndSlider;
}

void FrameTest::Select(std::initializer_list<char> drives)
{
    for (int i = 0; i < List().GetItemCount(); i++)
        List().SetItemState(i, 0, LVIS_SELECTED);
    for (char drive : drives)
        List().SetItemState(Row(drive), LVIS_SELECTED, LVIS_SELECTED);
}

UINT FrameTest::State(char drive)
{
    return List().GetItemState(Row(drive), LVIS_SELECTED | LVIS_FOCUSED);
}

void FrameTest::Command(UINT nID)
{
    m_pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0);
}

std::vector<Step> FrameTest::Steps()
{
    std::vector<Step> steps;
    for (const SimJournalEntry& e : m_ctl.GetJournal())
        steps.push_back({ e.drive, e.command, e.command == MCI_STATUS ? e.item : 0 });
    return steps;
}

std::vector<Step> FrameTest::Transport()
{
    std::vector<Step> steps;
    for (const SimJournalEntry& e : m_ctl.GetJournal())
    {
        const bool bDoor = e.command == MCI_SET && (e.flags & MCI_SET_DOOR_OPEN);
        if (e.command == MCI_PLAY || e.command == MCI_PAUSE || e.command == MCI_STOP
            || e.command == MCI_SEEK || bDoor)
            steps.push_back({ e.drive, e.command, 0 });
    }
    return steps;
}

std::vector<SimJournalEntry> FrameTest::Entries(UINT command)
{
    std::vector<SimJournalEntry> entries;
    for (const SimJournalEntry& e : m_ctl.GetJournal())
    {
        if (e.command == command)
            entries.push_back(e);
    }
    return entries;
}

simcd::SimDriveInfo FrameTest::Drive(char drive)
{
    simcd::SimDriveInfo info;
    EXPECT_TRUE(m_ctl.GetDrive(drive, info)) << m_ctl.GetLastError();
    return info;
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, ::GetCommandLineA(), SW_SHOWNORMAL);
    ::InitCommonControls();
    return RUN_ALL_TESTS();
}
