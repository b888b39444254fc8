// Wall time of one refresh tick of the drive list with 1, 4 and every
// simulated drive (A:, B:, D: to Y:) playing: the median over 1,000 ticks,
// and the medians of the ordinary and of the whole-second ticks apart.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "drivelist/CCDDriveListWnd.h"
#include "simcd/SimController.h"

class CBenchApp : public CWinApp
{};

CBenchApp theApp;

namespace
{
const char kLetters[] = "ABDEFGHIJKLMNOPQRSTUVWXY";
const int kTicks = 1000;

// The list with its refresh in the benchmark's hands.
class CBenchList : public CCDDriveListWnd
{
public:
    void Tick() { StatusTimerProc(m_hWnd, WM_TIMER, IDT_STATUS, 0); }
    bool WholeSecond() const { return m_nTick == 0; }
};

double Median(std::vector<double> times)
{
    if (times.empty())
        return 0;
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool Measure(simcd::SimController& sim, int nDrives)
{
    sim.RemoveAllDrives();
    for (int i = 0; i < nDrives; i++)
    {
        if (!sim.DefineDrive(kLetters[i]) || !sim.InsertDisc(kLetters[i], { 2400000, 2400000 }))
            return false;
    }
    CWnd host;
    CBenchList list;
    if (!host.CreateEx(0, AfxRegisterWndClass(0), "tick benchmark", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 900,
                       nullptr, nullptr) ||
        !list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 780, 860), &host, AFX_IDW_PANE_FIRST))
        return false;
    list.KillTimer(CCDDriveListWnd::IDT_STATUS);
    bool bPlaying = list.GetItemCount() == nDrives;
    for (int i = 0; bPlaying && i < nDrives; i++)
        bPlaying = list.GetDriveItem(i)->m_pDevice->Play() != FALSE;

    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<double> all, ordinary, wholeSecond;
    for (int n = 0; bPlaying && n < kTicks; n++)
    {
        ::QueryPerformanceCounter(&start);
        list.Tick();
        ::QueryPerformanceCounter(&end);
        const double us = static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 / frequency.QuadPart;
        all.push_back(us);
        (list.WholeSecond() ? wholeSecond : ordinary).push_back(us);
    }
    host.DestroyWindow();
    sim.RemoveAllDrives();
    if (!bPlaying)
        return false;
    std::printf("tick with %2d drive(s) playing: median %.0f us (ordinary %.0f us, whole-second %.0f us)\n", nDrives,
                Median(all), Median(ordinary), Median(wholeSecond));
    return true;
}
}  // namespace

int main()
{
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, ::GetCommandLineA(), SW_SHOWNORMAL);
    ::InitCommonControls();
    simcd::SimController sim;
    if (!sim.IsAttached())
    {
        std::fprintf(stderr, "no simulated drives: %s\n", sim.GetLastError().c_str());
        return 1;
    }
    sim.SetTimeFactor(1.0);
    for (int nDrives : { 1, 4, static_cast<int>(sizeof kLetters - 1) })
    {
        if (!Measure(sim, nDrives))
        {
            std::fprintf(stderr, "%d drives: could not set up or play: %s\n", nDrives, sim.GetLastError().c_str());
            return 1;
        }
    }
    return 0;
}
