// Measures the program and prints a table (run by scripts/bench.sh):
//   - one refresh tick of the drive list, hosted here, with 1, 4 and every
//     drive playing: wall time and CPU time of this thread and of the
//     wineserver, each with the painting the tick caused;
//   - MCI commands per row per ordinary and per whole-second tick;
//   - the start skew of a synchronised play of the built program;
//   - start-up to the first painted frame beside a bare Win32 window's;
//   - idle CPU of the built program with four drives stopped and playing.
//   benchmark [--quick] [--ticks]   (--quick: fewer repetitions; --ticks:
//                                    the refresh tick and its commands only)
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
{
};

CBenchApp theApp;

namespace
{
const char kLetters[] = "ABDEFGHIJKLMNOPQRSTUVWXY";
const int kMaxDrives = sizeof kLetters - 1;
bool g_bQuick = false;
bool g_bTicksOnly = false;

// The list with its refresh in the benchmark's hands.
class CBenchList : public CCDDriveListWnd
{
public:
    void Tick() { StatusTimerProc(m_hWnd, WM_TIMER, IDT_STATUS, ::GetTickCount()); }
    bool WholeSecond() const { return m_nTick == 0; }
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

void MeasureTicks(simcd::SimController& sim, int nDrives, int nServerPid)
{
    DrivesWithDiscs(sim, nDrives);
    HostedList hosted;
    for (int i = 0; i < hosted.list.GetItemCount(); i++)
        hosted.list.GetDriveItem(i)->m_pDevice->Play();

    // This program's own CPU: the benchmark runs on its main thread.
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, sizeof exe);
    UnixCpuClock clock(UnixPidOf(exe));
    UnixCpuClock serverClock(nServerPid);
    std::vector<double> wall, cpu, server;
    const int nTicks = g_bQuick ? 100 : 1000;
    for (int n = 0; n < nTicks; n++)
    {
        const uint64_t server0 = serverClock.NowNs();
        const uint64_t cpu0 = clock.NowNs();
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        hosted.list.Tick();
        Pump();  // the painting that the tick asked for
        ::QueryPerformanceCounter(&end);
        const uint64_t cpu1 = clock.NowNs();
        const uint64_t server1 = serverClock.NowNs();
        wall.push_back(Microseconds(start, end));
        cpu.push_back(static_cast<double>(cpu1 - cpu0) / 1000.0);
        server.push_back(static_cast<double>(server1 - server0) / 1000.0);
        ::Sleep(1);
    }
    const Stats w = Summarise(wall), c = Summarise(cpu), s = Summarise(server);
    std::printf("| tick, %2d playing | %7.0f | %7.0f | %7.0f | %7.0f | %7.0f | %7.0f |\n", nDrives, w.median, w.p95,
                c.median, c.p95, s.median, s.p95);
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

std::string OndaluxExe()
{
    return probe::WindowsPath(ONDALUX_EXE);
}

void MeasureSkew(simcd::SimController& sim, int nDrives)
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
    std::vector<double> skews;
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
            skews.push_back(static_cast<double>(times.back() - times[times.size() - static_cast<size_t>(nDrives)]) / 1000.0);
    }
    program.Close();
    const Stats s = Summarise(skews);
    std::printf("| start skew, %2d drives | median %.2f ms | p95 %.2f ms | %zu plays |\n", nDrives, s.median, s.p95,
                skews.size());
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
    const std::string bare = probe::WindowsPath(BARE_WINDOW_EXE);
    const int nRuns = g_bQuick ? 2 : 7;
    std::map<int, std::vector<double>> ondalux;
    std::vector<double> bareTimes;
    // Interleaved, so that a slow spell of the machine hits both alike.
    for (int n = 0; n < nRuns; n++)
    {
        bareTimes.push_back(StartUpMs(bare, probe::RemoteProgram::kAnyWindow));
        for (int nDrives : { 4, kMaxDrives })
        {
            DrivesWithDiscs(sim, nDrives);
            ondalux[nDrives].push_back(StartUpMs(OndaluxExe(), nDrives));
        }
    }
    const double dBare = Summarise(bareTimes).median;
    std::printf("| start-up, bare window | median %.0f ms | |\n", dBare);
    for (const auto& runs : ondalux)
    {
        const double dMedian = Summarise(runs.second).median;
        std::printf("| start-up, %2d drives | median %.0f ms | %.2f x bare |\n", runs.first, dMedian,
                    dMedian / dBare);
    }
}

void MeasureIdle(simcd::SimController& sim, int nServerPid)
{
    DrivesWithDiscs(sim, 4);
    probe::RemoteProgram program;
    if (!program.Start(OndaluxExe()) || !program.WaitForWindow(4))
        return;
    const int nPid = UnixPidOf(OndaluxExe());
    UnixCpuClock serverClock(nServerPid);
    const DWORD dwMs = g_bQuick ? 2000 : 10000;
    for (bool bPlaying : { false, true })
    {
        if (bPlaying)
        {
            program.Select({ 0, 1, 2, 3 });
            program.Command(ID_CD_PLAY);
        }
        ::Sleep(1500);  // past the first whole second
        const double dProgram0 = UnixCpuMs(nPid);
        const uint64_t server0 = serverClock.NowNs();
        ::Sleep(dwMs);
        const double dProgram = UnixCpuMs(nPid) - dProgram0;
        const double dServer = static_cast<double>(serverClock.NowNs() - server0) / 1e6;
        std::printf("| idle CPU, 4 drives %-7s | program %.1f %% | wineserver %.1f %% | over %lu s |\n",
                    bPlaying ? "playing" : "stopped", 100.0 * dProgram / dwMs, 100.0 * dServer / dwMs,
                    static_cast<unsigned long>(dwMs / 1000));
    }
    program.Close();
}
}

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; i++)
    {
        g_bQuick = g_bQuick || std::strcmp(argv[i], "--quick") == 0;
        g_bTicksOnly = g_bTicksOnly || std::strcmp(argv[i], "--ticks") == 0;
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

    std::printf("| refresh tick (us) | wall median | wall p95 | CPU median | CPU p95 | wineserver median | wineserver p95 |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    for (int nDrives : { 1, 4, kMaxDrives })
        MeasureTicks(sim, nDrives, nServerPid);
    std::printf("\n");
    MeasureCommandsPerTick(sim);
    std::printf("\n");
    if (g_bTicksOnly)
    {
        sim.RemoveAllDrives();
        return 0;
    }
    for (int nDrives : { 2, 4, kMaxDrives })
        MeasureSkew(sim, nDrives);
    std::printf("\n");
    MeasureStartUp(sim);
    std::printf("\n");
    MeasureIdle(sim, nServerPid);
    sim.RemoveAllDrives();
    return 0;
}
