#include "cdaudio/CPlayEndWatch.h"

#include <mmsystem.h>

void CPlayEndWatch::Start(DWORD dwNow, BOOL bBeforeKnown, DWORD dwBefore)
{
    m_dwSentAt = dwNow;
    m_bSeen = FALSE;
    m_bReference = bBeforeKnown;
    m_dwReference = dwBefore;
    m_bStill = FALSE;
}

BOOL CPlayEndWatch::IsSamePlace(DWORD dwFirst, DWORD dwSecond)
{
    return (dwFirst > dwSecond ? dwFirst - dwSecond : dwSecond - dwFirst) <= TOLERANCE_MS;
}

BOOL CPlayEndWatch::HasEnded(DWORD dwMode, DWORD dwPosition, DWORD dwEnd, DWORD dwNow)
{
    if (dwMode != MCI_MODE_PLAY && dwMode != MCI_MODE_STOP)
    {
        m_bStill = FALSE;
        return FALSE;
    }

    // A seeking drive reports where it stood before the play: the play has
    // not begun until the drive moves away from there.
    if (!m_bReference)
    {
        m_dwReference = dwPosition;
        m_bReference = TRUE;
    }
    else if (!IsSamePlace(dwPosition, m_dwReference))
    {
        m_bSeen = TRUE;
    }

    if (dwMode != MCI_MODE_PLAY || !m_bStill || !IsSamePlace(dwPosition, m_dwStillAt))
    {
        m_bStill = dwMode == MCI_MODE_PLAY;
        m_dwStillAt = dwPosition;
        m_dwStillSince = dwNow;
    }

    if (!m_bSeen && dwNow - m_dwSentAt < SEEK_COVER_MS)
        return FALSE;
    const BOOL bReached = static_cast<ULONGLONG>(dwPosition) + END_MARGIN_MS >= dwEnd;
    if (dwMode == MCI_MODE_STOP)
        return bReached;
    // A drive that says it plays far past the disc reports no position worth
    // the name: its end is never taken from one.
    return bReached && dwPosition <= dwEnd + TOLERANCE_MS && dwNow - m_dwStillSince >= STILL_MS;
}
