// The built program under a storm of seeded random events on every free drive
// letter at a high time factor: drives, discs, doors and faults come and go,
// discs end with repeat on and off, and commands, slider moves and sorts hit
// random selections. Between events it watches the program; after each storm
// it waits for the next whole seconds and checks rows against drives. At the
// end the program must close cleanly, every device stopped and closed, with
// memory, GDI objects and windows back near their level after start-up.
//
//   soak_tests [--seconds=N] [--seed=S]      (gtest flags as usual)
#include "RemoteProgram.h"

#include "simcd/SimController.h"
#include "res/resource.h"
#include "tests/app/DeviceJournal.h"

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{
int g_nSeconds = 50;
unsigned g_nSeed = 0;

const char kLetters[] = "ABDEFGHIJKLMNOPQRSTUVWXY";  // every letter but C: and Z:
const int kDrives = sizeof kLetters - 1;
const double kTimeFactor = 40.0;
const DWORD kGraceMs = 1000;        // a row may lag its drive this long
const DWORD kSettleMs = 3000;       // after a storm: a reconciliation, a reload and a tick
const SIZE_T kMemoryBound = 2 << 20;
const int kGdiBound = 8;

const char* const kPlaying = "再生中";
const char* const kStopped = "停止";
const char* const kEmpty = "空";

const uint32_t kFaults[] = {
    simcd::kFaultOpenFails, simcd::kFaultStatusFails, simcd::kFaultNotReady, simcd::kFaultZeroTracks,
    simcd::kFaultDelay,     simcd::kFaultNoNotify,    simcd::kFaultPositionPastEnd,
};

// The state texts a row may show for its drive once the program has caught
// up: what the drive reports through the faults it has.
std::set<std::string> AllowedStates(const simcd::SimDriveInfo& drive)
{
    if (drive.faults & (simcd::kFaultStatusFails | simcd::kFaultNotReady))
        return { "", kEmpty };
    if (!drive.hasDisc || drive.doorOpen)
        return { kEmpty };
    std::set<std::string> allowed;
    allowed.insert(drive.mode == MCI_MODE_PLAY ? kPlaying : drive.mode == MCI_MODE_STOP ? kStopped : "");
    // A reload under these faults finds no tracks; the row then stays empty
    // until the fault goes and the next whole second reloads it.
    if (drive.faults & (simcd::kFaultOpenFails | simcd::kFaultZeroTracks))
        allowed.insert(kEmpty);
    return allowed;
}

class Soak : public testing::Test
{
protected:
    void SetUp() override
    {
        std::printf("soak: seed %u, %d s, %d drives, time factor %.0f\n", g_nSeed, g_nSeconds, kDrives,
                    kTimeFactor);
        std::fflush(stdout);
        m_random.seed(g_nSeed);
        ASSERT_TRUE(m_sim.IsAttached()) << m_sim.GetLastError();
        ASSERT_TRUE(m_sim.RemoveAllDrives()) << m_sim.GetLastError();
        ASSERT_TRUE(m_sim.SetTimeFactor(kTimeFactor));
        for (int i = 0; i < kDrives; i++)
        {
            ASSERT_TRUE(m_sim.DefineDrive(kLetters[i], i % 3 ? "" : "SOAK")) << m_sim.GetLastError();
            if (i % 4 != 3)
                m_initialDiscs[kLetters[i]] = RandomDisc();
        }
        for (const auto& disc : m_initialDiscs)
            ASSERT_TRUE(m_sim.InsertDisc(disc.first, disc.second)) << m_sim.GetLastError();
    }

    void TearDown() override
    {
        m_sim.RemoveAllDrives();
        m_sim.SetTimeFactor(1.0);
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
        std::vector<char> letters;
        for (int i = 0; i < kDrives; i++)
        {
            simcd::SimDriveInfo info;
            if (m_sim.GetDrive(kLetters[i], info) == bDefined)
                letters.push_back(kLetters[i]);
        }
        return letters.empty() ? 0 : letters[static_cast<size_t>(Random(0, static_cast<int>(letters.size()) - 1))];
    }

    std::set<int> RandomSelection(int nRows)
    {
        std::set<int> rows;
        const int nWanted = Random(0, 3) == 0 ? nRows : Random(0, 4);
        for (int i = 0; i < nWanted && nRows > 0; i++)
            rows.insert(Random(0, nRows - 1));
        return rows;
    }

    // One event of the world or of the user; returns its name.
    std::string RandomEvent()
    {
        static const UINT commands[] = { ID_CD_PLAY, ID_CD_PLAY, ID_CD_PLAY, ID_CD_PAUSE, ID_CD_STOP,
                                         ID_CD_NEXT_TRACK, ID_CD_PREV_TRACK, ID_CD_EJECT, ID_CD_REPEAT };
        const char letter = RandomLetter(true);
        switch (Random(0, 14))
        {
        case 0:
            if (const char free = RandomLetter(false))
                m_sim.DefineDrive(free, Random(0, 1) ? "NEW" : "");
            return "drive appears";
        case 1:
            m_sim.RemoveDrive(letter);
            return "drive vanishes";
        case 2:
            m_sim.InsertDisc(letter, RandomDisc());
            return "disc in";
        case 3:
            m_sim.RemoveDisc(letter);
            return "disc out";
        case 4:
            Random(0, 1) ? m_sim.OpenDoor(letter) : m_sim.CloseDoor(letter);
            return "door";
        case 5:
        case 6:
        {
            simcd::SimDriveInfo info;
            if (!m_sim.GetDrive(letter, info))
                return "fault";
            // A short delay: the program answers every drive ten times a second.
            m_sim.SetFaults(letter, info.faults ^ kFaults[Random(0, 6)], static_cast<uint32_t>(Random(1, 3)));
            return "fault";
        }
        case 7:
            m_sim.ClearFaults(letter);
            return "faults cleared";
        case 8:
            m_program.Sort(Random(0, 3));
            return "sort";
        case 9:
            if (const int nSliders = m_program.SliderCount())
                m_program.MoveSlider(Random(0, nSliders - 1), Random(0, 1000) / 1000.0, Random(0, 1) != 0);
            return "slider";
        default:
        {
            const UINT nID = commands[Random(0, 8)];
            m_program.Select(RandomSelection(m_program.RowCount()));
            m_program.Command(nID);
            return "command " + std::to_string(nID);
        }
        }
    }

    // What disagrees now between the rows and the drives, for the record.
    std::string Disagreement(const std::vector<soak::Row>& rows, const std::vector<simcd::SimDriveInfo>& drives,
                             bool bSettled)
    {
        std::ostringstream out;
        std::map<char, const simcd::SimDriveInfo*> byLetter;
        for (const simcd::SimDriveInfo& drive : drives)
            byLetter[drive.letter] = &drive;
        std::set<char> shown;
        const DWORD dwNow = ::GetTickCount();
        for (const soak::Row& row : rows)
        {
            // A row whose drive vanished may lose its name before the next
            // reconciliation removes it.
            if (!row.letter && !bSettled)
                continue;
            auto it = byLetter.find(row.letter);
            if (!shown.insert(row.letter).second)
                out << row.letter << ": two rows; ";
            if (it == byLetter.end())
            {
                if (bSettled)
                    out << "row " << (row.letter ? row.letter : '?') << ": no such drive; ";
                continue;
            }
            const simcd::SimDriveInfo& drive = *it->second;
            // Shown as stopped while it plays, or the other way round: never
            // for longer than the grace, storm or not.
            const bool bStatusLies = (drive.faults & (simcd::kFaultStatusFails | simcd::kFaultNotReady)) != 0;
            const bool bWrong = !bStatusLies && ((row.state == kStopped && drive.mode == MCI_MODE_PLAY)
                                                 || (row.state == kPlaying && drive.mode != MCI_MODE_PLAY));
            if (!bWrong)
                m_wrongSince.erase(row.letter);
            else if (!m_wrongSince.count(row.letter))
                m_wrongSince[row.letter] = dwNow;
            else if (dwNow - m_wrongSince[row.letter] > kGraceMs)
                out << row.letter << ": shows \"" << row.state << "\" while the drive's mode is " << drive.mode
                    << " for " << dwNow - m_wrongSince[row.letter] << " ms; ";
            if (bSettled && !AllowedStates(drive).count(row.state))
                out << row.letter << ": shows \"" << row.state << "\"; drive mode " << drive.mode << ", disc "
                    << drive.hasDisc << ", door " << drive.doorOpen << ", faults " << drive.faults << "; ";
        }
        if (bSettled)
        {
            for (const simcd::SimDriveInfo& drive : drives)
            {
                if (!shown.count(drive.letter))
                    out << drive.letter << ": no row; ";
            }
        }
        return out.str();
    }

    // Watches the program for a while: alive, answering within a second,
    // rows never contradicting a drive for longer than the grace.
    void Watch(DWORD dwMs)
    {
        const DWORD dwStart = ::GetTickCount();
        do
        {
            Look(false);
            ::Sleep(50);
        } while (::GetTickCount() - dwStart < dwMs && !HasFailure());
    }

    // The rows are read one message at a time while the program goes on
    // ticking: a reconciliation or a sort in between would show a row twice
    // or not at all. Two reads in a row with the same drives are one picture.
    std::vector<soak::Row> StableRows()
    {
        auto letters = [](const std::vector<soak::Row>& rows) {
            std::string text;
            for (const soak::Row& row : rows)
                text += row.letter ? row.letter : '?';
            return text;
        };
        std::vector<soak::Row> rows = m_program.Rows();
        for (int n = 0; n < 10; n++)
        {
            std::vector<soak::Row> again = m_program.Rows();
            if (letters(again) == letters(rows))
                return again;
            rows = again;
        }
        return rows;
    }

    // One look; with bSettled the rows must match the drives exactly.
    bool Look(bool bSettled)
    {
        if (!m_program.Running())
        {
            ADD_FAILURE() << "the program ended after " << m_strLastEvent;
            return false;
        }
        const DWORD dwRoundTrip = m_program.RoundTripMs(1000);
        m_dwWorstRoundTrip = std::max(m_dwWorstRoundTrip, dwRoundTrip);
        EXPECT_LT(dwRoundTrip, 1000u) << "the program did not answer within a second (" << m_strLastEvent << ")";
        const std::vector<soak::Row> rows = StableRows();
        const std::string wrong = Disagreement(rows, m_sim.GetDrives(), bSettled);
        if (!bSettled)
        {
            EXPECT_EQ("", wrong) << "after " << m_strLastEvent;
        }
        m_strLastDisagreement = wrong;
        return wrong.empty();
    }

    // Waits for the rows to catch up with a quiet world.
    void Settle()
    {
        const DWORD dwStart = ::GetTickCount();
        while (!Look(true))
        {
            if (HasFailure())
                return;
            if (::GetTickCount() - dwStart > kSettleMs)
            {
                ADD_FAILURE() << "rows disagree with the drives " << kSettleMs << " ms after " << m_strLastEvent
                              << ": " << m_strLastDisagreement;
                m_wrongSince.clear();
                return;
            }
            ::Sleep(100);
        }
        m_nSettles++;
    }

    // The world as it was at start-up: the same drives holding the same discs,
    // stopped, without faults.
    void RestoreWorld()
    {
        for (int i = 0; i < kDrives; i++)
        {
            simcd::SimDriveInfo info;
            if (!m_sim.GetDrive(kLetters[i], info))
            {
                ASSERT_TRUE(m_sim.DefineDrive(kLetters[i], i % 3 ? "" : "SOAK"));
            }
            m_sim.ClearFaults(kLetters[i]);
            m_sim.RemoveDisc(kLetters[i]);
            m_sim.CloseDoor(kLetters[i]);
        }
        m_strLastEvent = "every disc taken out";
        Settle();
        for (const auto& disc : m_initialDiscs)
            ASSERT_TRUE(m_sim.InsertDisc(disc.first, disc.second)) << m_sim.GetLastError();
        m_strLastEvent = "the first discs put back";
        Settle();
    }

    std::mt19937 m_random;
    simcd::SimController m_sim;
    soak::RemoteProgram m_program;
    std::map<char, std::vector<uint32_t>> m_initialDiscs;
    std::map<char, DWORD> m_wrongSince;
    std::string m_strLastEvent = "start-up";
    std::string m_strLastDisagreement;
    DWORD m_dwWorstRoundTrip = 0;
    int m_nSettles = 0;
};

TEST_F(Soak, RandomEventsOnEveryDriveLetter)
{
    ASSERT_TRUE(m_program.Start(soak::WindowsPath(ONDALUX_EXE)));
    ASSERT_TRUE(m_program.WaitForWindow(kDrives)) << "no window with a row per drive";
    Settle();
    const soak::ProcessCounters start = soak::ReadCounters(m_program.Process(), m_program.Id());

    std::map<std::string, int> events;
    const DWORD dwStart = ::GetTickCount();
    while (::GetTickCount() - dwStart < static_cast<DWORD>(g_nSeconds) * 1000 && !HasFailure())
    {
        const int nStorm = Random(3, 12);
        for (int i = 0; i < nStorm && !HasFailure(); i++)
        {
            m_strLastEvent = RandomEvent();
            events[m_strLastEvent]++;
            Watch(static_cast<DWORD>(Random(20, 150)));
        }
        Settle();
    }
    ASSERT_FALSE(HasFailure()) << "seed " << g_nSeed;

    RestoreWorld();
    const soak::ProcessCounters end = soak::ReadCounters(m_program.Process(), m_program.Id());
    std::printf("soak: %d settled checks, worst round trip %lu ms\n", m_nSettles,
                static_cast<unsigned long>(m_dwWorstRoundTrip));
    for (const auto& e : events)
        std::printf("  %-16s %d\n", e.first.c_str(), e.second);
    std::printf("soak: private bytes %lu -> %lu, GDI objects %d -> %d, windows %d -> %d\n",
                static_cast<unsigned long>(start.privateBytes), static_cast<unsigned long>(end.privateBytes),
                start.gdiObjects, end.gdiObjects, start.windows, end.windows);
    EXPECT_LE(end.privateBytes, start.privateBytes + kMemoryBound);
    EXPECT_LE(end.gdiObjects, start.gdiObjects + kGdiBound);
    EXPECT_EQ(start.windows, end.windows);

    m_sim.ClearJournal();
    EXPECT_EQ(0u, m_program.Close()) << "no clean exit";
    int nOpened = 0;
    EXPECT_EQ("", DevicesLeftRunning(m_sim, m_program.Id(), nOpened));
    EXPECT_FALSE(HasFailure()) << "seed " << g_nSeed;
}
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    g_nSeed = static_cast<unsigned>(::GetTickCount() ^ ::GetCurrentProcessId());
    for (int i = 1; i < argc; i++)
    {
        if (std::strncmp(argv[i], "--seconds=", 10) == 0)
            g_nSeconds = std::atoi(argv[i] + 10);
        else if (std::strncmp(argv[i], "--seed=", 7) == 0)
            g_nSeed = static_cast<unsigned>(std::strtoul(argv[i] + 7, nullptr, 10));
    }
    return RUN_ALL_TESTS();
}
