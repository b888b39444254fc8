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

    // Which tracks hold audio. A driver that cannot say is taken at its word
    // that the disc is an audio CD.
    m_aTrackType.SetSize(static_cast<int>(nTracks));
    BOOL bAudio = FALSE;
    for (DWORD t = 1; t <= nTracks; t++)
    {
        MCI_STATUS_PARMS type = {};
        type.dwItem = MCI_CDA_STATUS_TYPE_TRACK;
        type.dwTrack = t;
        const BOOL bAnswered = mciSendCommandA(m_device.Get(), MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK,
                                               reinterpret_cast<DWORD_PTR>(&type)) == 0;
        const DWORD dwType = bAnswered ? static_cast<DWORD>(type.dwReturn) : MCI_CDA_TRACK_AUDIO;
        m_aTrackType.SetAt(static_cast<int>(t - 1), dwType);
        bAudio = bAudio || dwType != MCI_CDA_TRACK_OTHER;
    }
    // A disc without audio (a CD-ROM, a DVD) has nothing to play: no tracks.
    if (!bAudio)
    {
        m_aTrackStart.RemoveAll();
        m_aTrackLength.RemoveAll();
        m_aTrackType.RemoveAll();
    }
    m_dwPosition = AudioPosition(m_dwPosition);
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
    // A play never starts in a data track, nor outside the disc's audio,
    // where a drive may have said it paused (wobbling before the first
    // track, faulty past the last): the drive would refuse it. A play from
    // the end is one from the start.
    const BOOL bOutside = GetTrackCount() > 0 && (dwFrom < m_aTrackStart.GetAt(0) || dwFrom >= GetDiscEnd());
    play.dwFrom = bOutside ? FirstAudioStartFrom(0) : AudioPosition(dwFrom);
    const DWORD dwFlags = m_hNotifyWnd ? MCI_FROM | MCI_NOTIFY : MCI_FROM;
    const BOOL bAccepted = mciSendCommandA(m_device.Get(), MCI_PLAY, dwFlags, reinterpret_cast<DWORD_PTR>(&play)) == 0;
    // Only an accepted command owes its notification.
    m_bPlayOpen = bAccepted && m_hNotifyWnd;
    if (m_bPlayOpen)
    {
        m_nNotifyOwed++;
        m_bEndTaken = FALSE;
        m_watch.Start(::GetTickCount(), m_bDrivePositionKnown, m_dwDrivePosition);
    }
    return bAccepted;
}

BOOL CCDAudioDevice::Play()
{
    return PlayUnlessPlaying(GetMode());
}

BOOL CCDAudioDevice::PlayUnlessPlaying(DWORD dwMode)
{
    if (IsPlayingMode(dwMode))
        return TRUE;
    return PlayFrom(m_dwPosition);
}

// Pauses in every mode and takes the device's position as the remembered one.
BOOL CCDAudioDevice::Pause()
{
    mciSendCommandA(m_device.Get(), MCI_PAUSE, MCI_WAIT, 0);
    m_dwPosition = GetDrivePosition();
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
    m_dwPosition = AudioPosition(dwPosition);
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
        m_dwPosition = GetDrivePosition();
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
        return GetDrivePosition();
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

// Remembered as where the drive last stood, for the watch over a new play.
DWORD CCDAudioDevice::GetDrivePosition()
{
    m_dwDrivePosition = QueryStatus(MCI_STATUS_ITEM, MCI_STATUS_POSITION);
    m_bDrivePositionKnown = TRUE;
    return m_dwDrivePosition;
}

BOOL CCDAudioDevice::NotifyEndsPlay(WPARAM wCode)
{
    // A notification that comes while a later play owes its own answers a
    // replaced play.
    if (m_nNotifyOwed > 1)
    {
        m_nNotifyOwed--;
        return FALSE;
    }
    const BOOL bOwed = m_nNotifyOwed == 1;
    const BOOL bOpen = m_bPlayOpen;
    const BOOL bTaken = m_bEndTaken;
    m_nNotifyOwed = 0;
    m_bPlayOpen = FALSE;
    m_bEndTaken = FALSE;
    if (bOwed && bTaken)
        return FALSE;
    // One that no play owes is taken as it says.
    if (wCode == MCI_NOTIFY_SUCCESSFUL)
        return TRUE;
    return wCode == MCI_NOTIFY_FAILURE && bOpen &&
           static_cast<ULONGLONG>(GetDrivePosition()) + CPlayEndWatch::END_MARGIN_MS >= GetDiscEnd();
}

BOOL CCDAudioDevice::HasPlayEnded(DWORD dwMode, DWORD dwPosition)
{
    return m_bPlayOpen && m_watch.HasEnded(dwMode, dwPosition, GetDiscEnd(), ::GetTickCount());
}

void CCDAudioDevice::TakeEnd()
{
    m_bPlayOpen = FALSE;
    m_bEndTaken = TRUE;
}

DWORD CCDAudioDevice::GetDiscEnd() const
{
    for (int i = GetTrackCount() - 1; i >= 0; i--)
    {
        if (IsAudioTrack(i))
            return m_aTrackStart.GetAt(i) + m_aTrackLength.GetAt(i);
    }
    return 0;
}

// The start of the first audio track from track nIndex + 1 on, wrapping
// around to track 1; 0 without audio.
DWORD CCDAudioDevice::FirstAudioStartFrom(int nIndex) const
{
    const int nTracks = GetTrackCount();
    for (int i = 0; i < nTracks; i++)
    {
        const int nTrack = (nIndex + i) % nTracks;
        if (IsAudioTrack(nTrack))
            return m_aTrackStart.GetAt(nTrack);
    }
    return 0;
}

// A position inside a data track moves to the next audio track, or past the
// last one to the disc's first: no play may start in data. Any other
// position stays as it is.
DWORD CCDAudioDevice::AudioPosition(DWORD dwPosition) const
{
    for (int i = 0; i < GetTrackCount(); i++)
    {
        const DWORD dwStart = m_aTrackStart.GetAt(i);
        if (dwPosition >= dwStart && dwPosition - dwStart < m_aTrackLength.GetAt(i))
            return IsAudioTrack(i) ? dwPosition : FirstAudioStartFrom(i + 1);
    }
    return dwPosition;
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
