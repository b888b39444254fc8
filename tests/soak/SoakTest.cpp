// The built program on simulated drives, watched from outside its process.
// Bad input: a drive that vanishes while it plays leaves neither a row nor a
// running device, even when its end-of-play notifications arrive after its
// device is closed. (A drive that cannot be opened and then can is the drive
// list's test, and comes and goes in the soak.)
// Soak: a storm of seeded random events on every free drive letter at a high
// time factor (drives, discs, doors and faults come and go, discs end with
// repeat on and off under random driver profiles, seek times and wobbles,
// commands, slider moves and sorts hit random selections)
// while the program must stay responsive, its rows follow the drives and no
// drive is played again by the program before its play could have ended; at
// the end it must close cleanly with GDI objects and windows back near their
// level after start-up, memory near its level once warm.
//   soak_tests [--seconds=N] [--seed=S]      (gtest flags as usual)
#include "tools/probe/RemoteProgram.h"

#include "res/resource.h"
#include "simcd/SimController.h"

#include <mmsystem.h>
#include <mmddk.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <utility>

namespace
{
unsigned g_nSeconds = 50;
unsigned g_nSeed = 0;

const std::string kPlaying = "再生中", kStopped = "停止", kEmpty = "空";

// The simulated world and the built program started on it; the bad-input
// case starts with D: and E: holding two-track discs.
class ProgramTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sim.RemoveAllDrives() && m_sim.SetTimeFactor(1.0)) << m_sim.GetLastError();
        for (char letter : { 'D', 'E' })
            ASSERT_TRUE(m_sim.DefineDrive(letter) && m_sim.InsertDisc(letter, { 60000, 60000 }));
    }
    void TearDown() override { m_sim.RemoveAllDrives() && m_sim.SetTimeFactor(1.0); }

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

    // Whether the condition holds within the time. It is asked once a round:
    // a look at the program takes a while, and a second look right after one
    // that held may see the program move on.
    static bool Within(DWORD dwMs, const std::function<bool()>& condition)
    {
        for (const DWORD dwStart = ::GetTickCount();; ::Sleep(50))
        {
            if (condition())
                return true;
            if (::GetTickCount() - dwStart >= dwMs)
                return false;
        }
    }

    // Closes the program as its close box does: it must end with 0, and every
    // device in the journal closed, stopped right before, and no drive
    // counting a device still open. The program is the only one that sends
    // the drives commands.
    void CloseCleanly()
    {
        EXPECT_EQ(0u, m_program.Close()) << "no clean exit";
        std::map<uint32_t, uint32_t> last;  // device -> its last command, kept before each is checked
        for (const simcd::SimJournalEntry& e : m_sim.GetJournal())
            EXPECT_TRUE(std::exchange(last[e.deviceId], e.command) == MCI_STOP || e.command != MCI_CLOSE_DRIVER)
                << e.drive << " unstopped";
        for (const auto& device : last)
            EXPECT_EQ(static_cast<uint32_t>(MCI_CLOSE_DRIVER), device.second) << "open: " << device.first;
        for (const simcd::SimDriveInfo& drive : m_sim.GetDrives())
            EXPECT_EQ(0u, drive.openDevices) << drive.letter << ": a device left open";
    }

    simcd::SimController m_sim;
    probe::RemoteProgram m_program;
};

using BadInput = ProgramTest;

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
    std::vector<simcd::SimJournalEntry> d = m_sim.GetJournal();
    d.erase(std::remove_if(d.begin(), d.end(), [](const auto& e) { return e.drive != 'D'; }), d.end());
    ASSERT_TRUE(d.size() >= 2 && d[d.size() - 2].command == MCI_STOP && d.back().command == MCI_CLOSE_DRIVER);

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
// A row may lag its drive for the grace; after a storm, the settling time
// allows a reconciliation, a reload and a tick, and one reload more for a
// disc that was still spinning up at the first (up to a second).
const DWORD kGraceMs = 1000, kSettleMs = 4000;

// The state texts a row may show for its drive once the program has caught
// up: what the drive reports through the faults it has.
std::set<std::string> AllowedStates(const simcd::SimDriveInfo& drive)
{
    if (drive.faults & (simcd::kFaultStatusFails | simcd::kFaultNotReady))
        return { "", kEmpty };
    const std::string strMode = !drive.hasDisc || drive.doorOpen ? kEmpty
                                : drive.mode == MCI_MODE_PLAY    ? kPlaying
                                : drive.mode == MCI_MODE_STOP    ? kStopped
                                                                 : "";
    // A reload under these faults finds no tracks; the row then stays empty
    // until the fault goes and the next whole second reloads it.
    return { strMode, drive.faults & (simcd::kFaultOpenFails | simcd::kFaultZeroTracks) ? kEmpty : strMode };
}

class Soak : public ProgramTest
{
protected:
    void SetUp() override
    {
        std::printf("soak: seed %u, %u s, %d drives\n", g_nSeed, g_nSeconds, kDrives);
        ASSERT_TRUE(m_sim.RemoveAllDrives() && m_sim.SetTimeFactor(kFactor)) << m_sim.GetLastError();
        for (int i = 0; i < kDrives; i++)
            m_initialDiscs.push_back(i % 4 == 3 ? std::vector<uint32_t>() : RandomDisc());
        RestoreWorld(false);
    }

    // The world of the start: every drive, no faults, the first discs. With
    // bSettle the rows must follow, showing every drive empty before the
    // discs go in.
    void RestoreWorld(bool bSettle)
    {
        simcd::SimDriveInfo info;
        for (int i = 0; i < kDrives; i++)
        {
            ASSERT_TRUE(m_sim.GetDrive(kLetters[i], info) || m_sim.DefineDrive(kLetters[i], i % 3 ? "" : "SOAK"));
            m_sim.ClearFaults(kLetters[i]);
            m_sim.SetProfile(kLetters[i], RandomProfile());
            RandomPhysics(kLetters[i]);
            m_sim.RemoveDisc(kLetters[i]);  // the discs put back close their doors
        }
        if (bSettle)
            Settle("every disc taken out");
        for (size_t i = 0; i < m_initialDiscs.size(); i++)
            ASSERT_TRUE(m_initialDiscs[i].empty() || Insert(kLetters[i], m_initialDiscs[i]));
        if (bSettle)
            Settle("the first discs put back");
    }

    int Random(int nLow, int nHigh) { return std::uniform_int_distribution<int>(nLow, nHigh)(m_random); }

    simcd::SimProfile RandomProfile() { return static_cast<simcd::SimProfile>(Random(0, 2)); }

    // Half the drives seek, up to a second; half wobble, up to five frames.
    void RandomPhysics(char letter)
    {
        const uint32_t seekMs = Random(0, 1) ? static_cast<uint32_t>(Random(1, 10)) * 100 : 0;
        const uint32_t wobble = Random(0, 1) ? static_cast<uint32_t>(Random(1, 5)) : 0;
        const uint64_t atUs = simcd::SimController::NowUs();
        if (m_sim.SetSeekTime(letter, seekMs) && m_sim.SetWobble(letter, wobble))
            m_seekMs[letter].emplace_back(atUs, seekMs);
    }

    // What a drive had at a time: the seek time, or the end of its disc's audio.
    static uint32_t At(const std::vector<std::pair<uint64_t, uint32_t>>& history, uint64_t timeUs)
    {
        uint32_t value = 0;
        for (const auto& change : history)
            if (change.first <= timeUs)
                value = change.second;
        return value;
    }

    // A disc in, remembered with where its audio ends, from when it is in.
    bool Insert(char letter, const std::vector<uint32_t>& disc)
    {
        uint32_t end = simcd::kDefaultDiscStartMs;
        for (uint32_t length : disc)
            end += length;
        const uint64_t atUs = simcd::SimController::NowUs();
        if (!m_sim.InsertDisc(letter, disc))
            return false;
        m_discEnds[letter].emplace_back(atUs, end);
        return true;
    }

    // A command of the user's, with when it was sent, so that the plays it
    // causes are told from the program's own.
    void UserCommand(const std::function<void()>& f)
    {
        const uint64_t fromUs = simcd::SimController::NowUs();
        f();
        m_userSpans.emplace_back(fromUs, simcd::SimController::NowUs());
    }

    // The program's own plays (repeat after the end of a disc) since the last
    // check, each held to the play before it on the same drive: that play
    // must have had the time to reach the end of its disc, seek included.
    // The journal then starts afresh, as it only holds a few seconds.
    void CheckOwnPlays()
    {
        for (const simcd::SimJournalEntry& e : m_sim.GetJournal())
        {
            if (e.processId != m_program.Id())
                continue;
            if (e.command == MCI_CLOSE_DRIVER)
                m_lastPlay.erase(e.drive);
            if (e.command != MCI_PLAY)
                continue;
            const bool bUser = std::any_of(m_userSpans.begin(), m_userSpans.end(), [&](const auto& span) {
                return e.timeUs >= span.first && e.timeUs <= span.second;
            });
            const auto last = m_lastPlay.find(e.drive);
            if (!bUser && last != m_lastPlay.end())
            {
                const uint64_t playUs = last->second.timeUs;
                const uint32_t end = At(m_discEnds[e.drive], playUs), from = last->second.from;
                const double dEarliestMs = At(m_seekMs[e.drive], playUs) + (end > from ? end - from : 0) / kFactor;
                const double dAfterMs = (e.timeUs - last->second.timeUs) / 1000.0;
                m_nOwnPlays++;
                EXPECT_GE(dAfterMs + 20, dEarliestMs)
                    << e.drive << ": played again from " << e.from << " " << dAfterMs << " ms after a play from "
                    << last->second.from << " that could not end before " << dEarliestMs << " ms"
                    << Replay(std::string(1, e.drive));
            }
            if (e.result == 0)
                m_lastPlay[e.drive] = e;
        }
        m_userSpans.clear();
        m_sim.ClearJournal();
    }

    std::vector<uint32_t> RandomDisc()
    {
        std::vector<uint32_t> tracks(static_cast<size_t>(Random(1, 8)));
        std::generate(tracks.begin(), tracks.end(), [&] { return static_cast<uint32_t>(Random(4, 40)) * 1000; });
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

    // One event of the world or of the user; returns its name. What it did,
    // in detail, goes to the event log. The random numbers are drawn as they
    // always were, so that a seed replays the same events.
    std::string RandomEvent()
    {
        const char letter = RandomLetter(true);
        simcd::SimDriveInfo info;
        std::string strDetail = std::string(1, letter) + ":";
        // A short delay: the program asks every drive ten times a second.
        auto fault = [&] {
            uint32_t dwBit = 0;
            if (m_sim.GetDrive(letter, info) &&
                m_sim.SetFaults(letter, info.faults ^ (dwBit = 1u << Random(0, 6)), Random(1, 3)))
                strDetail += " faults " + std::to_string(info.faults ^ dwBit);
        };
        static const UINT commands[] = { ID_CD_PLAY,       ID_CD_PLAY,       ID_CD_PLAY,  ID_CD_PAUSE, ID_CD_STOP,
                                         ID_CD_NEXT_TRACK, ID_CD_PREV_TRACK, ID_CD_EJECT, ID_CD_REPEAT };
        UINT nID = 0;
        // A few random rows, or now and then all of them.
        auto command = [&] {
            std::set<int> rows;
            const int nRows = m_program.RowCount();
            for (int i = 0, nWanted = Random(0, 3) ? Random(0, 4) : nRows; i < nWanted && nRows > 0; i++)
                rows.insert(Random(0, nRows - 1));
            m_program.Select(rows);
            nID = commands[Random(0, 8)];
            UserCommand([&] { m_program.Command(nID); });
            strDetail = "rows";
            for (int nRow : rows)
                strDetail += " " + std::to_string(nRow);
        };
        char cNew = 0;
        int nValue = 0, nShare = 0, nDrag = 0;
        const std::pair<const char*, std::function<void()>> events[] = {
            { "drive appears",
              [&] {
                  cNew = RandomLetter(false);
                  if (m_sim.DefineDrive(cNew, Random(0, 1) ? "NEW" : "") && m_sim.SetProfile(cNew, RandomProfile()))
                      RandomPhysics(cNew);
                  strDetail = std::string(1, cNew) + ":";
              } },
            { "drive vanishes", [&] { m_sim.RemoveDrive(letter); } },
            { "disc in", [&] { Insert(letter, RandomDisc()); } },
            { "disc out", [&] { m_sim.RemoveDisc(letter); } },
            { "door",
              [&] {
                  (nValue = Random(0, 1)) ? m_sim.OpenDoor(letter) : m_sim.CloseDoor(letter);
                  strDetail += nValue ? " open" : " closed";
              } },
            { "fault", fault },
            { "fault", fault },
            { "faults cleared", [&] { m_sim.ClearFaults(letter); } },
            { "sort",
              [&] {
                  m_program.Sort(nValue = Random(0, 3));
                  strDetail = "column " + std::to_string(nValue);
              } },
            // As many sliders as rows; an index past the last moves none.
            { "slider",
              [&] {
                  nValue = Random(0, kDrives - 1);
                  nShare = Random(0, 1000);
                  nDrag = Random(0, 1);
                  UserCommand([&] { m_program.MoveSlider(nValue, nShare / 1000.0, nDrag != 0); });
                  strDetail = "slider " + std::to_string(nValue) + " to " + std::to_string(nShare) + "/1000" +
                              (nDrag ? " dragged" : " clicked");
              } },
            { "command", command },  // the last five of fifteen chances
        };
        const auto& event = events[std::min(Random(0, 14), static_cast<int>(std::size(events)) - 1)];
        event.second();
        const std::string strName = nID ? "command " + std::to_string(nID) : event.first;
        m_log.emplace_back(::GetTickCount(), strName + " (" + strDetail + ")");
        while (m_log.size() > 1 && m_log.back().first - m_log.front().first > kLogMs)
            m_log.pop_front();
        return strName;
    }

    // The events of the last seconds, and the end of the program's commands
    // to the drives that disagree, for a replay.
    std::string Replay(const std::string& strLetters)
    {
        std::ostringstream out;
        const DWORD dwNow = ::GetTickCount();
        out << "\nthe last " << kLogMs / 1000 << " s of events (ms before now):";
        for (const auto& e : m_log)
            out << "\n  -" << dwNow - e.first << " " << e.second;
        const std::vector<simcd::SimJournalEntry> journal = m_sim.GetJournal();
        for (char letter : strLetters)
        {
            out << "\nlast commands to " << letter << ": (device command result returned)";
            int n = 0;
            for (auto it = journal.rbegin(); it != journal.rend() && n < 12; ++it)
                if (it->drive == letter && it->processId == m_program.Id() && ++n)
                    out << "\n  " << it->deviceId << " " << it->command << " " << it->result << " " << it->returned;
        }
        return out.str();
    }

    std::map<char, simcd::SimDriveInfo> Drives() const
    {
        std::map<char, simcd::SimDriveInfo> drives;
        for (const simcd::SimDriveInfo& drive : m_sim.GetDrives())
            drives[drive.letter] = drive;
        return drives;
    }

    // One look: alive, answering within a second, the rows agreeing with the
    // drives. A row may show a drive playing while it is stopped, or the
    // other way round, never for longer than the grace; with bSettled the
    // rows must be the drives.
    // Even in a quiet world the program changes drives itself (a disc played
    // to its end is rewound, with repeat on played again: at the soak's time
    // factor several times a second), and the rows take a while to read: a
    // row is held to its drive only when the drive was the same before and
    // after the rows were read. Settled, the rows are read only after two
    // ticks of the program, which writes them, since the drives were read.
    std::string Look(bool bSettled)
    {
        m_strDisagreeing.clear();
        EXPECT_TRUE(m_program.Running()) << "the program ended after " << m_strLastEvent << Replay("");
        if (!m_program.Running())
            return "the program ended";
        EXPECT_LT(m_program.RoundTripMs(1000), 1000u)
            << "no answer within a second after " << m_strLastEvent << Replay("");
        std::ostringstream out;
        const std::map<char, simcd::SimDriveInfo> drives = Drives();
        if (bSettled)
            ::Sleep(250);
        const std::vector<probe::Row> rows = StableRows();
        std::map<char, simcd::SimDriveInfo> after = Drives();
        auto unchanged = [&](const simcd::SimDriveInfo& drive) {
            const simcd::SimDriveInfo& later = after[drive.letter];
            return later.letter == drive.letter && later.generation == drive.generation && later.mode == drive.mode &&
                   later.hasDisc == drive.hasDisc && later.doorOpen == drive.doorOpen && later.faults == drive.faults;
        };
        std::set<char> shown;
        for (const probe::Row& row : rows)
        {
            // A vanished drive's row may lose its name before the next
            // reconciliation removes it.
            const auto it = drives.find(row.letter);
            if (it == drives.end() && bSettled)
                out << "row " << (row.letter ? row.letter : '?') << ": no such drive; ";
            if (it == drives.end())
                continue;
            if (!shown.insert(row.letter).second)
                out << row.letter << ": two rows; ";
            const simcd::SimDriveInfo& drive = it->second;
            const bool bStatusLies = (drive.faults & (simcd::kFaultStatusFails | simcd::kFaultNotReady)) != 0;
            const bool bWrong = !bStatusLies && (row.state == kPlaying || row.state == kStopped) &&
                                (row.state == kPlaying) != (drive.mode == MCI_MODE_PLAY) && unchanged(drive);
            if (!bWrong)
                m_wrongSince.erase(row.letter);
            else if (const DWORD dwNow = ::GetTickCount(),
                     dwFor = dwNow - m_wrongSince.emplace(row.letter, dwNow).first->second;
                     dwFor > kGraceMs)
            {
                out << row.letter << ": \"" << row.state << "\" in mode " << drive.mode << " for " << dwFor
                    << " ms, devices open on the drive " << drive.openDevices << "; ";
                m_strDisagreeing += row.letter;
            }
            if (bSettled && unchanged(drive) && !AllowedStates(drive).count(row.state))
            {
                out << row.letter << ": \"" << row.state << "\" in mode " << drive.mode << ", disc " << drive.hasDisc
                    << ", door " << drive.doorOpen << ", faults " << drive.faults << ", devices open on the drive "
                    << drive.openDevices << "; ";
                m_strDisagreeing += row.letter;
            }
        }
        for (const auto& drive : drives)
            if (bSettled && !shown.count(drive.first))
                out << drive.first << ": no row; ";
        EXPECT_TRUE(bSettled || out.str().empty())
            << out.str() << " after " << m_strLastEvent << Replay(m_strDisagreeing);
        return out.str();
    }

    // The rows are read one message at a time while the program goes on
    // ticking: a reconciliation or a sort in between would show a row twice
    // or not at all. Two reads in a row with the same drives are one picture.
    std::vector<probe::Row> StableRows()
    {
        std::vector<probe::Row> rows = m_program.Rows(), again = m_program.Rows();
        for (int n = 0; n < 10 && !std::equal(rows.begin(), rows.end(), again.begin(), again.end(),
                                              [](const auto&x, const auto&y) { return x.letter == y.letter; });
             n++)
            rows = std::exchange(again, m_program.Rows());
        return again;
    }

    // Waits for the rows to catch up with a quiet world.
    void Settle(const std::string& event)
    {
        m_strLastEvent = event;
        std::string strWhy;
        EXPECT_TRUE(Within(kSettleMs, [&] { return (strWhy = Look(true)).empty() || HasFailure(); }))
            << "rows disagree with the drives " << kSettleMs << " ms after " << event << ": " << strWhy
            << Replay(m_strDisagreeing);
    }

    static constexpr double kFactor = 40.0;
    std::mt19937 m_random{ g_nSeed };
    std::vector<std::vector<uint32_t>> m_initialDiscs;  // by letter
    // Since when each drive has had its seek time, and its disc (where its audio ends).
    std::map<char, std::vector<std::pair<uint64_t, uint32_t>>> m_seekMs, m_discEnds;
    std::vector<std::pair<uint64_t, uint64_t>> m_userSpans;  // of the user's commands since the check
    std::map<char, simcd::SimJournalEntry> m_lastPlay;       // the last accepted play on each drive
    int m_nOwnPlays = 0;
    std::map<char, DWORD> m_wrongSince;
    static const DWORD kLogMs = 10000;
    std::deque<std::pair<DWORD, std::string>> m_log;  // tick count, event
    std::string m_strDisagreeing;                     // the drives of the last look's wrong rows
    std::string m_strLastEvent = "start-up";
};

TEST_F(Soak, RandomEventsOnEveryDriveLetter)
{
    StartProgram(kDrives);
    Settle("start-up");
    const probe::ProcessCounters start = m_program.Counters();
    // Every disc plays, with repeat on: ends of discs come several times a
    // second from the start, until the storms' commands change it.
    std::set<int> all;
    for (int i = 0; i < kDrives; i++)
        all.insert(i);
    m_program.Select(all);
    UserCommand([&] {
        m_program.Command(ID_CD_REPEAT);
        m_program.Command(ID_CD_PLAY);
    });

    // Memory is held to the level it has once Wine's and the program's caches
    // have filled: after the first minute of storms, or a third of a shorter
    // soak. From start-up, 300 s and 600 s soaks alike grew by 2.3 MB.
    const DWORD dwStart = ::GetTickCount(), dwWarmMs = std::min(60000u, g_nSeconds * 1000u / 3);
    probe::ProcessCounters warm = start;
    bool bWarm = false;
    std::map<std::string, int> events;
    while (::GetTickCount() - dwStart < g_nSeconds * 1000u && !HasFailure())
    {
        for (int i = 0, nStorm = Random(3, 12); i < nStorm && !HasFailure(); i++)
        {
            events[m_strLastEvent = RandomEvent()]++;
            for (const DWORD dwAt = ::GetTickCount(), dwMs = static_cast<DWORD>(Random(20, 150));
                 ::GetTickCount() - dwAt < dwMs && !HasFailure(); ::Sleep(50))
                Look(false);
        }
        Settle("a storm ending with " + m_strLastEvent);
        CheckOwnPlays();
        if (!bWarm && ::GetTickCount() - dwStart >= dwWarmMs)
        {
            warm = m_program.Counters();
            bWarm = true;
        }
    }
    ASSERT_FALSE(HasFailure()) << "seed " << g_nSeed;

    RestoreWorld(true);
    const probe::ProcessCounters end = m_program.Counters();
    std::printf("soak: private bytes %lu, %lu warm -> %lu, GDI objects %d -> %d, windows %d -> %d\n",
                static_cast<unsigned long>(start.privateBytes), static_cast<unsigned long>(warm.privateBytes),
                static_cast<unsigned long>(end.privateBytes), start.gdiObjects, end.gdiObjects, start.windows,
                end.windows);
    for (const auto& e : events)
        std::printf("  %-16s %d\n", e.first.c_str(), e.second);
    std::printf("soak: %d plays of the program's own, each after its disc's end\n", m_nOwnPlays);
    EXPECT_TRUE(end.privateBytes <= warm.privateBytes + (2 << 20) && end.gdiObjects <= start.gdiObjects + 8 &&
                end.windows == start.windows);
    m_sim.ClearJournal();
    CloseCleanly();
}
}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    g_nSeed = static_cast<unsigned>(::GetTickCount() ^ ::GetCurrentProcessId());
    for (int i = 1; i < argc; i++)
        if (!std::sscanf(argv[i], "--seconds=%u", &g_nSeconds))
            std::sscanf(argv[i], "--seed=%u", &g_nSeed);
    return RUN_ALL_TESTS();
}
