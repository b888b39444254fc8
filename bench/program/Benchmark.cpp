// Measures the program and prints a table (run by scripts/bench.sh). Every
// figure stands beside its floor, what the platform alone costs for the same
// work, measured in the same run, interleaved with it:
//   - one refresh tick of the drive list, hosted here, with 1, 4 and every
//     drive playing: wall time and CPU time of this thread and of the
//     wineserver, each with the painting the tick caused; floor: the MCI
//     commands of the same tick (from the journal) sent alone;
//   - MCI commands per row per ordinary and per whole-second tick;
//   - the start skew of a synchronised play of the built program; floor: one
//     MCI_PLAY with a notification per drive sent back to back from here,
//     first to last: the round trip of a play times the drives less one;
//   - start-up to the first painted frame; floor: platform_floor, the
//     platform work of start-up alone, started and awaited the same way;
//   - CPU of the built program and the wineserver over 10 s with four drives
//     stopped and playing; floor: platform_floor sending the program's tick
//     commands ten times a second.
//   benchmark [--quick] [--ticks | --program-only] [--program=EXE]
//     --quick: fewer repetitions; --ticks: the refresh tick and its commands
//     only; --program-only: all but those; --program: another build of Ondalux (the ticks are always this
//     build's, which the benchmark hosts itself)
#include "UnixCpuClock.h"
#include "tools/probe/RemoteProgram.h"

#include "drivelist/CCDDriveListWnd.h"
#include "res/resource.h"
#include "simcd/SimController.h"

#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CBenchApp : public CWinApp
{};

CBenchApp theApp;

namespace
{
const char kLetters[] = "ABDEFGHIJKLMNOPQRSTUVWXY";
const int kMaxDrives = sizeof kLetters - 1;
bool g_bQuick = false;
bool g_bTicksOnly = false;
bool g_bProgramOnly = false;

// The list with its refresh in the benchmark's hands.
class CBenchList : public CCDDriveListWnd
{
public:
    void Tick() { StatusTimerProc(m_hWnd, WM_TIMER, IDT_STATUS, ::GetTickCount()); }
    bool WholeSecond() const { return m_nTick == 0; }
    int Phase() const { return m_nTick; }
};

struct Stats
{
    double median = 0;
    double p95 = 0;
};

Stats Summarise(std::vector<double> values)
{
    Stats stats;
    if (values.empty())
        return stats;
    std::sort(values.begin(), values.end());
    stats.median = values[values.size() / 2];
    stats.p95 = values[std::min(values.size() - 1, values.size() * 95 / 100)];
    return stats;
}

double Ratio(double dFigure, double dFloor)
{
    return dFloor > 0 ? dFigure / dFloor : 0;
}

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

double Microseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

std::vector<uint32_t> LongDisc()
{
    return std::vector<uint32_t>(10, 360000);  // an hour in ten tracks
}

// The world: the first nDrives letters, each with a disc.
void DrivesWithDiscs(simcd::SimController& sim, int nDrives)
{
    sim.RemoveAllDrives();
    for (int i = 0; i < nDrives; i++)
    {
        sim.DefineDrive(kLetters[i]);
        sim.InsertDisc(kLetters[i], LongDisc());
    }
}

// The list in a window of the program's first size, as the user sees it.
struct HostedList
{
    HostedList()
    {
        host.CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorA(nullptr, IDC_ARROW)), "benchmark",
                      WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 853, 640, nullptr, nullptr);
        CRect rect;
        host.GetClientRect(&rect);
        list.Create(WS_CHILD | WS_VISIBLE | LVS_SHOWSELALWAYS, rect, &host, AFX_IDW_PANE_FIRST);
        list.KillTimer(CCDDriveListWnd::IDT_STATUS);
        Pump();
    }
    ~HostedList()
    {
        host.DestroyWindow();
        Pump();
    }
    CWnd host;
    CBenchList list;
};

// ---------------------------------------------------------------------------

// The MCI commands of one tick, as the simulated driver's journal saw them.
typedef std::vector<simcd::SimJournalEntry> Commands;

// Sends the commands again, on the same devices: the tick's floor.
void Replay(const Commands& commands)
{
    for (const simcd::SimJournalEntry& e : commands)
    {
        MCI_STATUS_PARMS status = {};
        status.dwItem = e.item;
        status.dwTrack = e.track;
        if (e.command == MCI_STATUS)
            mciSendCommandA(e.deviceId, e.command, e.flags, reinterpret_cast<DWORD_PTR>(&status));
    }
}

// Ticks in milliseconds of wall, of this thread's CPU and of the wineserver's.
class Clocks
{
public:
    explicit Clocks(int nServerPid) : m_clock(UnixPidOf(ThisExe())), m_serverClock(nServerPid) {}
    template <class F>
    void Measure(F f)
    {
        const uint64_t server0 = m_serverClock.NowNs();
        const uint64_t cpu0 = m_clock.NowNs();
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        f();
        ::QueryPerformanceCounter(&end);
        const uint64_t cpu1 = m_clock.NowNs();
        const uint64_t server1 = m_serverClock.NowNs();
        wall.push_back(Microseconds(start, end));
        cpu.push_back(static_cast<double>(cpu1 - cpu0) / 1000.0);
        server.push_back(static_cast<double>(server1 - server0) / 1000.0);
    }
    std::vector<double> wall, cpu, server;

private:
    static std::string ThisExe()
    {
        char exe[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, exe, sizeof exe);
        return exe;
    }
    UnixCpuClock m_clock;
    UnixCpuClock m_serverClock;
};

void MeasureTicks(simcd::SimController& sim, int nDrives, int nServerPid)
{
    DrivesWithDiscs(sim, nDrives);
    HostedList hosted;
    for (int i = 0; i < hosted.list.GetItemCount(); i++)
        hosted.list.GetDriveItem(i)->m_pDevice->Play();

    // The commands of each tick of a second, whole-second tick included.
    std::vector<Commands> phases(10);
    const DWORD dwProcessId = ::GetCurrentProcessId();
    for (int n = 0; n < 10; n++)
    {
        sim.ClearJournal();
        hosted.list.Tick();
        Pump();
        for (const simcd::SimJournalEntry& e : sim.GetJournal())
        {
            if (e.processId == dwProcessId)
                phases[static_cast<size_t>(hosted.list.Phase())].push_back(e);
        }
    }

    // Each tick followed by its floor: the same commands in the same phase.
    Clocks tick(nServerPid), floor(nServerPid);
    std::vector<double> procedure;
    const int nTicks = g_bQuick ? 100 : 1000;
    for (int n = 0; n < nTicks; n++)
    {
        tick.Measure([&] {
            LARGE_INTEGER start, end;
            ::QueryPerformanceCounter(&start);
            hosted.list.Tick();
            ::QueryPerformanceCounter(&end);
            procedure.push_back(Microseconds(start, end));
            Pump();  // the painting that the tick asked for
        });
        ::Sleep(1);
        floor.Measure([&] { Replay(phases[static_cast<size_t>(hosted.list.Phase())]); });
        ::Sleep(1);
    }
    const Stats w = Summarise(tick.wall), c = Summarise(tick.cpu), s = Summarise(tick.server);
    const Stats fw = Summarise(floor.wall), fc = Summarise(floor.cpu), fs = Summarise(floor.server);
    const double dProcedure = Summarise(procedure).median;
    std::printf("| tick, %2d playing | %6.0f (p95 %6.0f) | %5.0f | %5.2f x | %6.0f | %5.0f | %5.2f x | %6.0f | %5.0f "
                "| %5.2f x | %6.0f + %6.0f |\n",
                nDrives, w.median, w.p95, fw.median, Ratio(w.median, fw.median), c.median, fc.median,
                Ratio(c.median, fc.median), s.median, fs.median, Ratio(s.median, fs.median), dProcedure,
                w.median - dProcedure);
}

void MeasureCommandsPerTick(simcd::SimController& sim)
{
    // Rows in letter order: D: plays, E: is stopped, F: is paused, G: has no disc.
    sim.RemoveAllDrives();
    for (char letter : { 'D', 'E', 'F', 'G' })
        sim.DefineDrive(letter);
    for (char letter : { 'D', 'E', 'F' })
        sim.InsertDisc(letter, LongDisc());
    HostedList hosted;
    hosted.list.GetDriveItem(0)->m_pDevice->Play();
    hosted.list.GetDriveItem(2)->m_pDevice->Play();
    hosted.list.GetDriveItem(2)->m_pDevice->Pause();
    const char* const kinds[] = { "playing", "stopped", "paused", "no disc" };
    const char letters[] = { 'D', 'E', 'F', 'G' };

    std::map<char, double> ordinary, wholeSecond;
    int nOrdinary = 0, nWholeSecond = 0;
    const DWORD dwProcessId = ::GetCurrentProcessId();
    for (int n = 0; n < 100; n++)
    {
        sim.ClearJournal();
        hosted.list.Tick();
        const bool bWholeSecond = hosted.list.WholeSecond();
        (bWholeSecond ? nWholeSecond : nOrdinary)++;
        for (const simcd::SimJournalEntry& e : sim.GetJournal())
        {
            if (e.processId == dwProcessId)
                (bWholeSecond ? wholeSecond : ordinary)[e.drive]++;
        }
    }
    for (int i = 0; i < 4; i++)
        std::printf("| MCI commands per tick, row %-8s | ordinary %.1f | whole-second %.1f |\n", kinds[i],
                    ordinary[letters[i]] / nOrdinary, wholeSecond[letters[i]] / nWholeSecond);
}

// Devices of this process on the first nDrives drives, for the skew's floor.
class OpenDrives
{
public:
    explicit OpenDrives(int nDrives)
    {
        for (int i = 0; i < nDrives; i++)
        {
            const char drive[3] = { kLetters[i], ':', '\0' };
            MCI_OPEN_PARMSA open = {};
            open.lpstrDeviceType = reinterpret_cast<LPCSTR>(static_cast<DWORD_PTR>(MCI_DEVTYPE_CD_AUDIO));
            open.lpstrElementName = drive;
            if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE | MCI_WAIT,
                                reinterpret_cast<DWORD_PTR>(&open)) != 0)
                continue;
            MCI_SET_PARMS set = {};
            set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
            mciSendCommandA(open.wDeviceID, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&set));
            m_ids.push_back(open.wDeviceID);
        }
    }
    ~OpenDrives()
    {
        for (MCIDEVICEID id : m_ids)
            mciSendCommandA(id, MCI_CLOSE, 0, 0);
    }
    OpenDrives(const OpenDrives&) = delete;
    OpenDrives& operator=(const OpenDrives&) = delete;

    // One MCI_PLAY with a notification on each drive, one right after the
    // other; the plays' times from first to last, on the journal's clock.
    // The drives are stopped first, as the program's are paused before its
    // second pass: no play supersedes another's notification.
    double PlayAll(simcd::SimController& sim, HWND hNotify)
    {
        for (MCIDEVICEID id : m_ids)
            mciSendCommandA(id, MCI_STOP, MCI_WAIT, 0);
        ::Sleep(50);
        sim.ClearJournal();
        for (MCIDEVICEID id : m_ids)
        {
            MCI_PLAY_PARMS play = {};
            play.dwCallback = reinterpret_cast<DWORD_PTR>(hNotify);
            play.dwFrom = 10000;
            mciSendCommandA(id, MCI_PLAY, MCI_FROM | MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play));
        }
        std::vector<uint64_t> times;
        for (const simcd::SimJournalEntry& e : sim.GetJournal())
        {
            if (e.processId == ::GetCurrentProcessId() && e.command == MCI_PLAY)
                times.push_back(e.timeUs);
        }
        for (MCIDEVICEID id : m_ids)
            mciSendCommandA(id, MCI_STOP, MCI_WAIT, 0);
        Pump();  // the notifications of the stopped plays
        return times.size() < 2 ? 0 : static_cast<double>(times.back() - times.front()) / 1000.0;
    }

private:
    std::vector<MCIDEVICEID> m_ids;
};

std::string g_program = ONDALUX_EXE;

std::string OndaluxExe()
{
    return probe::WindowsPath(g_program.c_str());
}

std::string FloorExe()
{
    return probe::WindowsPath(PLATFORM_FLOOR_EXE);
}

void MeasureSkew(simcd::SimController& sim, int nDrives, HWND hNotify)
{
    DrivesWithDiscs(sim, nDrives);
    probe::RemoteProgram program;
    if (!program.Start(OndaluxExe()) || !program.WaitForWindow(nDrives))
    {
        std::printf("| start skew, %2d drives | program did not start |\n", nDrives);
        return;
    }
    std::set<int> all;
    for (int i = 0; i < nDrives; i++)
        all.insert(i);
    program.Select(all);
    std::vector<double> skews, floors;
    OpenDrives drives(nDrives);
    for (int n = 0; n < (g_bQuick ? 2 : 7); n++)
    {
        program.Command(ID_CD_STOP);
        sim.ClearJournal();
        program.Command(ID_CD_PLAY);
        std::vector<uint64_t> times;
        for (const simcd::SimJournalEntry& e : sim.GetJournal())
        {
            if (e.processId == program.Id() && e.command == MCI_PLAY)
                times.push_back(e.timeUs);
        }
        if (times.size() >= static_cast<size_t>(nDrives))
            skews.push_back(static_cast<double>(times.back() - times[times.size() - static_cast<size_t>(nDrives)]) /
                            1000.0);
        floors.push_back(drives.PlayAll(sim, hNotify));
    }
    program.Close();
    const Stats s = Summarise(skews);
    const double dFloor = Summarise(floors).median;
    std::printf("| start skew, %2d drives | %.2f ms (p95 %.2f) | %.2f ms | %.2f x | %zu starts |\n", nDrives, s.median,
                s.p95, dFloor, Ratio(s.median, dFloor), skews.size());
}

// Process start to a visible window whose thread answers: the first paint
// (UpdateWindow) is over by then.
double StartUpMs(const std::string& exe, int nRows)
{
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    probe::RemoteProgram program;
    if (!program.Start(exe) || !program.WaitForWindow(nRows))
        return -1;
    ::QueryPerformanceCounter(&end);
    program.Close();
    return Microseconds(start, end) / 1000.0;
}

void MeasureStartUp(simcd::SimController& sim)
{
    const int nRuns = g_bQuick ? 2 : 7;
    // 0 stands for the demo world (four drives, three discs).
    std::map<int, std::vector<double>> ondalux, floor;
    // Interleaved, so that a slow spell of the machine hits both alike.
    for (int n = 0; n < nRuns; n++)
    {
        for (int nDrives : { 0, kMaxDrives })
        {
            if (nDrives == 0)
                sim.BuildDemo();
            else
                DrivesWithDiscs(sim, nDrives);
            const int nRows = nDrives == 0 ? 4 : nDrives;
            floor[nDrives].push_back(StartUpMs(FloorExe(), nRows));
            ondalux[nDrives].push_back(StartUpMs(OndaluxExe(), nRows));
        }
    }
    for (const auto& runs : ondalux)
    {
        const double dMedian = Summarise(runs.second).median;
        const double dFloor = Summarise(floor[runs.first]).median;
        std::printf("| start-up, %-9s | %.0f ms | %.0f ms | %.2f x |\n", runs.first == 0 ? "demo" : "24 drives",
                    dMedian, dFloor, Ratio(dMedian, dFloor));
    }
}

// The program's MCI commands, tick by tick, over about a second: groups of
// commands apart by more than 40 ms; a group cut by the start or end of the
// look is left out.
std::vector<Commands> TicksOf(simcd::SimController& sim, DWORD dwProcessId)
{
    sim.ClearJournal();
    ::Sleep(1250);
    std::vector<Commands> ticks;
    uint64_t last = 0;
    for (const simcd::SimJournalEntry& e : sim.GetJournal())
    {
        if (e.processId != dwProcessId)
            continue;
        if (ticks.empty() || e.timeUs - last > 40000)
            ticks.emplace_back();
        ticks.back().push_back(e);
        last = e.timeUs;
    }
    if (ticks.size() > 2)
        ticks.erase(ticks.begin());
    ticks.pop_back();
    if (ticks.size() > 10)
        ticks.resize(10);
    return ticks;
}

// The ticks as platform_floor's --tick argument.
std::string TickArgument(const std::vector<Commands>& ticks)
{
    std::string text;
    char command[64];
    for (const Commands& tick : ticks)
    {
        if (!text.empty())
            text += '/';
        for (const simcd::SimJournalEntry& e : tick)
        {
            std::snprintf(command, sizeof command, "%s%c.%x.%x.%x.%x", text.empty() || text.back() == '/' ? "" : ",",
                          e.drive, e.command, e.flags, e.item, e.track);
            text += command;
        }
    }
    return text;
}

// CPU of a process and of the wineserver over the idle look, in ms.
struct IdleCpu
{
    double dProgram = 0;
    double dServer = 0;
};

IdleCpu MeasureCpu(const std::string& exe, UnixCpuClock& serverClock, DWORD dwMs)
{
    IdleCpu idle;
    const int nPid = UnixPidOf(exe);
    const double dProgram0 = UnixCpuMs(nPid);
    const uint64_t server0 = serverClock.NowNs();
    ::Sleep(dwMs);
    idle.dProgram = UnixCpuMs(nPid) - dProgram0;
    idle.dServer = static_cast<double>(serverClock.NowNs() - server0) / 1e6;
    return idle;
}

void MeasureIdle(simcd::SimController& sim, int nServerPid)
{
    UnixCpuClock serverClock(nServerPid);
    const DWORD dwMs = g_bQuick ? 2000 : 10000;
    const int nRounds = g_bQuick ? 1 : 3;
    for (bool bPlaying : { false, true })
    {
        std::vector<double> program, programServer, floor, floorServer;
        for (int n = 0; n < nRounds; n++)
        {
            DrivesWithDiscs(sim, 4);
            std::string ticks;
            {
                probe::RemoteProgram ondalux;
                if (!ondalux.Start(OndaluxExe()) || !ondalux.WaitForWindow(4))
                    return;
                if (bPlaying)
                {
                    ondalux.Select({ 0, 1, 2, 3 });
                    ondalux.Command(ID_CD_PLAY);
                }
                ::Sleep(500);
                ticks = TickArgument(TicksOf(sim, ondalux.Id()));  // past the first whole second
                const IdleCpu cpu = MeasureCpu(OndaluxExe(), serverClock, dwMs);
                program.push_back(cpu.dProgram);
                programServer.push_back(cpu.dServer);
                ondalux.Close();
            }
            {
                probe::RemoteProgram platform;
                ::SetEnvironmentVariableA("FLOOR_PLAY", bPlaying ? "1" : nullptr);
                ::SetEnvironmentVariableA("FLOOR_TICK", ticks.c_str());
                const bool bStarted = platform.Start(FloorExe());
                ::SetEnvironmentVariableA("FLOOR_PLAY", nullptr);
                ::SetEnvironmentVariableA("FLOOR_TICK", nullptr);
                if (!bStarted || !platform.WaitForWindow(4))
                    return;
                ::Sleep(1750);
                const IdleCpu cpu = MeasureCpu(FloorExe(), serverClock, dwMs);
                floor.push_back(cpu.dProgram);
                floorServer.push_back(cpu.dServer);
                platform.Close();
            }
        }
        const double dProgram = Summarise(program).median, dServer = Summarise(programServer).median;
        const double dFloor = Summarise(floor).median, dFloorServer = Summarise(floorServer).median;
        std::printf("| CPU over %lu s, 4 drives %-7s | %.0f + %.0f ms | %.0f + %.0f ms | %.2f x |\n",
                    static_cast<unsigned long>(dwMs / 1000), bPlaying ? "playing" : "stopped", dProgram, dServer,
                    dFloor, dFloorServer, Ratio(dProgram + dServer, dFloor + dFloorServer));
    }
}
}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; i++)
    {
        g_bQuick = g_bQuick || std::strcmp(argv[i], "--quick") == 0;
        g_bTicksOnly = g_bTicksOnly || std::strcmp(argv[i], "--ticks") == 0;
        g_bProgramOnly = g_bProgramOnly || std::strcmp(argv[i], "--program-only") == 0;
        if (std::strncmp(argv[i], "--program=", 10) == 0)
            g_program = argv[i] + 10;
    }
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, ::GetCommandLineA(), SW_SHOWNORMAL);
    simcd::SimController sim;
    if (!sim.IsAttached())
    {
        std::fprintf(stderr, "benchmark: %s\n", sim.GetLastError().c_str());
        return 1;
    }
    sim.SetTimeFactor(1.0);
    const int nServerPid = WineServerPid();
    if (!nServerPid)
        std::printf("(wineserver not found: its CPU reads 0)\n");

    if (!g_bProgramOnly)
    {
        std::printf("| refresh tick (us) | wall median | floor | ratio | CPU median | floor | ratio "
                    "| wineserver median | floor | ratio | wall: procedure + painting |\n");
        std::printf("|---|---|---|---|---|---|---|---|---|---|---|\n");
        for (int nDrives : { 1, 4, kMaxDrives })
            MeasureTicks(sim, nDrives, nServerPid);
        std::printf("\n");
        MeasureCommandsPerTick(sim);
        std::printf("\n");
    }
    if (g_bTicksOnly)
    {
        sim.RemoveAllDrives();
        return 0;
    }
    // The window that the floor's plays notify.
    HWND hNotify = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::printf("| start skew | median | floor | ratio | |\n|---|---|---|---|---|\n");
    for (int nDrives : { 2, 4, kMaxDrives })
        MeasureSkew(sim, nDrives, hNotify);
    ::DestroyWindow(hNotify);
    std::printf("\n| start-up to the first painted frame | median | floor | ratio |\n|---|---|---|---|\n");
    MeasureStartUp(sim);
    std::printf("\n| CPU, program + wineserver | program | floor | ratio |\n|---|---|---|---|\n");
    MeasureIdle(sim, nServerPid);
    sim.RemoveAllDrives();
    return 0;
}
