// CPlayEndWatch against readings as real drives give them: seeking with the
// old position, wobbling, standing still at the end, reporting past it.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <vector>

#include "cdaudio/CPlayEndWatch.h"

namespace
{
const DWORD kStart = 2000, kEnd = 182000, kNever = ~0u;
const DWORD P = MCI_MODE_PLAY, S = MCI_MODE_STOP, K = MCI_MODE_SEEK;

struct Reading
{
    DWORD dwTime, dwMode, dwPosition;
};

// Readings every 100 ms from dwFrom to dwTo (exclusive) in one mode; the
// position moves by dwStep a reading and wobbles by dwWobble either way.
void Add(std::vector<Reading>& readings, DWORD dwFrom, DWORD dwTo, DWORD dwMode, DWORD dwPosition, DWORD dwStep = 0,
         DWORD dwWobble = 0)
{
    for (DWORD t = dwFrom, i = 0; t < dwTo; t += 100, i++)
        readings.push_back({ t, dwMode, dwPosition + i * dwStep + (i % 2 ? dwWobble : 0) - (i % 2 ? 0 : dwWobble) });
}

TEST(PlayEndWatchTest, EndsAreTakenOnlyOnceTheDriveWasSeenPlayingAndNeverFromAPositionPastTheDisc)
{
    struct Case
    {
        const char* name;
        BOOL bBeforeKnown;
        DWORD dwBefore;
        std::vector<Reading> readings;
        DWORD dwEndsAt;  // the time of the reading that shows the end
    };
    std::vector<Case> cases;
    {
        // Repeat after the end: a second's seek, reporting the end, then the
        // disc from its start; stopped at its end again.
        Case c{ "seek, then stopped at the end", TRUE, kEnd, {}, 3000 };
        Add(c.readings, 100, 1100, P, kEnd);
        Add(c.readings, 1100, 3000, P, kStart, 900);
        Add(c.readings, 3000, 3500, S, kEnd);
        cases.push_back(c);
    }
    {
        Case c{ "seek reported as seeking, then stuck at the end, wobbling", TRUE, kEnd, {}, 4100 };
        Add(c.readings, 100, 1100, K, kEnd);
        Add(c.readings, 1100, 3100, P, kEnd - 20000, 1000);
        Add(c.readings, 3100, 4500, P, kEnd, 0, 67);
        cases.push_back(c);
    }
    {
        // Stood at the end for longer than it takes to stand still, but only
        // while seeking: the play had not begun.
        Case c{ "a seek of a second at the end, from an unknown place", FALSE, 0, {}, kNever };
        Add(c.readings, 50, 1140, P, kEnd, 0, 67);
        Add(c.readings, 1140, 1900, P, kStart, 300);
        cases.push_back(c);
    }
    {
        Case c{ "positions always past the disc, said to play", TRUE, kEnd + 1000, {}, kNever };
        Add(c.readings, 100, 6000, P, kEnd + 1000);
        cases.push_back(c);
    }
    {
        Case c{ "positions always past the disc, then stopped", TRUE, kEnd + 1000, {}, 4000 };
        Add(c.readings, 100, 4000, P, kEnd + 1000);
        Add(c.readings, 4000, 4500, S, kEnd + 1000);
        cases.push_back(c);
    }
    {
        Case c{ "a play from the end that the drive never shows", FALSE, 0, {}, 2000 };
        Add(c.readings, 100, 3000, S, kEnd);
        cases.push_back(c);
    }
    {
        Case c{ "stopped in the middle of the disc", TRUE, kStart, {}, kNever };
        Add(c.readings, 100, 1000, P, 50000, 100);
        Add(c.readings, 1000, 4000, S, 51000);
        cases.push_back(c);
    }
    {
        Case c{ "standing still well before the end", TRUE, kStart, {}, kNever };
        Add(c.readings, 100, 4000, P, kEnd - 1500);
        cases.push_back(c);
    }
    for (const Case& c : cases)
    {
        CPlayEndWatch watch;
        watch.Start(0, c.bBeforeKnown, c.dwBefore);
        DWORD dwEndsAt = kNever;
        for (const Reading& r : c.readings)
        {
            if (watch.HasEnded(r.dwMode, r.dwPosition, kEnd, r.dwTime))
            {
                dwEndsAt = r.dwTime;
                break;
            }
        }
        EXPECT_EQ(c.dwEndsAt, dwEndsAt) << c.name;
    }
}

// The watch starts afresh with every play: standing still before it does
// not count.
TEST(PlayEndWatchTest, EveryPlayStartsTheWatchAfresh)
{
    CPlayEndWatch watch;
    watch.Start(0, TRUE, kStart);
    for (DWORD t = 100; t < 1000; t += 100)
        EXPECT_FALSE(watch.HasEnded(P, kEnd, kEnd, t));
    watch.Start(1000, TRUE, kEnd);
    for (DWORD t = 1100; t < 3000; t += 100)
        EXPECT_FALSE(watch.HasEnded(P, kEnd, kEnd, t)) << t;
    EXPECT_TRUE(watch.HasEnded(P, kEnd, kEnd, 3000));
}
}  // namespace
