// One opened MCI CD audio device for one drive: its table of contents, its
// status queries and its transport operations over a remembered position.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "framework/CDWordArray.h"

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
    int GetTrackCount() const { return static_cast<int>(m_aTrackStart.GetSize()); }
    // Start of track nIndex + 1, in ms; raises the invalid-argument
    // exception outside the table.
    DWORD GetTrackStart(int nIndex) const { return m_aTrackStart.GetAt(nIndex); }
    // The last track's start plus its length; 0 without tracks.
    DWORD GetDiscEnd() const;

    // Status queries, asked of the device on every call.
    DWORD GetStartPosition();
    DWORD GetLength();
    DWORD GetMode();
    DWORD IsMediaPresent();

    // Transport over the remembered position m_dwPosition.
    BOOL Play();
    // Play with the mode already asked: plays unless dwMode is MCI_MODE_PLAY.
    BOOL PlayUnlessPlaying(DWORD dwMode);
    BOOL Pause();
    BOOL Seek(DWORD dwPosition);
    BOOL Stop();
    DWORD GetPosition();
    DWORD GetCurrentTrack();
    BOOL Eject();
    // The position the drive reports, whatever its mode.
    DWORD GetDrivePosition();

    // A play started with a notification is open until its notification
    // comes, the program ends it (pause, stop, seek, eject, a new play) or
    // its end is taken without the notification, as drivers that never send
    // one require.
    BOOL IsPlayOpen() const { return m_bPlayOpen; }
    // Counts one MM_MCINOTIFY of this device. Notifications answer plays in
    // the order they were started; FALSE when this one answers a play whose
    // end was taken already.
    BOOL NotifyArrived();
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
    BOOL IsPlaying() { return GetMode() == MCI_MODE_PLAY; }
    BOOL PlayFrom(DWORD dwFrom);
    DWORD TrackOf(DWORD dwPosition) const;

    COpenDevice m_device;  // first: closed after everything else is gone
    HWND m_hNotifyWnd;
    DWORD m_dwPosition;
    CDWordArray m_aTrackStart;
    CDWordArray m_aTrackLength;
    BOOL m_bPlayOpen = FALSE;
    int m_nNotifyOwed = 0;  // notifications still to come for plays started with one
    int m_nStaleOwed = 0;   // the first of those, answering plays whose end was taken
};
