// Failures of the system that the other areas' tests leave out, on the built
// program: a drive that could not be opened recovers, and a drive that
// vanishes while it plays leaves neither a row nor a running device, even
// when its end-of-play notifications arrive after its device is closed.
#include "RemoteProgram.h"

#include "simcd/SimController.h"
#include "res/resource.h"
#include "tests/app/DeviceJournal.h"

#include <mmsystem.h>
#include <mmddk.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{
class BadInput : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sim.RemoveAllDrives()) << m_sim.GetLastError();
        ASSERT_TRUE(m_sim.SetTimeFactor(1.0));
        for (char letter : { 'D', 'E' })
        {
            ASSERT_TRUE(m_sim.DefineDrive(letter));
            ASSERT_TRUE(m_sim.InsertDisc(letter, { 60000, 60000 }));
        }
    }
    void TearDown() override { m_sim.RemoveAllDrives(); }

    void StartProgram(int nRows)
    {
        ASSERT_TRUE(m_program.Start(soak::WindowsPath(ONDALUX_EXE)));
        ASSERT_TRUE(m_program.WaitForWindow(nRows));
    }

    // The state column of the drive's row; "-" when it has none.
    std::string State(char letter)
    {
        for (const soak::Row& row : m_program.Rows())
        {
            if (row.letter == letter)
                return row.state;
        }
        return "-";
    }

    bool Within(DWORD dwMs, const std::function<bool()>& condition)
    {
        for (const DWORD dwStart = ::GetTickCount(); ::GetTickCount() - dwStart < dwMs; ::Sleep(50))
        {
            if (condition())
                return true;
        }
        return condition();
    }

    std::vector<simcd::SimJournalEntry> Commands(UINT nCommand)
    {
        std::vector<simcd::SimJournalEntry> entries;
        for (const simcd::SimJournalEntry& e : m_sim.GetJournal())
        {
            if (e.processId == m_program.Id() && e.command == nCommand)
                entries.push_back(e);
        }
        return entries;
    }

    void CloseCleanly()
    {
        EXPECT_EQ(0u, m_program.Close());
        int nOpened = 0;
        EXPECT_EQ("", DevicesLeftRunning(m_sim, m_program.Id(), nOpened));
    }

    simcd::SimController m_sim;
    soak::RemoteProgram m_program;
};

TEST_F(BadInput, DriveThatCouldNotBeOpenedIsOpenedAgainOnceItWorks)
{
    ASSERT_TRUE(m_sim.SetFaults('D', simcd::kFaultOpenFails));
    StartProgram(2);
    ASSERT_TRUE(Within(1500, [&] { return State('D') == "空" && State('E') == "停止"; }));

    ASSERT_TRUE(m_sim.ClearFaults('D'));
    EXPECT_TRUE(Within(1500, [&] { return State('D') == "停止"; })) << State('D');
    CloseCleanly();
}

TEST_F(BadInput, DriveVanishingWhilePlayingLosesItsRowAndItsLateNotificationsChangeNothing)
{
    StartProgram(2);
    m_program.Select({ 0, 1 });
    m_program.Command(ID_CD_REPEAT);
    m_program.Command(ID_CD_PLAY);
    ASSERT_TRUE(Within(1000, [&] { return State('D') == "再生中" && State('E') == "再生中"; }));
    uint32_t deviceD = 0;
    for (const simcd::SimJournalEntry& e : Commands(MCI_PLAY))
        deviceD = e.drive == 'D' ? e.deviceId : deviceD;
    ASSERT_NE(0u, deviceD);

    ASSERT_TRUE(m_sim.RemoveDrive('D'));
    ASSERT_TRUE(Within(1500, [&] { return m_program.RowCount() == 1; }));
    EXPECT_EQ("再生中", State('E'));
    // Its device was stopped, then closed.
    uint32_t last = 0;
    for (const simcd::SimJournalEntry& e : m_sim.GetJournal())
    {
        if (e.processId == m_program.Id() && e.deviceId == deviceD && e.command == MCI_CLOSE_DRIVER)
        {
            EXPECT_EQ(static_cast<uint32_t>(MCI_STOP), last);
        }
        last = e.processId == m_program.Id() && e.deviceId == deviceD ? e.command : last;
    }
    EXPECT_EQ(static_cast<uint32_t>(MCI_CLOSE_DRIVER), last);

    // The end of D's play, reported after its device was closed.
    m_sim.ClearJournal();
    for (WPARAM wCode : { MCI_NOTIFY_SUCCESSFUL, MCI_NOTIFY_ABORTED })
        ::SendMessageA(m_program.Main(), MM_MCINOTIFY, wCode, static_cast<LPARAM>(deviceD));
    EXPECT_LT(m_program.RoundTripMs(), 1000u);
    EXPECT_TRUE(Commands(MCI_PLAY).empty());
    EXPECT_EQ("再生中", State('E'));
    CloseCleanly();
}
}
