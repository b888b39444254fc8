#include "cdaudio/CCDAudioDevice.h"

CCDAudioDevice::CCDAudioDevice(LPCSTR pszDrive, HWND hNotifyWnd) : m_hNotifyWnd(hNotifyWnd), m_dwPosition(0)
{
    // A cleared block keeps a failed open from leaving a stray device id
    // behind; the id is dropped as well in case the system wrote one anyway.
    // With id 0 every later command fails harmlessly and the track count is 0.
    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = reinterpret_cast<LPCSTR>(static_cast<DWORD_PTR>(MCI_DEVTYPE_CD_AUDIO));
    open.lpstrElementName = pszDrive;
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE | MCI_WAIT,
                        reinterpret_cast<DWORD_PTR>(&open)) == 0)
        m_device.Attach(open.wDeviceID);

    MCI_SET_PARMS set = {};
    set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    mciSendCommandA(m_device.Get(), MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&set));

    m_dwPosition = GetStartPosition();
    const DWORD nTracks = QueryStatus(MCI_STATUS_ITEM, MCI_STATUS_NUMBER_OF_TRACKS);

    m_aTrackStart.SetSize(static_cast<int>(nTracks));
    m_aTrackLength.SetSize(static_cast<int>(nTracks));

    // One block serves every track query, as the device fills it in.
    MCI_STATUS_PARMS status = {};
    for (DWORD t = 1; t <= nTracks; t++)
    {
        status.dwTrack = t;
        status.dwItem = MCI_STATUS_POSITION;
        mciSendCommandA(m_device.Get(), MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, reinterpret_cast<DWORD_PTR>(&status));
        m_aTrackStart.SetAt(static_cast<int>(t - 1), static_cast<DWORD>(status.dwReturn));

        status.dwItem = MCI_STATUS_LENGTH;
        mciSendCommandA(m_device.Get(), MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, reinterpret_cast<DWORD_PTR>(&status));
        m_aTrackLength.SetAt(static_cast<int>(t - 1), static_cast<DWORD>(status.dwReturn));
    }
}

CCDAudioDevice::~CCDAudioDevice() = default;

CCDAudioDevice::COpenDevice::~COpenDevice()
{
    if (m_wDeviceID == 0)
        return;
    mciSendCommandA(m_wDeviceID, MCI_STOP, MCI_WAIT, 0);
    mciSendCommandA(m_wDeviceID, MCI_CLOSE, 0, 0);
}

// A status query whose result reads 0 when the device does not answer.
DWORD CCDAudioDevice::QueryStatus(DWORD dwFlags, DWORD dwItem)
{
    MCI_STATUS_PARMS status = {};
    status.dwItem = dwItem;
    mciSendCommandA(m_device.Get(), MCI_STATUS, dwFlags, reinterpret_cast<DWORD_PTR>(&status));
    return static_cast<DWORD>(status.dwReturn);
}

DWORD CCDAudioDevice::GetStartPosition()
{
    return QueryStatus(MCI_STATUS_ITEM | MCI_STATUS_START, MCI_STATUS_POSITION);
}

DWORD CCDAudioDevice::GetLength()
{
    return QueryStatus(MCI_STATUS_ITEM, MCI_STATUS_LENGTH);
}

DWORD CCDAudioDevice::GetMode()
{
    return QueryStatus(MCI_STATUS_ITEM, MCI_STATUS_MODE);
}

DWORD CCDAudioDevice::IsMediaPresent()
{
    return QueryStatus(MCI_STATUS_ITEM, MCI_STATUS_MEDIA_PRESENT);
}

BOOL CCDAudioDevice::PlayFrom(DWORD dwFrom)
{
    MCI_PLAY_PARMS play = {};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(m_hNotifyWnd);
    play.dwFrom = dwFrom;
    const DWORD dwFlags = m_hNotifyWnd ? MCI_FROM | MCI_NOTIFY : MCI_FROM;
    const BOOL bAccepted = mciSendCommandA(m_device.Get(), MCI_PLAY, dwFlags, reinterpret_cast<DWORD_PTR>(&play)) == 0;
    // Only an accepted command owes its notification.
    m_bPlayOpen = bAccepted && m_hNotifyWnd;
    if (m_bPlayOpen)
        m_nNotifyOwed++;
    return bAccepted;
}

BOOL CCDAudioDevice::Play()
{
    return PlayUnlessPlaying(GetMode());
}

BOOL CCDAudioDevice::PlayUnlessPlaying(DWORD dwMode)
{
    if (dwMode == MCI_MODE_PLAY)
        return TRUE;
    return PlayFrom(m_dwPosition);
}

// Pauses in every mode and takes the device's position as the remembered one.
BOOL CCDAudioDevice::Pause()
{
    mciSendCommandA(m_device.Get(), MCI_PAUSE, MCI_WAIT, 0);
    m_dwPosition = QueryStatus(MCI_STATUS_ITEM, MCI_STATUS_POSITION);
    m_bPlayOpen = FALSE;
    return TRUE;
}

// A playing drive goes on playing from the new position; any other drive
// only remembers it for its next play.
BOOL CCDAudioDevice::Seek(DWORD dwPosition)
{
    if (IsPlaying())
    {
        mciSendCommandA(m_device.Get(), MCI_PAUSE, MCI_WAIT, 0);
        return PlayFrom(dwPosition);
    }
    m_dwPosition = dwPosition;
    m_bPlayOpen = FALSE;
    return TRUE;
}

// Stops a playing drive and rewinds to the start of the track that holds
// the position; a paused drive stays paused.
BOOL CCDAudioDevice::Stop()
{
    if (IsPlaying())
    {
        mciSendCommandA(m_device.Get(), MCI_STOP, MCI_WAIT, 0);
        m_dwPosition = QueryStatus(MCI_STATUS_ITEM, MCI_STATUS_POSITION);
    }
    DWORD t = TrackOf(m_dwPosition);
    // A position past the last track rewinds to the last track's start.
    if (t > static_cast<DWORD>(GetTrackCount()) && GetTrackCount() > 0)
        t = static_cast<DWORD>(GetTrackCount());
    Seek(m_aTrackStart.GetAt(static_cast<int>(t - 1)));
    return TRUE;
}

DWORD CCDAudioDevice::GetPosition()
{
    if (IsPlaying())
        return QueryStatus(MCI_STATUS_ITEM, MCI_STATUS_POSITION);
    return m_dwPosition;
}

// 1 to track count + 1 (past the last track), whatever the device reports,
// so that track stepping always lands inside the table.
DWORD CCDAudioDevice::GetCurrentTrack()
{
    if (!IsPlaying())
        return TrackOf(m_dwPosition);
    const DWORD dwTrack = QueryStatus(MCI_STATUS_ITEM | MCI_WAIT, MCI_STATUS_CURRENT_TRACK);
    const DWORD dwPastLast = static_cast<DWORD>(GetTrackCount()) + 1;
    if (dwTrack < 1)
        return 1;
    return dwTrack > dwPastLast ? dwPastLast : dwTrack;
}

BOOL CCDAudioDevice::Eject()
{
    MCI_SET_PARMS set = {};
    mciSendCommandA(m_device.Get(), MCI_SET, MCI_SET_DOOR_OPEN, reinterpret_cast<DWORD_PTR>(&set));
    m_bPlayOpen = FALSE;
    return TRUE;
}

DWORD CCDAudioDevice::GetDrivePosition()
{
    return QueryStatus(MCI_STATUS_ITEM, MCI_STATUS_POSITION);
}

BOOL CCDAudioDevice::NotifyArrived()
{
    if (m_nNotifyOwed > 0)
        m_nNotifyOwed--;
    if (m_nNotifyOwed == 0)
        m_bPlayOpen = FALSE;  // it answers the latest play
    if (m_nStaleOwed == 0)
        return TRUE;
    m_nStaleOwed--;
    return FALSE;
}

// Whatever is owed now answers the play just taken or earlier ones; a later
// play's notification comes after them.
void CCDAudioDevice::TakeEnd()
{
    m_bPlayOpen = FALSE;
    m_nStaleOwed = m_nNotifyOwed;
}

DWORD CCDAudioDevice::GetDiscEnd() const
{
    const int nLast = GetTrackCount() - 1;
    return nLast < 0 ? 0 : m_aTrackStart.GetAt(nLast) + m_aTrackLength.GetAt(nLast);
}

// The first track whose end lies beyond the position; a position of exactly
// start + length - 1 belongs to the next track. Past the last: count + 1.
DWORD CCDAudioDevice::TrackOf(DWORD dwPosition) const
{
    const int nTracks = GetTrackCount();
    for (int i = 0; i < nTracks; i++)
    {
        if (dwPosition < m_aTrackStart.GetAt(i) + m_aTrackLength.GetAt(i) - 1)
            return static_cast<DWORD>(i + 1);
    }
    return static_cast<DWORD>(nTracks + 1);
}
