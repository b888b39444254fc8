#include "SimDevice.h"

#include "../SimWorld.h"
#include "NotifyWatcher.h"
#include "SoundPlayer.h"

#include <mmddk.h>

#include <cwchar>

namespace simcd
{

namespace
{

const DWORD kWaitNotify = MCI_NOTIFY | MCI_WAIT;
const DWORD kFramesPerSecond = 75;
// A position query with kFaultPositionPastEnd lies this far past the disc's end.
const uint32_t kPastEndMs = 1000;
const wchar_t kProduct[] = L"Simulated CD audio";

// The flags each command understands besides MCI_NOTIFY and MCI_WAIT.
DWORD KnownFlags(UINT message)
{
    switch (message)
    {
    case MCI_STATUS:
        return MCI_STATUS_ITEM | MCI_STATUS_START | MCI_TRACK;
    case MCI_SET:
        return MCI_SET_DOOR_OPEN | MCI_SET_DOOR_CLOSED | MCI_SET_TIME_FORMAT | MCI_SET_AUDIO | MCI_SET_VIDEO |
               MCI_SET_ON | MCI_SET_OFF;
    case MCI_PLAY:
        return MCI_FROM | MCI_TO;
    case MCI_SEEK:
        return MCI_SEEK_TO_START | MCI_SEEK_TO_END | MCI_TO;
    case MCI_GETDEVCAPS:
        return MCI_GETDEVCAPS_ITEM;
    case MCI_INFO:
        return MCI_INFO_PRODUCT | MCI_INFO_FILE | MCI_INFO_MEDIA_IDENTITY | MCI_INFO_MEDIA_UPC;
    default:
        return 0;
    }
}

bool HasDiscReady(const SimDriveRecord& drive)
{
    return drive.hasDisc && !drive.doorOpen;
}

uint32_t TrackCount(const SimDriveRecord& drive)
{
    return (drive.faults & kFaultZeroTracks) ? 0 : drive.trackCount;
}

// A reported position's error, up to the drive's wobble either way, as a
// real drive's subchannel gives. Called under the world's lock.
int32_t WobbleMs(const SimDriveRecord& drive)
{
    if (drive.wobbleFrames == 0)
        return 0;
    static uint32_t state = GetCurrentProcessId() * 2654435761u ^ static_cast<uint32_t>(SimWorld::NowUs());
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    const int32_t span = static_cast<int32_t>(drive.wobbleFrames);
    const int32_t frames = static_cast<int32_t>(state % static_cast<uint32_t>(2 * span + 1)) - span;
    return frames * 1000 / static_cast<int32_t>(kFramesPerSecond);
}

}  // namespace

SimDevice::SimDevice(SimWorld& world, NotifyWatcher& watcher, SoundPlayer& player, UINT deviceId, char letter)
    : m_world(world), m_watcher(watcher), m_player(player), m_nDeviceId(deviceId), m_cLetter(letter)
{}

char SimDevice::DriveLetterOf(const wchar_t* element)
{
    if (!element)
        return 0;
    if (element[0] >= L'a' && element[0] <= L'z')
        return static_cast<char>(element[0] - L'a' + 'A');
    if (element[0] >= L'A' && element[0] <= L'Z')
        return static_cast<char>(element[0]);
    return 0;
}

SimDevice::~SimDevice()
{
    if (m_bOpen)
    {
        {
            SimWorld::Lock lock(m_world);
            Detach(m_world.FindDrive(m_cLetter));
        }
        m_watcher.Release();
        m_player.Release(m_cLetter);
    }
}

DWORD SimDevice::Command(UINT message, DWORD flags, DWORD_PTR params)
{
    SimJournalEntry entry;
    entry.timeUs = SimWorld::NowUs();
    entry.processId = GetCurrentProcessId();
    entry.drive = m_cLetter;
    if (message == MCI_OPEN_DRIVER && params && (flags & MCI_OPEN_ELEMENT) && !(flags & MCI_OPEN_ELEMENT_ID))
        entry.drive = DriveLetterOf(reinterpret_cast<MCI_OPEN_PARMSW*>(params)->lpstrElementName);
    entry.deviceId = m_nDeviceId;
    entry.command = message;
    entry.flags = flags;
    entry.hasParams = params != 0;
    entry.timeFormat = m_nTimeFormat;
    if (params)
    {
        switch (message)
        {
        case MCI_STATUS:
        {
            const MCI_STATUS_PARMS* p = reinterpret_cast<const MCI_STATUS_PARMS*>(params);
            entry.item = p->dwItem;
            entry.track = p->dwTrack;
            break;
        }
        case MCI_GETDEVCAPS:
            entry.item = reinterpret_cast<const MCI_GETDEVCAPS_PARMS*>(params)->dwItem;
            break;
        case MCI_PLAY:
        {
            const MCI_PLAY_PARMS* p = reinterpret_cast<const MCI_PLAY_PARMS*>(params);
            entry.from = p->dwFrom;
            entry.to = p->dwTo;
            break;
        }
        case MCI_SEEK:
            entry.from = reinterpret_cast<const MCI_SEEK_PARMS*>(params)->dwTo;
            break;
        default:
            break;
        }
        if (flags & MCI_NOTIFY)
            entry.callback = static_cast<uint32_t>(reinterpret_cast<const MCI_GENERIC_PARMS*>(params)->dwCallback);
    }

    uint64_t sequence = 0;
    DWORD delayMs = 0;
    {
        SimWorld::Lock lock(m_world);
        if (!m_world.IsOpen())
            return MCIERR_DRIVER_INTERNAL;
        SimDriveRecord* drive = m_world.FindDrive(m_cLetter);
        if (drive && (drive->faults & kFaultDelay))
            delayMs = drive->delayMs;
        sequence = m_world.AppendJournal(entry);
    }
    if (delayMs)
        Sleep(delayMs);

    DWORD result = Dispatch(message, flags, params, entry);

    SimWorld::Lock lock(m_world);
    m_world.UpdateJournal(sequence, result, entry.returned, m_nTimeFormat);
    return result;
}

DWORD SimDevice::Dispatch(UINT message, DWORD flags, DWORD_PTR params, SimJournalEntry& entry)
{
    switch (message)
    {
    case MCI_OPEN_DRIVER:
        return Open(flags, reinterpret_cast<MCI_OPEN_PARMSW*>(params));
    case MCI_CLOSE_DRIVER:
        return Close(flags, reinterpret_cast<MCI_GENERIC_PARMS*>(params));
    case MCI_STATUS:
    case MCI_SET:
    case MCI_PLAY:
    case MCI_SEEK:
    case MCI_PAUSE:
    case MCI_RESUME:
    case MCI_STOP:
    case MCI_GETDEVCAPS:
    case MCI_INFO:
        break;
    case MCI_RECORD:
    case MCI_SAVE:
    case MCI_LOAD:
        return MCIERR_UNSUPPORTED_FUNCTION;
    default:
        return MCIERR_UNRECOGNIZED_COMMAND;
    }
    if (!m_bOpen)
        return MCIERR_INVALID_DEVICE_ID;
    if (flags & ~(KnownFlags(message) | kWaitNotify))
        return MCIERR_UNRECOGNIZED_KEYWORD;
    if ((flags & MCI_NOTIFY) && !params)
        return MCIERR_NULL_PARAMETER_BLOCK;

    DWORD result = 0;
    bool waitForPlay = false;
    {
        SimWorld::Lock lock(m_world);
        SimDriveRecord* drive = m_world.FindDrive(m_cLetter);
        if (!drive)
            return MCIERR_HARDWARE;  // the drive was removed under the open device
        switch (message)
        {
        case MCI_STATUS:
        {
            MCI_STATUS_PARMS* p = reinterpret_cast<MCI_STATUS_PARMS*>(params);
            result = Status(*drive, flags, p);
            if (!LOWORD(result))
                entry.returned = static_cast<uint32_t>(p->dwReturn);
            break;
        }
        case MCI_SET:
            result = Set(*drive, flags, reinterpret_cast<MCI_SET_PARMS*>(params));
            break;
        case MCI_PLAY:
            result = Play(*drive, flags, reinterpret_cast<MCI_PLAY_PARMS*>(params));
            waitForPlay = result == 0 && (flags & MCI_WAIT);
            break;
        case MCI_SEEK:
            result = Seek(*drive, flags, reinterpret_cast<MCI_SEEK_PARMS*>(params));
            break;
        case MCI_GETDEVCAPS:
        {
            MCI_GETDEVCAPS_PARMS* p = reinterpret_cast<MCI_GETDEVCAPS_PARMS*>(params);
            result = GetDevCaps(flags, p);
            if (!LOWORD(result))
            {
                entry.returned = static_cast<uint32_t>(p->dwReturn);
                if (flags & MCI_NOTIFY)
                    NotifySuccess(*drive, p->dwCallback);
            }
            break;
        }
        case MCI_INFO:
            result = Info(*drive, flags, reinterpret_cast<MCI_INFO_PARMSW*>(params));
            break;
        default:
            result = Transport(*drive, message, flags, reinterpret_cast<MCI_GENERIC_PARMS*>(params));
            break;
        }
    }
    // The sound follows what the command did.
    if (message == MCI_PLAY || message == MCI_PAUSE || message == MCI_RESUME || message == MCI_STOP ||
        message == MCI_SEEK || message == MCI_SET)
        m_player.Wake();
    if (waitForPlay)
        result = WaitForPlay();
    return result;
}

DWORD SimDevice::Open(DWORD flags, MCI_OPEN_PARMSW* params)
{
    if (!params)
        return MCIERR_NULL_PARAMETER_BLOCK;
    if (flags & MCI_OPEN_ELEMENT_ID)
        return MCIERR_FLAGS_NOT_COMPATIBLE;
    if (m_bOpen)
        return MCIERR_DEVICE_OPEN;
    if ((flags & MCI_OPEN_ELEMENT) && params->lpstrElementName)
    {
        m_cLetter = DriveLetterOf(params->lpstrElementName);
        if (!m_cLetter)
            return MCIERR_INVALID_FILE;
    }
    SimWorld::Lock lock(m_world);
    if (!m_cLetter)
    {
        for (const SimDriveRecord& drive : m_world.Data().drives)
        {
            if (drive.defined)
            {
                m_cLetter = drive.letter;
                break;
            }
        }
        if (!m_cLetter)
            return MCIERR_CANNOT_LOAD_DRIVER;
    }
    SimDriveRecord* drive = m_world.FindDrive(m_cLetter);
    if (!drive)
        return MCIERR_INVALID_FILE;
    if (drive->faults & kFaultOpenFails)
        return MCIERR_HARDWARE;
    ++drive->openDevices;
    m_bOpen = true;
    m_watcher.Acquire();
    m_player.Acquire(m_cLetter);
    if (flags & MCI_NOTIFY)
        NotifySuccess(*drive, params->dwCallback);
    return 0;
}

DWORD SimDevice::Close(DWORD flags, MCI_GENERIC_PARMS* params)
{
    if (!m_bOpen)
        return 0;
    {
        SimWorld::Lock lock(m_world);
        Detach(m_world.FindDrive(m_cLetter));
    }
    // Outside the lock: the watcher's and the player's threads may be waiting for it.
    m_watcher.Release();
    m_player.Release(m_cLetter);
    if ((flags & MCI_NOTIFY) && params)
        PostMessageA(reinterpret_cast<HWND>(params->dwCallback), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, m_nDeviceId);
    return 0;
}

// The drive plays on after its device closes, as a real drive does, but the
// closed device's pending notification is over, and the sound of a play
// started here ends with the last device of this process on the drive.
void SimDevice::Detach(SimDriveRecord* drive)
{
    if (drive)
    {
        if (drive->openDevices)
            --drive->openDevices;
        if (drive->soundProcess == GetCurrentProcessId() && m_player.DevicesOn(m_cLetter) <= 1)
            m_world.FollowRealTime(*drive);
        if (drive->notifyPending && drive->notifyDevice == m_nDeviceId && drive->notifyProcess == GetCurrentProcessId())
        {
            m_world.Settle(*drive);
            m_world.EndNotify(*drive, drive->completed ? drive->completed : MCI_NOTIFY_ABORTED);
        }
    }
    m_bOpen = false;
}

DWORD SimDevice::Status(SimDriveRecord& drive, DWORD flags, MCI_STATUS_PARMS* params)
{
    if (!params)
        return MCIERR_NULL_PARAMETER_BLOCK;
    if (!(flags & MCI_STATUS_ITEM))
        return MCIERR_MISSING_PARAMETER;
    if (drive.faults & kFaultStatusFails)
        return MCIERR_HARDWARE;

    const bool ready = HasDiscReady(drive);
    const bool notReady = (drive.faults & kFaultNotReady) != 0;
    // A drive that spins up has its disc but cannot read its table of contents yet.
    const bool tocReady = ready && !SimWorld::IsSpinningUp(drive);
    const uint32_t tracks = TrackCount(drive);
    const bool trackGiven = (flags & MCI_TRACK) != 0;
    DWORD result = 0;
    DWORD_PTR value = 0;

    switch (params->dwItem)
    {
    case MCI_STATUS_MODE:
    {
        uint32_t mode = notReady ? MCI_MODE_NOT_READY : m_world.Mode(drive);
        value = MAKEMCIRESOURCE(mode, mode);
        result = MCI_RESOURCE_RETURNED;
        break;
    }
    case MCI_STATUS_MEDIA_PRESENT:
        value = ready ? MAKEMCIRESOURCE(TRUE, MCI_TRUE) : MAKEMCIRESOURCE(FALSE, MCI_FALSE);
        result = MCI_RESOURCE_RETURNED;
        break;
    case MCI_STATUS_READY:
        value = (tocReady && !notReady) ? MAKEMCIRESOURCE(TRUE, MCI_TRUE) : MAKEMCIRESOURCE(FALSE, MCI_FALSE);
        result = MCI_RESOURCE_RETURNED;
        break;
    case MCI_STATUS_TIME_FORMAT:
        value = MAKEMCIRESOURCE(m_nTimeFormat, MCI_FORMAT_RETURN_BASE + m_nTimeFormat);
        result = MCI_RESOURCE_RETURNED;
        break;
    case MCI_STATUS_NUMBER_OF_TRACKS:
        if (!tocReady)
            return MCIERR_DEVICE_NOT_READY;
        value = (drive.faults & kFaultGarbageTracks) ? 0xFFFFFFFFu : tracks;
        break;
    case MCI_STATUS_LENGTH:
    case MCI_STATUS_POSITION:
    {
        if (params->dwItem == MCI_STATUS_POSITION && (flags & MCI_STATUS_START) && trackGiven)
            return MCIERR_FLAGS_NOT_COMPATIBLE;
        const bool fromToc = params->dwItem == MCI_STATUS_LENGTH || (flags & (MCI_STATUS_START | MCI_TRACK));
        if (!(fromToc ? tocReady : ready))
            return MCIERR_DEVICE_NOT_READY;
        if (trackGiven && (params->dwTrack < 1 || params->dwTrack > tracks))
            return MCIERR_OUTOFRANGE;
        const uint32_t ms = params->dwItem == MCI_STATUS_LENGTH ? LengthMs(drive, flags, params->dwTrack)
                                                                : PositionMs(drive, flags, params->dwTrack);
        value = FromMs(ms, result);
        break;
    }
    case MCI_STATUS_CURRENT_TRACK:
    {
        if (!ready)
            return MCIERR_DEVICE_NOT_READY;
        uint32_t position = m_world.Position(drive);
        uint32_t track = 1;
        while (track < tracks && position >= SimWorld::TrackStart(drive, track + 1))
            ++track;
        value = track;
        break;
    }
    case MCI_CDA_STATUS_TYPE_TRACK:
        if (!trackGiven)
            return MCIERR_MISSING_PARAMETER;
        if (!tocReady)
            return MCIERR_DEVICE_NOT_READY;
        if (params->dwTrack < 1 || params->dwTrack > tracks)
            return MCIERR_OUTOFRANGE;
        value = SimWorld::IsDataTrack(drive, params->dwTrack) ? MCI_CDA_TRACK_OTHER : MCI_CDA_TRACK_AUDIO;
        break;
    default:
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
    params->dwReturn = value;
    if (flags & MCI_NOTIFY)
        NotifySuccess(drive, params->dwCallback);
    return result;
}

// A track's length with MCI_TRACK, else the whole disc's.
uint32_t SimDevice::LengthMs(const SimDriveRecord& drive, DWORD flags, DWORD track) const
{
    if (flags & MCI_TRACK)
        return drive.trackLengths[track - 1];
    return TrackCount(drive) ? SimWorld::DiscEnd(drive) - drive.discStart : 0;
}

// The disc's start with MCI_STATUS_START, a track's start with MCI_TRACK,
// else where the drive stands.
uint32_t SimDevice::PositionMs(SimDriveRecord& drive, DWORD flags, DWORD track)
{
    if (flags & MCI_STATUS_START)
        return drive.discStart;
    if (flags & MCI_TRACK)
        return SimWorld::TrackStart(drive, track);
    const uint32_t end = SimWorld::DiscEnd(drive);
    if (drive.faults & kFaultPositionPastEnd)
        return end + kPastEndMs + WobbleMs(drive);
    // A wobbling drive still reports places on its disc.
    const int64_t position = static_cast<int64_t>(m_world.Position(drive)) + WobbleMs(drive);
    return static_cast<uint32_t>(position < drive.discStart ? drive.discStart : position > end ? end : position);
}

DWORD SimDevice::Set(SimDriveRecord& drive, DWORD flags, MCI_SET_PARMS* params)
{
    if ((flags & MCI_SET_TIME_FORMAT) && !params)
        return MCIERR_NULL_PARAMETER_BLOCK;
    if ((flags & MCI_SET_DOOR_OPEN) && (flags & MCI_SET_DOOR_CLOSED))
        return MCIERR_FLAGS_NOT_COMPATIBLE;
    if (!(flags & (MCI_SET_DOOR_OPEN | MCI_SET_DOOR_CLOSED | MCI_SET_TIME_FORMAT | MCI_SET_AUDIO | MCI_SET_VIDEO)))
        return MCIERR_MISSING_PARAMETER;
    if ((flags & MCI_SET_TIME_FORMAT) && params->dwTimeFormat != MCI_FORMAT_MILLISECONDS &&
        params->dwTimeFormat != MCI_FORMAT_MSF)
        return MCIERR_BAD_TIME_FORMAT;

    if (flags & MCI_SET_DOOR_OPEN)
    {
        m_world.Interrupt(drive, kStopped);
        drive.doorOpen = 1;
    }
    if (flags & MCI_SET_DOOR_CLOSED)
    {
        if (drive.transport == kStuck)  // any door command ends it
            m_world.Interrupt(drive, kStopped);
        if (drive.doorOpen)
            SimWorld::DoorClosed(drive);
    }
    if (flags & MCI_SET_TIME_FORMAT)
        m_nTimeFormat = params->dwTimeFormat;
    if (flags & MCI_NOTIFY)
        NotifySuccess(drive, params->dwCallback);
    return 0;
}

DWORD SimDevice::Play(SimDriveRecord& drive, DWORD flags, MCI_PLAY_PARMS* params)
{
    if ((flags & (MCI_FROM | MCI_TO)) && !params)
        return MCIERR_NULL_PARAMETER_BLOCK;
    if (!HasDiscReady(drive) || SimWorld::IsSpinningUp(drive))
        return MCIERR_DEVICE_NOT_READY;
    if ((drive.faults & kFaultNotReady) || TrackCount(drive) == 0)
        return MCIERR_HARDWARE;
    const uint32_t end = SimWorld::DiscEnd(drive);
    const uint32_t from = (flags & MCI_FROM) ? ToMs(params->dwFrom) : m_world.Position(drive);
    const uint32_t to = (flags & MCI_TO) ? ToMs(params->dwTo) : end;
    if (from < drive.discStart || from > end || to < drive.discStart || to > end || to < from)
        return MCIERR_OUTOFRANGE;
    // A drive plays no data: a play must start in an audio track.
    if (SimWorld::IsDataTrack(drive, SimWorld::TrackAt(drive, from)))
        return MCIERR_HARDWARE;
    uint32_t window = (flags & MCI_NOTIFY) ? static_cast<uint32_t>(params->dwCallback) : 0;
    m_world.StartPlay(drive, from, to, window, m_nDeviceId);
    m_world.ClaimSound(drive);
    m_nPlayGeneration = drive.generation;
    m_world.DeliverCompletion(drive);
    return 0;
}

// MCI_WAIT: returns when the play ends, whether at its end or ended by
// another command (from any process).
DWORD SimDevice::WaitForPlay()
{
    for (;;)
    {
        DWORD sleepMs = 20;
        {
            SimWorld::Lock lock(m_world);
            SimDriveRecord* drive = m_world.FindDrive(m_cLetter);
            if (!drive)
                return 0;
            uint32_t position = m_world.Position(*drive);
            if (drive->generation != m_nPlayGeneration ||
                (drive->transport != kPlaying && drive->transport != kSeeking))
            {
                if (drive->notifyPending && drive->notifyDevice == m_nDeviceId &&
                    drive->notifyProcess == GetCurrentProcessId())
                    m_world.DeliverCompletion(*drive);
                return 0;
            }
            double remainingMs = (drive->playTo - position) / m_world.Data().timeFactor;
            if (drive->transport == kPlaying && remainingMs < sleepMs)
                sleepMs = static_cast<DWORD>(remainingMs) + 1;
        }
        Sleep(sleepMs);
    }
}

DWORD SimDevice::Seek(SimDriveRecord& drive, DWORD flags, MCI_SEEK_PARMS* params)
{
    const DWORD targets = flags & (MCI_TO | MCI_SEEK_TO_START | MCI_SEEK_TO_END);
    if ((flags & MCI_TO) && !params)
        return MCIERR_NULL_PARAMETER_BLOCK;
    if (!targets)
        return MCIERR_MISSING_PARAMETER;
    if (targets & (targets - 1))
        return MCIERR_FLAGS_NOT_COMPATIBLE;
    if (!HasDiscReady(drive))
        return MCIERR_DEVICE_NOT_READY;
    if ((drive.faults & kFaultNotReady) || TrackCount(drive) == 0)
        return MCIERR_HARDWARE;
    const uint32_t end = SimWorld::DiscEnd(drive);
    uint32_t target = (flags & MCI_SEEK_TO_START) ? drive.discStart
                      : (flags & MCI_SEEK_TO_END) ? end
                                                  : ToMs(params->dwTo);
    if (target < drive.discStart || target > end)
        return MCIERR_OUTOFRANGE;
    m_world.Interrupt(drive, kStopped);
    drive.position = target;
    if (flags & MCI_NOTIFY)
        NotifySuccess(drive, params->dwCallback);
    return 0;
}

DWORD SimDevice::Transport(SimDriveRecord& drive, UINT message, DWORD flags, MCI_GENERIC_PARMS* params)
{
    if (!HasDiscReady(drive))
        return MCIERR_DEVICE_NOT_READY;
    m_world.Settle(drive);
    switch (message)
    {
    case MCI_PAUSE:
        m_world.Interrupt(drive, drive.transport == kPlaying || drive.transport == kStuck || drive.transport == kSeeking
                                     ? kPaused
                                     : static_cast<SimTransport>(drive.transport));
        break;
    case MCI_RESUME:
        if (drive.transport != kPaused)
            return MCIERR_HARDWARE;
        m_world.StartPlay(drive, drive.position, drive.playTo, 0, m_nDeviceId);
        m_world.ClaimSound(drive);
        break;
    default:  // MCI_STOP
        m_world.Interrupt(drive, kStopped);
        break;
    }
    if (flags & MCI_NOTIFY)
        NotifySuccess(drive, params->dwCallback);
    return 0;
}

DWORD SimDevice::GetDevCaps(DWORD flags, MCI_GETDEVCAPS_PARMS* params)
{
    if (!params)
        return MCIERR_NULL_PARAMETER_BLOCK;
    if (!(flags & MCI_GETDEVCAPS_ITEM))
        return MCIERR_MISSING_PARAMETER;
    bool yes;
    switch (params->dwItem)
    {
    case MCI_GETDEVCAPS_DEVICE_TYPE:
        params->dwReturn = MAKEMCIRESOURCE(MCI_DEVTYPE_CD_AUDIO, MCI_DEVTYPE_CD_AUDIO);
        return MCI_RESOURCE_RETURNED;
    case MCI_GETDEVCAPS_HAS_AUDIO:
    case MCI_GETDEVCAPS_CAN_EJECT:
    case MCI_GETDEVCAPS_CAN_PLAY:
        yes = true;
        break;
    case MCI_GETDEVCAPS_CAN_RECORD:
    case MCI_GETDEVCAPS_HAS_VIDEO:
    case MCI_GETDEVCAPS_USES_FILES:
    case MCI_GETDEVCAPS_COMPOUND_DEVICE:
    case MCI_GETDEVCAPS_CAN_SAVE:
        yes = false;
        break;
    default:
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
    params->dwReturn = yes ? MAKEMCIRESOURCE(TRUE, MCI_TRUE) : MAKEMCIRESOURCE(FALSE, MCI_FALSE);
    return MCI_RESOURCE_RETURNED;
}

DWORD SimDevice::Info(SimDriveRecord& drive, DWORD flags, MCI_INFO_PARMSW* params)
{
    if (!params || !params->lpstrReturn)
        return MCIERR_NULL_PARAMETER_BLOCK;
    wchar_t identity[16];
    const wchar_t* text = nullptr;
    if (flags & MCI_INFO_PRODUCT)
    {
        text = kProduct;
    }
    else if (flags & MCI_INFO_MEDIA_IDENTITY)
    {
        if (!HasDiscReady(drive))
            return MCIERR_DEVICE_NOT_READY;
        // The disc's identity follows from its table of contents.
        uint32_t serial = drive.discStart;
        for (uint32_t i = 0; i < drive.trackCount; ++i)
            serial = serial * 31u + drive.trackLengths[i];
        std::swprintf(identity, 16, L"%08x", serial);
        text = identity;
    }
    else if (flags & MCI_INFO_MEDIA_UPC)
    {
        return MCIERR_NO_IDENTITY;
    }
    else if (flags & MCI_INFO_FILE)
    {
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
    else
    {
        return MCIERR_MISSING_PARAMETER;
    }
    size_t length = std::wcslen(text);
    if (params->dwRetSize <= length)
        return MCIERR_PARAM_OVERFLOW;
    std::wmemcpy(params->lpstrReturn, text, length + 1);
    if (flags & MCI_NOTIFY)
        NotifySuccess(drive, params->dwCallback);
    return 0;
}

void SimDevice::NotifySuccess(SimDriveRecord& drive, DWORD_PTR callback)
{
    if (drive.notifyPending && drive.notifyDevice == m_nDeviceId && drive.notifyProcess == GetCurrentProcessId())
    {
        m_world.Settle(drive);
        if (drive.completed)
            m_world.DeliverCompletion(drive);
        else
            m_world.EndNotify(drive, MCI_NOTIFY_SUPERSEDED);
    }
    PostMessageA(reinterpret_cast<HWND>(callback), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, m_nDeviceId);
}

uint32_t SimDevice::ToMs(uint32_t value) const
{
    if (m_nTimeFormat == MCI_FORMAT_MILLISECONDS)
        return value;
    uint32_t frames = (MCI_MSF_MINUTE(value) * 60u + MCI_MSF_SECOND(value)) * kFramesPerSecond + MCI_MSF_FRAME(value);
    return frames * 1000u / kFramesPerSecond;
}

uint32_t SimDevice::FromMs(uint32_t ms, DWORD& result) const
{
    if (m_nTimeFormat == MCI_FORMAT_MILLISECONDS)
        return ms;
    result |= MCI_COLONIZED3_RETURN;
    uint32_t frames = static_cast<uint32_t>(static_cast<uint64_t>(ms) * kFramesPerSecond / 1000u);
    return MCI_MAKE_MSF(frames / (60 * kFramesPerSecond), frames / kFramesPerSecond % 60, frames % kFramesPerSecond);
}

}  // namespace simcd
