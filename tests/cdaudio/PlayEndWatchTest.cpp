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

// Readings every 100 ms from the time from to the time to (exclusive) in one
// mode; the position moves by step a reading and wobbles by wobble either way.
struct Stretch
{
    DWORD dwFrom, dwTo, dwMode, dwPosition, dwStep, dwWobble;
};

TEST(PlayEndWatchTest, EndsAreTakenOnlyOnceTheDriveWasSeenPlayingAndNeverFromAPositionPastTheDisc)
{
    const struct
    {
        const char* name;
        BOOL bBeforeKnown;
        DWORD dwBefore;
        std::vector<Stretch> stretches;
        DWORD dwEndsAt;  // the time of the reading that shows the end
    } cases[] = {
        // Repeat after the end: a second's seek, reporting the end, then the
        // disc from its start; stopped at its end again.
        { "seek, then stopped at the end",
          TRUE,
          kEnd,
          { { 100, 1100, P, kEnd, 0, 0 }, { 1100, 3000, P, kStart, 900, 0 }, { 3000, 3500, S, kEnd, 0, 0 } },
          3000 },
        { "seek reported as seeking, then stuck at the end, wobbling",
          TRUE,
          kEnd,
          { { 100, 1100, K, kEnd, 0, 0 }, { 1100, 3100, P, kEnd - 20000, 1000, 0 }, { 3100, 4500, P, kEnd, 0, 67 } },
          4100 },
        // Stood at the end for longer than it takes to stand still, but only
        // while seeking: the play had not begun.
        { "a seek of a second at the end, from an unknown place",
          FALSE,
          0,
          { { 50, 1140, P, kEnd, 0, 67 }, { 1140, 1900, P, kStart, 300, 0 } },
          kNever },
        { "positions always past the disc, said to play",
          TRUE,
          kEnd + 1000,
          { { 100, 6000, P, kEnd + 1000, 0, 0 } },
          kNever },
        { "positions always past the disc, then stopped",
          TRUE,
          kEnd + 1000,
          { { 100, 4000, P, kEnd + 1000, 0, 0 }, { 4000, 4500, S, kEnd + 1000, 0, 0 } },
          4000 },
        { "a play from the end that the drive never shows", FALSE, 0, { { 100, 3000, S, kEnd, 0, 0 } }, 2000 },
        { "stopped in the middle of the disc",
          TRUE,
          kStart,
          { { 100, 1000, P, 50000, 100, 0 }, { 1000, 4000, S, 51000, 0, 0 } },
          kNever },
        { "standing still well before the end", TRUE, kStart, { { 100, 4000, P, kEnd - 1500, 0, 0 } }, kNever },
    };
    for (const auto& c : cases)
    {
        CPlayEndWatch watch;
        watch.Start(0, c.bBeforeKnown, c.dwBefore);
        DWORD dwEndsAt = kNever;
        for (const Stretch& s : c.stretches)
            for (DWORD t = s.dwFrom, i = 0; t < s.dwTo && dwEndsAt == kNever; t += 100, i++)
                if (watch.HasEnded(s.dwMode,
                                   s.dwPosition + i * s.dwStep + (i % 2 ? s.dwWobble : 0) - (i % 2 ? 0 : s.dwWobble),
                                   kEnd, t))
                    dwEndsAt = t;
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
