#include "SimController.h"

#include "DiscImage.h"
#include "DiscTime.h"
#include "Handle.h"
#include "MountManager.h"
#include "SimWorld.h"
#include "TextCodec.h"

#include <cmath>
#include <cstring>

namespace simcd
{

namespace
{

std::string DriveFolder(char letter)
{
    std::string folder = SimWorld::StorageFolder() + "\\drive-";
    folder += static_cast<char>(letter - 'A' + 'a');
    return folder;
}

// The label in UTF-16, as the ANSI code page reads it; empty when it cannot.
std::wstring WideLabel(const std::string& label)
{
    const int cch =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, label.c_str(), static_cast<int>(label.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(cch), L'\0');
    if (cch > 0)
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, label.c_str(), static_cast<int>(label.size()), &wide[0], cch);
    return wide;
}

// Wine reads the label file as UTF-8.
bool WriteLabel(const std::string& folder, const std::string& label)
{
    std::string path = folder + "\\.windows-label";
    if (label.empty())
    {
        DeleteFileA(path.c_str());
        return true;
    }
    Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
        return false;
    const std::string text = Narrow(WideLabel(label), CP_UTF8) + "\n";
    DWORD written = 0;
    BOOL ok = WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return ok && written == text.size();
}

SimDriveInfo InfoOf(SimWorld& world, SimDriveRecord& drive)
{
    SimDriveInfo info;
    info.letter = drive.letter;
    info.label = drive.label;
    info.doorOpen = drive.doorOpen != 0;
    info.hasDisc = drive.hasDisc != 0;
    if (drive.hasDisc)
    {
        info.trackLengthsMs.assign(drive.trackLengths, drive.trackLengths + drive.trackCount);
        for (uint32_t track = 1; track <= drive.trackCount; ++track)
            info.dataTracks.push_back(SimWorld::IsDataTrack(drive, track));
    }
    info.discStartMs = drive.hasDisc ? drive.discStart : 0;
    info.positionMs = world.Position(drive);
    info.mode = world.Mode(drive);
    info.faults = drive.faults;
    info.delayMs = drive.delayMs;
    info.openDevices = drive.openDevices;
    info.profile = drive.profile;
    info.generation = drive.generation;
    info.seekMs = drive.seekMs;
    info.wobbleFrames = drive.wobbleFrames;
    if (drive.hasDisc)
    {
        info.source = drive.sourceKind;
        info.sourcePath = drive.sourcePath;
        info.sourceSeed = drive.sourceSeed;
    }
    return info;
}

std::vector<SimTrack> AudioTracks(const std::vector<uint32_t>& lengthsMs)
{
    std::vector<SimTrack> tracks;
    for (uint32_t length : lengthsMs)
        tracks.push_back(SimTrack{ length, false });
    return tracks;
}

}  // namespace

SimController::SimController() : m_pWorld(new SimWorld) {}

SimController::~SimController() = default;

bool SimController::IsAttached() const
{
    return m_pWorld->IsOpen();
}

const std::string& SimController::GetLastError() const
{
    return m_strError;
}

bool SimController::Fail(const std::string& message) const
{
    m_strError = message;
    return false;
}

// Accepts a letter in either case and makes it upper case.
bool SimController::CheckLetter(char& letter) const
{
    if (!m_pWorld->IsOpen())
        return Fail(m_pWorld->GetError());
    if (letter >= 'a' && letter <= 'z')
        letter = static_cast<char>(letter - 'a' + 'A');
    // C: and Z: are the system drive and the Unix root of every prefix.
    if (letter < 'A' || letter > 'Y' || letter == 'C')
        return Fail(std::string("not a drive letter for a simulated drive (A, B, D to Y): ") + letter);
    return true;
}

// Runs f on the defined drive with that letter, under the world's lock.
template <class F>
bool SimController::ChangeDrive(char letter, F f) const
{
    if (!CheckLetter(letter))
        return false;
    SimWorld::Lock lock(*m_pWorld);
    SimDriveRecord* drive = m_pWorld->FindDrive(letter);
    if (!drive)
        return Fail(std::string("no simulated drive ") + letter + ":");
    return f(*drive);
}

bool SimController::DefineDrive(char letter, const std::string& label)
{
    if (!CheckLetter(letter))
        return false;
    const size_t cchLabel = WideLabel(label).size();
    if (cchLabel == 0 && !label.empty())
        return Fail("volume label that is no text in the ANSI code page");
    if (cchLabel > static_cast<size_t>(kMaxLabelChars) || label.size() >= sizeof(SimDriveRecord::label))
        return Fail("volume label longer than " + std::to_string(kMaxLabelChars) + " characters (a CD's longest)");
    for (char c : label)
        if (static_cast<unsigned char>(c) < 0x20)
            return Fail("volume label with control characters");
    {
        SimWorld::Lock lock(*m_pWorld);
        if (m_pWorld->FindDrive(letter))
            return Fail(std::string("drive ") + letter + ": is already defined");
    }
    std::string folder = DriveFolder(letter);
    CreateDirectoryA(folder.c_str(), nullptr);
    if (!WriteLabel(folder, label))
        return Fail("cannot write the volume label of drive " + std::string(1, letter) + ":");
    std::string error;
    if (!MountManager::DefineCdrom(letter, folder, error))
        return Fail(error);

    SimWorld::Lock lock(*m_pWorld);
    SimDriveRecord& drive = m_pWorld->Data().drives[letter - 'A'];
    std::memset(&drive, 0, sizeof(drive));
    drive.letter = letter;
    std::strncpy(drive.label, label.c_str(), sizeof(drive.label) - 1);
    drive.defined = 1;
    return true;
}

bool SimController::RemoveDrive(char letter)
{
    if (!CheckLetter(letter))
        return false;
    const bool bUndefined = ChangeDrive(letter, [&](SimDriveRecord& drive) {
        m_pWorld->Interrupt(drive, kStopped);
        drive.defined = 0;
        return true;
    });
    if (!bUndefined)
        return false;
    // The mount manager is asked outside the world's lock.
    std::string error;
    if (!MountManager::Remove(letter, error))
        return Fail(error);
    return true;
}

bool SimController::RemoveAllDrives()
{
    if (!m_pWorld->IsOpen())
        return Fail(m_pWorld->GetError());
    std::string letters;
    {
        SimWorld::Lock lock(*m_pWorld);
        for (SimDriveRecord& drive : m_pWorld->Data().drives)
            if (drive.defined)
                letters += drive.letter;
        m_pWorld->ClearJournal();
    }
    for (char letter : letters)
        if (!RemoveDrive(letter))
            return false;
    return true;
}

bool SimController::InsertDisc(char letter, const std::vector<uint32_t>& trackLengthsMs, uint32_t startMs)
{
    return InsertTracks(letter, AudioTracks(trackLengthsMs), startMs);
}

bool SimController::InsertTracks(char letter, const std::vector<SimTrack>& tracks, uint32_t startMs)
{
    return Insert(letter, tracks, startMs, kSourceNone, std::string(), 0);
}

bool SimController::InsertDemoDisc(char letter, const std::vector<uint32_t>& trackLengthsMs, uint32_t seed)
{
    return Insert(letter, AudioTracks(trackLengthsMs), kDefaultDiscStartMs, kSourceGenerated, std::string(), seed);
}

bool SimController::InsertImage(char letter, const std::wstring& path)
{
    if (!CheckLetter(letter))
        return false;
    wchar_t full[MAX_PATH * 4];
    const DWORD cch = GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
    if (cch == 0 || cch >= MAX_PATH * 4)
        return Fail("not a path: " + Narrow(path, CP_ACP));
    const SimSource kind = DiscImage::KindOf(full);
    if (kind == kSourceNone)
        return Fail("neither a .cue file nor a folder: " + Narrow(full, CP_ACP));
    DiscImage image;
    std::string error;
    if (!image.Load(kind, full, error))
        return Fail(error);
    const std::string utf8 = Narrow(full, CP_UTF8);
    if (utf8.size() >= kMaxSourcePath)
        return Fail("the image's path is longer than " + std::to_string(kMaxSourcePath - 1) + " bytes");
    std::vector<SimTrack> tracks;
    const std::vector<DiscImage::Track>& toc = image.Tracks();
    for (size_t i = 0; i < toc.size(); ++i)
    {
        const uint32_t end = i + 1 < toc.size() ? toc[i + 1].startFrame : image.EndFrame();
        tracks.push_back(SimTrack{ FrameToMs(end) - FrameToMs(toc[i].startFrame), toc[i].data });
    }
    return Insert(letter, tracks, FrameToMs(kLeadInFrames), kind, utf8, 0);
}

bool SimController::Insert(char letter, const std::vector<SimTrack>& tracks, uint32_t startMs, SimSource source,
                           const std::string& pathUtf8, uint32_t seed)
{
    if (!CheckLetter(letter))
        return false;
    if (tracks.empty() || tracks.size() > static_cast<size_t>(kMaxTracks))
        return Fail("a disc holds 1 to 99 tracks");
    uint64_t total = startMs;
    for (const SimTrack& track : tracks)
    {
        if (track.lengthMs < 1000)
            return Fail("a track lasts at least 1000 ms");
        total += track.lengthMs;
    }
    // MSF positions hold at most 99:59:74.
    if (total >= 100u * 60u * 1000u)
        return Fail("the disc is longer than 100 minutes");
    return ChangeDrive(letter, [&](SimDriveRecord& drive) {
        if (drive.hasDisc)
            return Fail(std::string("drive ") + drive.letter + ": already holds a disc");
        drive.hasDisc = 1;
        drive.trackCount = static_cast<uint32_t>(tracks.size());
        std::memset(drive.dataTrackBits, 0, sizeof drive.dataTrackBits);
        for (size_t i = 0; i < tracks.size(); ++i)
        {
            drive.trackLengths[i] = tracks[i].lengthMs;
            if (tracks[i].data)
                drive.dataTrackBits[i / 32] |= 1u << (i % 32);
        }
        drive.discStart = startMs;
        drive.position = startMs;
        drive.transport = kStopped;
        drive.sourceKind = source;
        drive.sourceSerial = ++m_pWorld->Data().sourceSerials;
        drive.sourceSeed = seed;
        std::memset(drive.sourcePath, 0, sizeof drive.sourcePath);
        std::memcpy(drive.sourcePath, pathUtf8.data(), pathUtf8.size());
        SimWorld::DoorClosed(drive);
        return true;
    });
}

bool SimController::RemoveDisc(char letter)
{
    return ChangeDrive(letter, [&](SimDriveRecord& drive) {
        if (!drive.hasDisc)
            return Fail(std::string("drive ") + drive.letter + ": holds no disc");
        m_pWorld->Interrupt(drive, kStopped);
        drive.hasDisc = 0;
        drive.trackCount = 0;
        drive.position = 0;
        return true;
    });
}

bool SimController::OpenDoor(char letter)
{
    return ChangeDrive(letter, [&](SimDriveRecord& drive) {
        m_pWorld->Interrupt(drive, kStopped);
        drive.doorOpen = 1;
        return true;
    });
}

bool SimController::CloseDoor(char letter)
{
    return ChangeDrive(letter, [&](SimDriveRecord& drive) {
        if (drive.doorOpen)
            SimWorld::DoorClosed(drive);
        return true;
    });
}

bool SimController::SetFaults(char letter, uint32_t faults, uint32_t delayMs)
{
    if (faults & ~static_cast<uint32_t>(kFaultAll))
        return Fail("unknown fault bits");
    if (delayMs > 60000)
        return Fail("a delay is at most 60000 ms");
    return ChangeDrive(letter, [&](SimDriveRecord& drive) {
        drive.faults = faults;
        drive.delayMs = delayMs;
        return true;
    });
}

bool SimController::ClearFaults(char letter)
{
    return SetFaults(letter, 0, 0);
}

bool SimController::SetProfile(char letter, SimProfile profile)
{
    if (profile > kProfileStuckPlaying)
        return Fail("unknown profile");
    return ChangeDrive(letter, [&](SimDriveRecord& drive) {
        drive.profile = profile;
        return true;
    });
}

bool SimController::SetSeekTime(char letter, uint32_t seekMs)
{
    if (seekMs > kMaxSeekMs)
        return Fail("a seek time is at most " + std::to_string(kMaxSeekMs) + " ms");
    return ChangeDrive(letter, [&](SimDriveRecord& drive) {
        drive.seekMs = seekMs;
        return true;
    });
}

bool SimController::SetWobble(char letter, uint32_t frames)
{
    if (frames > kMaxWobbleFrames)
        return Fail("a wobble is at most " + std::to_string(kMaxWobbleFrames) + " frames");
    return ChangeDrive(letter, [&](SimDriveRecord& drive) {
        drive.wobbleFrames = frames;
        return true;
    });
}

bool SimController::SetTimeFactor(double factor)
{
    if (!m_pWorld->IsOpen())
        return Fail(m_pWorld->GetError());
    if (!(factor > 0.0) || factor > 1e6 || std::isnan(factor))
        return Fail("the time factor must be above 0 and at most 1000000");
    SimWorld::Lock lock(*m_pWorld);
    m_pWorld->SetTimeFactor(factor);
    return true;
}

double SimController::GetTimeFactor() const
{
    if (!m_pWorld->IsOpen())
        return 0.0;
    SimWorld::Lock lock(*m_pWorld);
    return m_pWorld->Data().timeFactor;
}

bool SimController::GetDrive(char letter, SimDriveInfo& info) const
{
    return ChangeDrive(letter, [&](SimDriveRecord& drive) {
        info = InfoOf(*m_pWorld, drive);
        return true;
    });
}

std::vector<SimDriveInfo> SimController::GetDrives() const
{
    std::vector<SimDriveInfo> drives;
    if (!m_pWorld->IsOpen())
        return drives;
    SimWorld::Lock lock(*m_pWorld);
    for (SimDriveRecord& drive : m_pWorld->Data().drives)
        if (drive.defined)
            drives.push_back(InfoOf(*m_pWorld, drive));
    return drives;
}

void SimController::ClearJournal()
{
    if (!m_pWorld->IsOpen())
        return;
    SimWorld::Lock lock(*m_pWorld);
    m_pWorld->ClearJournal();
}

std::vector<SimJournalEntry> SimController::GetJournal() const
{
    std::vector<SimJournalEntry> entries;
    if (!m_pWorld->IsOpen())
        return entries;
    SimWorld::Lock lock(*m_pWorld);
    const SimWorldData& data = m_pWorld->Data();
    uint64_t first = data.journalWritten > kJournalCapacity ? data.journalWritten - kJournalCapacity : 0;
    for (uint64_t i = first; i < data.journalWritten; ++i)
        entries.push_back(data.journal[i % kJournalCapacity]);
    return entries;
}

bool SimController::BuildDemo()
{
    static const uint32_t kFirst[] = { 252000, 198000, 241000, 305000, 187000, 226000,
                                       274000, 213000, 259000, 191000, 236000, 318000 };
    static const uint32_t kSecond[] = { 341000, 287000, 402000, 265000, 378000, 296000, 333000, 421000 };
    static const uint32_t kThird[] = { 164000, 201000, 178000, 232000, 149000, 215000, 193000, 247000,
                                       171000, 208000, 186000, 224000, 157000, 239000, 262000 };
    if (!RemoveAllDrives() || !SetTimeFactor(1.0))
        return false;
    return DefineDrive('D', "SUNRISE") &&
           InsertDemoDisc('D', std::vector<uint32_t>(std::begin(kFirst), std::end(kFirst)), 1) &&
           DefineDrive('E', "夜想曲集") &&
           InsertDemoDisc('E', std::vector<uint32_t>(std::begin(kSecond), std::end(kSecond)), 2) &&
           DefineDrive('F', "HARBOUR LIGHTS") &&
           InsertDemoDisc('F', std::vector<uint32_t>(std::begin(kThird), std::end(kThird)), 3) && DefineDrive('G');
}

uint64_t SimController::NowUs()
{
    return SimWorld::NowUs();
}

}  // namespace simcd
