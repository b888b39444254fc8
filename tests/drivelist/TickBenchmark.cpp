// Wall time of one refresh tick with 1, 4 and every simulated drive playing:
// prints the medians, asserts nothing about them. The simulated drives take
// the letters D: to Y:, so "every" is 22.
#include "DriveListTestSupport.h"

#include <algorithm>
#include <cstdio>

namespace
{
class DriveListBenchmark : public DriveListTest
{
protected:
    static double Median(std::vector<double> times)
    {
        if (times.empty())
            return 0;
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    }

    void Measure(int nDrives)
    {
        const int kTicks = 1000;
        for (int i = 0; i < nDrives; i++)
            DriveWithDisc(static_cast<char>('D' + i), { 2400000, 2400000 });
        CreateList();
        ASSERT_EQ(nDrives, m_pList->GetItemCount());
        for (int i = 0; i < nDrives; i++)
            ASSERT_TRUE(m_pList->GetDriveItem(i)->m_pDevice->Play());

        LARGE_INTEGER frequency, start, end;
        ::QueryPerformanceFrequency(&frequency);
        std::vector<double> all, ordinary, wholeSecond;
        for (int n = 0; n < kTicks; n++)
        {
            ::QueryPerformanceCounter(&start);
            m_pList->Tick();
            ::QueryPerformanceCounter(&end);
            const double us = static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 / frequency.QuadPart;
            all.push_back(us);
            (CTestDriveList::GetTick() == 0 ? wholeSecond : ordinary).push_back(us);
        }
        EXPECT_EQ("再生中", std::string(m_pList->GetItemText(nDrives - 1, 1)));

        std::printf("tick with %2d drive(s) playing, %d ticks: median %.0f us "
                    "(ordinary %.0f us, whole-second %.0f us)\n",
                    nDrives, kTicks, Median(all), Median(ordinary), Median(wholeSecond));
        RecordProperty("median_us", static_cast<int>(Median(all)));
        RecordProperty("whole_second_median_us", static_cast<int>(Median(wholeSecond)));
        DestroyList();
        m_sim.RemoveAllDrives();
    }
};
}

TEST_F(DriveListBenchmark, OneDrive) { Measure(1); }
TEST_F(DriveListBenchmark, FourDrives) { Measure(4); }
TEST_F(DriveListBenchmark, EveryDrive) { Measure('Y' - 'D' + 1); }
