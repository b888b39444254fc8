// Whether a play has come to the end of its disc, judged from the mode and
// position that the refresh reads ten times a second: for drivers that
// never report the end of a play. Real drives make this harder than it
// looks: after a play command a drive may seek for up to a second,
// reporting its old place meanwhile; the positions it reports wobble by a
// few frames; a faulty one reports positions past the disc.
#pragma once

#include <windows.h>

class CPlayEndWatch
{
public:
    // Positions closer than this count as the same place: a few frames.
    static constexpr DWORD TOLERANCE_MS = 160;
    // How near the end of its disc a play counts as ended.
    static constexpr DWORD END_MARGIN_MS = 1000;
    // How long a drive that says it plays must stand still there.
    static constexpr DWORD STILL_MS = 1000;
    // Longer than a drive's seek: a play not seen moving by then is judged
    // as it stands.
    static constexpr DWORD SEEK_COVER_MS = 2000;

    // A play was sent at dwNow; the drive last reported dwBefore, if known.
    void Start(DWORD dwNow, BOOL bBeforeKnown, DWORD dwBefore);

    // One reading of the open play: the drive's mode and, when it plays or
    // is stopped, its own position; dwEnd is where the disc's audio ends.
    // The play has ended when the drive, once seen playing it (or after a
    // seek's time), is stopped at or past the end, or says it plays at the
    // end without moving for a while.
    BOOL HasEnded(DWORD dwMode, DWORD dwPosition, DWORD dwEnd, DWORD dwNow);

    static BOOL IsSamePlace(DWORD dwFirst, DWORD dwSecond);

private:
    DWORD m_dwSentAt = 0;
    BOOL m_bSeen = FALSE;  // the drive has moved since the play was sent
    BOOL m_bReference = FALSE;
    DWORD m_dwReference = 0;  // where the drive stood when the play was sent
    BOOL m_bStill = FALSE;    // a "playing" drive stands at m_dwStillAt
    DWORD m_dwStillAt = 0;
    DWORD m_dwStillSince = 0;
};
