// The built program on simulated drives, watched from outside its process.
// Bad input: a drive that could not be opened recovers; a drive that vanishes
// while it plays leaves neither a row nor a running device, even when its
// end-of-play notifications arrive after its device is closed.
// Soak: a storm of seeded random events on every free drive letter at a high
// time factor (drives, discs, doors and faults come and go, discs end with
// repeat on and off, commands, slider moves and sorts hit random selections)
// while the program must stay responsive and its rows follow the drives; at
// the end it must close cleanly with memory, GDI objects and windows back
// near their level after start-up.
//   soak_tests [--seconds=N] [--seed=S]      (gtest flags as usual)
#include "tools/probe/RemoteProgram.h"

#include "res/resource.h"
#include "simcd/SimController.h"

#include <mmsystem.h>
#include <mmddk.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <utility>

namespace
{
int g_nSeconds = 50;
unsigned g_nSeed = 0;

const char* const kPlaying = "再生中";
const char* const kStopped = "停止";
const char* const kEmpty = "空";

// The simulated world and the built program started on it.
class ProgramTest : public testing::Test
{
protected:
    void TearDown() override
    {
        m_sim.RemoveAllDrives();
        m_sim.SetTimeFactor(1.0);
    }

    void StartProgram(int nRows)
    {
        ASSERT_TRUE(m_program.Start(probe::WindowsPath(ONDALUX_EXE)));
        ASSERT_TRUE(m_program.WaitForWindow(nRows)) << "no window with " << nRows << " rows";
    }

    // The state column of the drive's row; "-" when it has none.
    std::string State(char letter)
    {
        const std::vector<probe::Row> rows = m_program.Rows();
        const auto it = std::find_if(rows.begin(), rows.end(), [&](const probe::Row& r) { return r.letter == letter; });
        return it == rows.end() ? "-" : it->state;
    }

    static bool Within(DWORD dwMs, const std::function<bool()>& condition)
    {
        for (const DWORD dwStart = ::GetTickCount(); !condition() && ::GetTickCount() - dwStart < dwMs;)
            ::Sleep(50);
        return condition();
    }

    // Closes the program as its close box does: it must end with 0, and every
    // device in the journal closed, stopped right before, and no drive
    // counting a device still open. The program is the only one that sends
    // the drives commands.
    void CloseCleanly()
    {
        EXPECT_EQ(0u, m_program.Close()) << "no clean exit";
        std::map<uint32_t, uint32_t> last;  // device -> its last command
        for (const simcd::SimJournalEntry& e : m_sim.GetJournal())
        {
            EXPECT_TRUE(e.command != MCI_CLOSE_DRIVER || last[e.deviceId] == MCI_STOP) << e.drive << " unstopped";
            last[e.deviceId] = e.command;
        }
        for (const auto& device : last)
            EXPECT_EQ(static_cast<uint32_t>(MCI_CLOSE_DRIVER), device.second) << "open: " << device.first;
        for (const simcd::SimDriveInfo& drive : m_sim.GetDrives())
            EXPECT_EQ(0u, drive.openDevices) << drive.letter << ": a device left open";
    }

    simcd::SimController m_sim;
    probe::RemoteProgram m_program;
};

class BadInput : public ProgramTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sim.RemoveAllDrives()) << m_sim.GetLastError();
        ASSERT_TRUE(m_sim.SetTimeFactor(1.0));
        for (char letter : { 'D', 'E' })
            ASSERT_TRUE(m_sim.DefineDrive(letter) && m_sim.InsertDisc(letter, { 60000, 60000 }));
    }
};

TEST_F(BadInput, DriveThatCouldNotBeOpenedIsOpenedAgainOnceItWorks)
{
    ASSERT_TRUE(m_sim.SetFaults('D', simcd::kFaultOpenFails));
    StartProgram(2);
    ASSERT_TRUE(Within(1500, [&] { return State('D') == kEmpty && State('E') == kStopped; }));
    ASSERT_TRUE(m_sim.ClearFaults('D'));
    EXPECT_TRUE(Within(1500, [&] { return State('D') == kStopped; })) << State('D');
    CloseCleanly();
}

TEST_F(BadInput, DriveVanishingWhilePlayingLosesItsRowAndItsLateNotificationsChangeNothing)
{
    StartProgram(2);
    m_program.Select({ 0, 1 });
    m_program.Command(ID_CD_REPEAT);
    m_program.Command(ID_CD_PLAY);
    ASSERT_TRUE(Within(1000, [&] { return State('D') == kPlaying && State('E') == kPlaying; }));
    ASSERT_TRUE(m_sim.RemoveDrive('D'));
    ASSERT_TRUE(Within(1500, [&] { return m_program.RowCount() == 1; }));
    // D's device was stopped, then closed.
    const std::vector<simcd::SimJournalEntry> journal = m_sim.GetJournal();
    std::vector<simcd::SimJournalEntry> d;
    std::copy_if(journal.begin(), journal.end(), std::back_inserter(d),
                 [](const simcd::SimJournalEntry& e) { return e.drive == 'D'; });
    ASSERT_GE(d.size(), 2u);
    EXPECT_EQ(static_cast<uint32_t>(MCI_STOP), d[d.size() - 2].command);
    EXPECT_EQ(static_cast<uint32_t>(MCI_CLOSE_DRIVER), d.back().command);

    // The end of D's play, reported after its device was closed.
    m_sim.ClearJournal();
    for (WPARAM wCode : { MCI_NOTIFY_SUCCESSFUL, MCI_NOTIFY_ABORTED })
        ::SendMessageA(m_program.Main(), MM_MCINOTIFY, wCode, static_cast<LPARAM>(d.back().deviceId));
    EXPECT_LT(m_program.RoundTripMs(), 1000u);
    for (const simcd::SimJournalEntry& e : m_sim.GetJournal())
        EXPECT_NE(static_cast<uint32_t>(MCI_PLAY), e.command) << e.drive;
    EXPECT_EQ(kPlaying, State('E'));
    CloseCleanly();
}

const char kLetters[] = "ABDEFGHIJKLMNOPQRSTUVWXY";  // every letter but C: and Z:
const int kDrives = sizeof kLetters - 1;
const DWORD kGraceMs = 1000;   // a row may lag its drive this long
const DWORD kSettleMs = 3000;  // after a storm: a reconciliation, a reload and a tick

// The state texts a row may show for its drive once the program has caught
// up: what the drive reports through the faults it has.
std::set<std::string> AllowedStates(const simcd::SimDriveInfo& drive)
{
    if (drive.faults & (simcd::kFaultStatusFails | simcd::kFaultNotReady))
        return { "", kEmpty };
    if (!drive.hasDisc || drive.doorOpen)
        return { kEmpty };
    std::set<std::string> allowed = { drive.mode == MCI_MODE_PLAY ? kPlaying
                                      : drive.mode == MCI_MODE_STOP ? kStopped : "" };
    // A reload under these faults finds no tracks; the row then stays empty
    // until the fault goes and the next whole second reloads it.
    if (drive.faults & (simcd::kFaultOpenFails | simcd::kFaultZeroTracks))
        allowed.insert(kEmpty);
    return allowed;
}

class Soak : public ProgramTest
{
protected:
    void SetUp() override
    {
        std::printf("soak: seed %u, %d s, %d drives\n", g_nSeed, g_nSeconds, kDrives);
        m_random.seed(g_nSeed);
        ASSERT_TRUE(m_sim.RemoveAllDrives()) << m_sim.GetLastError();
        ASSERT_TRUE(m_sim.SetTimeFactor(40.0));
        for (int i = 0; i < kDrives; i++)
            m_initialDiscs.push_back(i % 4 == 3 ? std::vector<uint32_t>() : RandomDisc());
        RestoreWorld(false);
    }

    // The world of the start: every drive, no faults, doors closed, the first
    // discs. With bSettle the rows must follow, showing every drive empty
    // before the discs go in.
    void RestoreWorld(bool bSettle)
    {
        simcd::SimDriveInfo info;
        for (int i = 0; i < kDrives; i++)
        {
            ASSERT_TRUE(m_sim.GetDrive(kLetters[i], info) || m_sim.DefineDrive(kLetters[i], i % 3 ? "" : "SOAK"));
            m_sim.ClearFaults(kLetters[i]);
            m_sim.RemoveDisc(kLetters[i]);
            m_sim.CloseDoor(kLetters[i]);
        }
        if (bSettle)
            Settle("every disc taken out");
        for (size_t i = 0; i < m_initialDiscs.size(); i++)
            ASSERT_TRUE(m_initialDiscs[i].empty() || m_sim.InsertDisc(kLetters[i], m_initialDiscs[i]));
        if (bSettle)
            Settle("the first discs put back");
    }

    int Random(int nLow, int nHigh) { return std::uniform_int_distribution<int>(nLow, nHigh)(m_random); }

    std::vector<uint32_t> RandomDisc()
    {
        std::vector<uint32_t> tracks(static_cast<size_t>(Random(1, 8)));
        for (uint32_t& length : tracks)
            length = static_cast<uint32_t>(Random(4, 40)) * 1000;
        return tracks;
    }

    char RandomLetter(bool bDefined)
    {
        std::string letters;
        simcd::SimDriveInfo info;
        std::copy_if(kLetters, kLetters + kDrives, std::back_inserter(letters),
                     [&](char c) { return m_sim.GetDrive(c, info) == bDefined; });
        return letters.empty() ? 0 : letters[static_cast<size_t>(Random(0, static_cast<int>(letters.size()) - 1))];
    }

    // One event of the world or of the user; returns its name.
    std::string RandomEvent()
    {
        const char letter = RandomLetter(true);
        simcd::SimDriveInfo info;
        // A short delay: the program asks every drive ten times a second.
        auto fault = [&] {
            m_sim.GetDrive(letter, info) && m_sim.SetFaults(letter, info.faults ^ (1u << Random(0, 6)), Random(1, 3));
        };
        const std::pair<const char*, std::function<void()>> events[] = {
            { "drive appears", [&] { m_sim.DefineDrive(RandomLetter(false), Random(0, 1) ? "NEW" : ""); } },
            { "drive vanishes", [&] { m_sim.RemoveDrive(letter); } },
            { "disc in", [&] { m_sim.InsertDisc(letter, RandomDisc()); } },
            { "disc out", [&] { m_sim.RemoveDisc(letter); } },
            { "door", [&] { Random(0, 1) ? m_sim.OpenDoor(letter) : m_sim.CloseDoor(letter); } },
            { "fault", fault }, { "fault", fault },
            { "faults cleared", [&] { m_sim.ClearFaults(letter); } },
            { "sort", [&] { m_program.Sort(Random(0, 3)); } },
            // As many sliders as rows; an index past the last moves none.
            { "slider",
              [&] { m_program.MoveSlider(Random(0, kDrives - 1), Random(0, 1000) / 1000.0, Random(0, 1) != 0); } },
        };
        const size_t nEvent = static_cast<size_t>(Random(0, 14));
        if (nEvent < sizeof events / sizeof events[0])
        {
            events[nEvent].second();
            return events[nEvent].first;
        }
        static const UINT commands[] = { ID_CD_PLAY,       ID_CD_PLAY,       ID_CD_PLAY,  ID_CD_PAUSE, ID_CD_STOP,
                                         ID_CD_NEXT_TRACK, ID_CD_PREV_TRACK, ID_CD_EJECT, ID_CD_REPEAT };
        std::set<int> rows;
        const int nRows = m_program.RowCount();
        for (int i = 0, nWanted = Random(0, 3) ? Random(0, 4) : nRows; i < nWanted && nRows > 0; i++)
            rows.insert(Random(0, nRows - 1));
        m_program.Select(rows);
        const UINT nID = commands[Random(0, 8)];
        m_program.Command(nID);
        return "command " + std::to_string(nID);
    }

    // What disagrees now between the rows and the drives. A row may show a
    // drive playing while it is stopped, or the other way round, never for
    // longer than the grace; with bSettled the rows must be the drives.
    std::string Disagreement(const std::vector<probe::Row>& rows, bool bSettled)
    {
        std::ostringstream out;
        std::map<char, simcd::SimDriveInfo> drives;
        for (const simcd::SimDriveInfo& drive : m_sim.GetDrives())
            drives[drive.letter] = drive;
        std::set<char> shown;
        const DWORD dwNow = ::GetTickCount();
        for (const probe::Row& row : rows)
        {
            // A vanished drive's row may lose its name before the next
            // reconciliation removes it.
            if (!row.letter && !bSettled)
                continue;
            if (!shown.insert(row.letter).second)
                out << row.letter << ": two rows; ";
            const auto it = drives.find(row.letter);
            if (it == drives.end() && bSettled)
                out << "row " << (row.letter ? row.letter : '?') << ": no such drive; ";
            if (it == drives.end())
                continue;
            const simcd::SimDriveInfo& drive = it->second;
            const bool bStatusLies = (drive.faults & (simcd::kFaultStatusFails | simcd::kFaultNotReady)) != 0;
            const bool bWrong = !bStatusLies && (row.state == kPlaying || row.state == kStopped)
                                && (row.state == kPlaying) != (drive.mode == MCI_MODE_PLAY);
            if (!bWrong)
                m_wrongSince.erase(row.letter);
            else if (const DWORD dwFor = dwNow - m_wrongSince.emplace(row.letter, dwNow).first->second;
                     dwFor > kGraceMs)
                out << row.letter << ": \"" << row.state << "\" in mode " << drive.mode << " for " << dwFor << " ms; ";
            if (bSettled && !AllowedStates(drive).count(row.state))
                out << row.letter << ": \"" << row.state << "\" in mode " << drive.mode << ", disc " << drive.hasDisc
                    << ", door " << drive.doorOpen << ", faults " << drive.faults << "; ";
        }
        for (const auto& drive : drives)
        {
            if (bSettled && !shown.count(drive.first))
                out << drive.first << ": no row; ";
        }
        return out.str();
    }

    // The rows are read one message at a time while the program goes on
    // ticking: a reconciliation or a sort in between would show a row twice
    // or not at all. Two reads in a row with the same drives are one picture.
    std::vector<probe::Row> StableRows()
    {
        auto sameDrives = [](const std::vector<probe::Row>& a, const std::vector<probe::Row>& b) {
            return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                              [](const probe::Row& x, const probe::Row& y) { return x.letter == y.letter; });
        };
        std::vector<probe::Row> rows = m_program.Rows(), again = m_program.Rows();
        for (int n = 0; n < 10 && !sameDrives(rows, again); n++)
            rows = std::exchange(again, m_program.Rows());
        return again;
    }

    // One look: alive, answering within a second, the rows agreeing.
    bool Look(bool bSettled)
    {
        EXPECT_TRUE(m_program.Running()) << "the program ended after " << m_strLastEvent;
        if (!m_program.Running())
            return false;
        const DWORD dwRoundTrip = m_program.RoundTripMs(1000);
        m_dwWorstRoundTrip = std::max(m_dwWorstRoundTrip, dwRoundTrip);
        EXPECT_LT(dwRoundTrip, 1000u) << "no answer within a second after " << m_strLastEvent;
        m_strDisagreement = Disagreement(StableRows(), bSettled);
        EXPECT_TRUE(bSettled || m_strDisagreement.empty()) << m_strDisagreement << " after " << m_strLastEvent;
        return m_strDisagreement.empty();
    }

    // Waits for the rows to catch up with a quiet world.
    void Settle(const std::string& event)
    {
        m_strLastEvent = event;
        const DWORD dwStart = ::GetTickCount();
        while (!Look(true) && !HasFailure() && ::GetTickCount() - dwStart < kSettleMs)
            ::Sleep(100);
        EXPECT_EQ("", m_strDisagreement) << "rows disagree with the drives " << kSettleMs << " ms after " << event;
    }

    std::mt19937 m_random;
    std::vector<std::vector<uint32_t>> m_initialDiscs;  // by letter
    std::map<char, DWORD> m_wrongSince;
    std::string m_strLastEvent = "start-up";
    std::string m_strDisagreement;
    DWORD m_dwWorstRoundTrip = 0;
};

TEST_F(Soak, RandomEventsOnEveryDriveLetter)
{
    StartProgram(kDrives);
    Settle("start-up");
    const probe::ProcessCounters start = m_program.Counters();

    std::map<std::string, int> events;
    for (const DWORD dwStart = ::GetTickCount();
         ::GetTickCount() - dwStart < static_cast<DWORD>(g_nSeconds) * 1000 && !HasFailure();)
    {
        for (int i = 0, nStorm = Random(3, 12); i < nStorm && !HasFailure(); i++)
        {
            events[m_strLastEvent = RandomEvent()]++;
            for (const DWORD dwAt = ::GetTickCount(), dwMs = static_cast<DWORD>(Random(20, 150));
                 ::GetTickCount() - dwAt < dwMs && !HasFailure(); ::Sleep(50))
                Look(false);
        }
        Settle("a storm ending with " + m_strLastEvent);
    }
    ASSERT_FALSE(HasFailure()) << "seed " << g_nSeed;

    RestoreWorld(true);
    const probe::ProcessCounters end = m_program.Counters();
    std::printf("soak: worst round trip %lu ms, private bytes %lu -> %lu, GDI objects %d -> %d,"
                " windows %d -> %d\n", static_cast<unsigned long>(m_dwWorstRoundTrip),
                static_cast<unsigned long>(start.privateBytes), static_cast<unsigned long>(end.privateBytes),
                start.gdiObjects, end.gdiObjects, start.windows, end.windows);
    for (const auto& e : events)
        std::printf("  %-16s %d\n", e.first.c_str(), e.second);
    EXPECT_LE(end.privateBytes, start.privateBytes + (2 << 20));
    EXPECT_LE(end.gdiObjects, start.gdiObjects + 8);
    EXPECT_EQ(start.windows, end.windows);
    m_sim.ClearJournal();
    CloseCleanly();
    EXPECT_FALSE(HasFailure()) << "seed " << g_nSeed;
}
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    g_nSeed = static_cast<unsigned>(::GetTickCount() ^ ::GetCurrentProcessId());
    for (int i = 1; i < argc; i++)
    {
        std::sscanf(argv[i], "--seconds=%d", &g_nSeconds);
        std::sscanf(argv[i], "--seed=%u", &g_nSeed);
    }
    return RUN_ALL_TESTS();
}
