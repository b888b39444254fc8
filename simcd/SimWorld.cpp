#include "SimWorld.h"

#include <mmsystem.h>
#include <shlobj.h>

#include <cstring>

namespace simcd
{

namespace
{

const uint32_t kMagic = 0x44435353;  // "SSCD"
const char kMutexName[] = "OndaluxSimCD.Mutex";
const char kMappingName[] = "OndaluxSimCD.World";
// A process that plays a drive's sound sets its position much more often.
const uint64_t kSoundGoneUs = 1000000;
// Between two of its settings the position runs on in real time, this far at most.
const uint64_t kSoundAheadUs = 250000;

// The position of a play that follows its sound.
uint32_t SoundPosition(const SimDriveRecord& drive)
{
    if (!drive.soundStarted)
        return drive.position;
    const uint64_t now = SimWorld::NowUs();
    uint64_t elapsedUs = now > drive.playStartUs ? now - drive.playStartUs : 0;
    if (elapsedUs > kSoundAheadUs)
        elapsedUs = kSoundAheadUs;
    const uint32_t position = drive.position + static_cast<uint32_t>(elapsedUs / 1000u);
    return position < drive.playTo ? position : drive.playTo;
}

}  // namespace

SimWorld::SimWorld()
{
    std::string folder = StorageFolder();
    if (folder.empty())
    {
        m_strError = "no folder for the simulated world";
        return;
    }
    // The first process to create the mutex owns it at once, so it can bring
    // the stored world to a consistent state before anyone else reads it.
    m_hMutex = CreateMutexA(nullptr, TRUE, kMutexName);
    if (!m_hMutex)
    {
        m_strError = "cannot create the world's mutex";
        return;
    }
    bool first = GetLastError() != ERROR_ALREADY_EXISTS;
    if (!first)
        WaitForSingleObject(m_hMutex, INFINITE);

    std::string path = folder + "\\world.bin";
    m_hFile = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE)
    {
        m_strError = "cannot open " + path;
    }
    else
    {
        m_hMapping = CreateFileMappingA(m_hFile, nullptr, PAGE_READWRITE, 0, sizeof(SimWorldData), kMappingName);
        if (m_hMapping)
            m_pData =
                static_cast<SimWorldData*>(MapViewOfFile(m_hMapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SimWorldData)));
        if (!m_pData)
            m_strError = "cannot map the simulated world";
    }
    if (m_pData && (m_pData->magic != kMagic || m_pData->size != sizeof(SimWorldData)))
    {
        std::memset(static_cast<void*>(m_pData), 0, sizeof(SimWorldData));
        m_pData->magic = kMagic;
        m_pData->size = sizeof(SimWorldData);
        m_pData->timeFactor = 1.0;
    }
    else if (m_pData && first)
    {
        Normalize();
    }
    ReleaseMutex(m_hMutex);
}

SimWorld::~SimWorld()
{
    if (m_pData)
        UnmapViewOfFile(m_pData);
    if (m_hMapping)
        CloseHandle(m_hMapping);
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    if (m_hMutex)
        CloseHandle(m_hMutex);
}

// A world read back from its file belongs to no running process: plays and
// open devices of an earlier session are over, and its clock is not ours.
void SimWorld::Normalize()
{
    for (SimDriveRecord& drive : m_pData->drives)
    {
        if (drive.transport == kPlaying || drive.transport == kStuck || drive.transport == kSeeking)
            drive.transport = kStopped;
        drive.completed = 0;
        drive.notifyPending = 0;
        drive.openDevices = 0;
        drive.readyAtUs = 0;
        DropSound(drive);
    }
}

SimWorld::Lock::Lock(SimWorld& world) : m_hMutex(world.m_hMutex)
{
    if (m_hMutex)
        WaitForSingleObject(m_hMutex, INFINITE);  // an abandoned mutex is ours too
}

SimWorld::Lock::~Lock()
{
    if (m_hMutex)
        ReleaseMutex(m_hMutex);
}

SimDriveRecord* SimWorld::FindDrive(char letter)
{
    if (letter >= 'a' && letter <= 'z')
        letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z' || !m_pData)
        return nullptr;
    SimDriveRecord& drive = m_pData->drives[letter - 'A'];
    return drive.defined ? &drive : nullptr;
}

uint32_t SimWorld::DiscEnd(const SimDriveRecord& drive)
{
    return TrackStart(drive, drive.trackCount + 1);
}

uint32_t SimWorld::TrackStart(const SimDriveRecord& drive, uint32_t track)
{
    uint32_t start = drive.discStart;
    for (uint32_t i = 1; i < track && i <= drive.trackCount; ++i)
        start += drive.trackLengths[i - 1];
    return start;
}

bool SimWorld::IsDataTrack(const SimDriveRecord& drive, uint32_t track)
{
    return track >= 1 && track <= drive.trackCount &&
           (drive.dataTrackBits[(track - 1) / 32] & (1u << ((track - 1) % 32))) != 0;
}

uint32_t SimWorld::TrackAt(const SimDriveRecord& drive, uint32_t position)
{
    uint32_t start = drive.discStart;
    for (uint32_t track = 1; track <= drive.trackCount; ++track)
    {
        if (position >= start && position < start + drive.trackLengths[track - 1])
            return track;
        start += drive.trackLengths[track - 1];
    }
    return 0;
}

bool SimWorld::IsSpinningUp(const SimDriveRecord& drive)
{
    return drive.readyAtUs != 0 && NowUs() < drive.readyAtUs;
}

void SimWorld::DoorClosed(SimDriveRecord& drive)
{
    drive.doorOpen = 0;
    drive.readyAtUs = drive.seekMs ? NowUs() + uint64_t(drive.seekMs) * 1000u : 0;
}

uint32_t SimWorld::Mode(SimDriveRecord& drive)
{
    Settle(drive);
    if (drive.doorOpen || !drive.hasDisc)
        return MCI_MODE_OPEN;
    if (IsSpinningUp(drive))
        return MCI_MODE_NOT_READY;
    switch (drive.transport)
    {
    case kSeeking:
        // Drivers that users have say "playing" from the play command on.
        return drive.profile == kProfileClassic ? MCI_MODE_SEEK : MCI_MODE_PLAY;
    case kPlaying:
    case kStuck:
        return MCI_MODE_PLAY;
    case kPaused:
        return MCI_MODE_PAUSE;
    default:
        return MCI_MODE_STOP;
    }
}

void SimWorld::Settle(SimDriveRecord& drive)
{
    if (drive.transport == kSeeking && NowUs() >= drive.playStartUs)
        drive.transport = kPlaying;
    if (drive.transport != kPlaying || FollowsSound(drive))
        return;
    uint64_t now = NowUs();
    uint64_t elapsedUs = now > drive.playStartUs ? now - drive.playStartUs : 0;
    double advanced = static_cast<double>(elapsedUs) / 1000.0 * m_pData->timeFactor;
    double reached = drive.position + advanced;
    if (reached >= drive.playTo)
        EndPlay(drive);
}

void SimWorld::EndPlay(SimDriveRecord& drive)
{
    drive.position = drive.playTo;
    drive.transport = drive.profile == kProfileStuckPlaying ? kStuck : kStopped;
    ++drive.generation;
    if (drive.notifyPending && drive.profile == kProfileClassic)
        drive.completed = drive.endCode;
    DropSound(drive);
}

bool SimWorld::FollowsSound(SimDriveRecord& drive)
{
    if (!drive.soundProcess)
        return false;
    if (NowUs() - drive.soundBeatUs < kSoundGoneUs)
        return true;
    FollowRealTime(drive);
    return false;
}

void SimWorld::SoundAt(SimDriveRecord& drive, uint32_t position, bool started)
{
    drive.soundBeatUs = NowUs();
    if (drive.transport != kPlaying)
        return;  // still seeking
    drive.position = position < drive.playTo ? position : drive.playTo;
    drive.playStartUs = drive.soundBeatUs;
    drive.soundStarted = started;
}

void SimWorld::FollowRealTime(SimDriveRecord& drive)
{
    if (!drive.soundProcess)
        return;
    if (drive.transport == kPlaying)
    {
        drive.position = SoundPosition(drive);
        drive.playStartUs = NowUs();
    }
    DropSound(drive);
}

void SimWorld::ClaimSound(SimDriveRecord& drive)
{
    if (drive.sourceKind == kSourceNone || m_pData->timeFactor != 1.0 ||
        (drive.transport != kPlaying && drive.transport != kSeeking))
        return;
    drive.soundProcess = GetCurrentProcessId();
    drive.soundStarted = 0;
    drive.soundBeatUs = NowUs();
}

void SimWorld::DropSound(SimDriveRecord& drive)
{
    drive.soundProcess = 0;
    drive.soundStarted = 0;
}

uint32_t SimWorld::Position(SimDriveRecord& drive)
{
    Settle(drive);
    if (drive.transport == kSeeking)
        return drive.seekShownMs;
    if (drive.transport != kPlaying)
        return drive.position;
    if (FollowsSound(drive))
        return SoundPosition(drive);
    uint64_t elapsedUs = NowUs() - drive.playStartUs;
    double advanced = static_cast<double>(elapsedUs) / 1000.0 * m_pData->timeFactor;
    uint32_t position = drive.position + static_cast<uint32_t>(advanced);
    return position < drive.playTo ? position : drive.playTo;
}

void SimWorld::EndNotify(SimDriveRecord& drive, uint32_t code)
{
    if (!drive.notifyPending)
        return;
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(drive.notifyWindow));
    bool withheld = (code == MCI_NOTIFY_SUCCESSFUL || code == MCI_NOTIFY_FAILURE) && (drive.faults & kFaultNoNotify);
    if (window && !withheld)
        PostMessageA(window, MM_MCINOTIFY, code, drive.notifyDevice);
    drive.notifyPending = 0;
    drive.completed = 0;
}

void SimWorld::DeliverCompletion(SimDriveRecord& drive)
{
    if (drive.completed)
        EndNotify(drive, drive.completed);
}

void SimWorld::Interrupt(SimDriveRecord& drive, SimTransport transport)
{
    Settle(drive);
    // A seek that is cut short has brought the head where it was going.
    uint32_t position = drive.transport == kSeeking ? drive.position : Position(drive);
    EndNotify(drive, drive.completed ? drive.completed : MCI_NOTIFY_ABORTED);
    if (drive.transport == kPlaying || drive.transport == kSeeking)
        ++drive.generation;
    drive.transport = transport;
    drive.position = position;
    DropSound(drive);
}

void SimWorld::StartPlay(SimDriveRecord& drive, uint32_t from, uint32_t to, uint32_t window, uint32_t deviceId)
{
    Interrupt(drive, kStopped);
    // A play that would run into a data track ends at its start.
    uint32_t end = to;
    for (uint32_t track = 1; track <= drive.trackCount; ++track)
    {
        const uint32_t start = TrackStart(drive, track);
        if (IsDataTrack(drive, track) && start > from && start < end)
            end = start;
    }
    drive.endCode = end < to ? MCI_NOTIFY_FAILURE : MCI_NOTIFY_SUCCESSFUL;
    drive.seekShownMs = drive.position;
    drive.position = from;
    drive.playTo = end;
    drive.playStartUs = NowUs() + uint64_t(drive.seekMs) * 1000u;
    drive.transport = drive.seekMs ? kSeeking : kPlaying;
    ++drive.generation;
    drive.completed = 0;
    drive.notifyPending = window != 0;
    drive.notifyWindow = window;
    drive.notifyDevice = deviceId;
    drive.notifyProcess = GetCurrentProcessId();
    Settle(drive);  // a play of no length is over at once
}

void SimWorld::SetTimeFactor(double factor)
{
    // Seeks take real time whatever the factor; plays go on from where they are.
    for (SimDriveRecord& drive : m_pData->drives)
    {
        if (!drive.defined)
            continue;
        Settle(drive);
        // Only real time is heard.
        if (factor != 1.0)
            FollowRealTime(drive);
        if (drive.transport == kPlaying && !drive.soundProcess)
        {
            drive.position = Position(drive);
            drive.playStartUs = NowUs();
        }
    }
    m_pData->timeFactor = factor;
}

uint64_t SimWorld::AppendJournal(const SimJournalEntry& entry)
{
    uint64_t sequence = m_pData->journalWritten++;
    m_pData->journal[sequence % kJournalCapacity] = entry;
    return sequence;
}

void SimWorld::UpdateJournal(uint64_t sequence, uint32_t result, uint32_t returned, uint32_t timeFormat)
{
    // The entry may have been cleared or overwritten meanwhile.
    if (sequence >= m_pData->journalWritten || m_pData->journalWritten - sequence > kJournalCapacity)
        return;
    SimJournalEntry& entry = m_pData->journal[sequence % kJournalCapacity];
    entry.result = result;
    entry.returned = returned;
    entry.timeFormat = timeFormat;
}

void SimWorld::ClearJournal()
{
    m_pData->journalWritten = 0;
}

uint64_t SimWorld::NowUs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    uint64_t count = static_cast<uint64_t>(counter.QuadPart);
    uint64_t perSecond = static_cast<uint64_t>(frequency.QuadPart);
    return count / perSecond * 1000000u + count % perSecond * 1000000u / perSecond;
}

std::string SimWorld::StorageFolder()
{
    char base[MAX_PATH];
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base)))
        return std::string();
    std::string folder = std::string(base) + "\\OndaluxSimCD";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

}  // namespace simcd
