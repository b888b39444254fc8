// One opened MCI CD audio device for one drive: its table of contents, its
// status queries and its transport operations over a remembered position.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "framework/CDWordArray.h"
#include "cdaudio/CPlayEndWatch.h"

class CCDAudioDevice
{
public:
    // Opens the drive ("D:") as an MCI CD audio device in millisecond time
    // format and reads its table of contents. hNotifyWnd receives
    // MM_MCINOTIFY when a play ends; it may be null.
    CCDAudioDevice(LPCSTR pszDrive, HWND hNotifyWnd);
    // Stops the drive and closes the device.
    virtual ~CCDAudioDevice();

    CCDAudioDevice(const CCDAudioDevice&) = delete;
    CCDAudioDevice& operator=(const CCDAudioDevice&) = delete;

    MCIDEVICEID GetDeviceID() const { return m_device.Get(); }
    // 0 also for a disc without audio (a CD-ROM): nothing on it plays.
    int GetTrackCount() const { return static_cast<int>(m_aTrackStart.GetSize()); }
    // Start of track nIndex + 1, in ms; raises the invalid-argument
    // exception outside the table.
    DWORD GetTrackStart(int nIndex) const { return m_aTrackStart.GetAt(nIndex); }
    // Whether track nIndex + 1 holds audio rather than data; raises the
    // invalid-argument exception outside the table.
    BOOL IsAudioTrack(int nIndex) const { return m_aTrackType.GetAt(nIndex) != MCI_CDA_TRACK_OTHER; }
    // Where the disc's audio ends: the last audio track's start plus its
    // length; 0 without tracks.
    DWORD GetDiscEnd() const;

    // Status queries, asked of the device on every call.
    DWORD GetStartPosition();
    DWORD GetLength();
    DWORD GetMode();
    DWORD IsMediaPresent();

    // Transport over the remembered position m_dwPosition. No play starts in
    // a data track (from one, it starts at the next audio track, or at the
    // first after the last) nor outside the disc's audio (from there, at its
    // first audio track).
    BOOL Play();
    // Play with the mode already asked: plays unless dwMode says the drive
    // plays.
    BOOL PlayUnlessPlaying(DWORD dwMode);
    BOOL Pause();
    BOOL Seek(DWORD dwPosition);
    BOOL Stop();
    DWORD GetPosition();
    DWORD GetCurrentTrack();
    BOOL Eject();
    // The position the drive reports, whatever its mode. Every position
    // query goes through it.
    DWORD GetDrivePosition();
    // A drive that plays, or seeks for a play it was sent, counts as playing.
    static BOOL IsPlayingMode(DWORD dwMode) { return dwMode == MCI_MODE_PLAY || dwMode == MCI_MODE_SEEK; }

    // A play started with a notification is open until its notification
    // comes, the program ends it (pause, stop, seek, eject, a new play) or
    // its end is taken without the notification, as drivers that never send
    // one require.
    BOOL IsPlayOpen() const { return m_bPlayOpen; }
    // Counts one MM_MCINOTIFY of this device, with its code; TRUE when it
    // reports the end of the latest play: successful, or failed where the
    // disc's audio ends (a drive that refuses to play on into a data track).
    // Notifications answer plays in the order they were started: one for a
    // play that a newer one replaced, or whose end was taken, ends nothing.
    BOOL NotifyEndsPlay(WPARAM wCode);
    // Whether the open play has ended, from the drive's mode and, when it
    // plays or is stopped, its own position (CPlayEndWatch).
    BOOL HasPlayEnded(DWORD dwMode, DWORD dwPosition);
    // The open play's end was found without its notification.
    void TakeEnd();

private:
    // An open device id, stopped and closed when it goes: also when the
    // construction throws after the open. 0 (no device) sends nothing.
    class COpenDevice
    {
    public:
        COpenDevice() = default;
        ~COpenDevice();
        COpenDevice(const COpenDevice&) = delete;
        COpenDevice& operator=(const COpenDevice&) = delete;
        void Attach(MCIDEVICEID wDeviceID) { m_wDeviceID = wDeviceID; }
        MCIDEVICEID Get() const { return m_wDeviceID; }

    private:
        MCIDEVICEID m_wDeviceID = 0;
    };

    DWORD QueryStatus(DWORD dwFlags, DWORD dwItem);
    BOOL IsPlaying() { return IsPlayingMode(GetMode()); }
    BOOL PlayFrom(DWORD dwFrom);
    DWORD TrackOf(DWORD dwPosition) const;
    DWORD AudioPosition(DWORD dwPosition) const;
    DWORD FirstAudioStartFrom(int nIndex) const;

    COpenDevice m_device;  // first: closed after everything else is gone
    HWND m_hNotifyWnd;
    DWORD m_dwPosition;
    CDWordArray m_aTrackStart;
    CDWordArray m_aTrackLength;
    CDWordArray m_aTrackType;  // MCI_CDA_TRACK_AUDIO or MCI_CDA_TRACK_OTHER
    BOOL m_bPlayOpen = FALSE;
    BOOL m_bEndTaken = FALSE;  // of the latest play
    int m_nNotifyOwed = 0;     // notifications still to come for plays started with one
    // The drive's latest reported position, the watch's reference for a new play.
    BOOL m_bDrivePositionKnown = FALSE;
    DWORD m_dwDrivePosition = 0;
    CPlayEndWatch m_watch;
};
