// The controller of the simulated CD-ROM drives: defines drives and their
// drive letters, inserts and removes discs, opens and closes doors, sets
// faults and the time factor, and reads the drives' state and the journal of
// MCI commands. Works from any process under the same wineserver: the world
// lives in named shared memory.
#pragma once

#include "SimTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace simcd
{

class SimWorld;

class SimController
{
public:
    SimController();
    ~SimController();
    SimController(const SimController&) = delete;
    SimController& operator=(const SimController&) = delete;

    // False when the shared world could not be opened; every call then fails.
    bool IsAttached() const;
    // One line saying why the last failing call failed.
    const std::string& GetLastError() const;

    // Adds a CD-ROM drive letter (empty drive, door closed) with an optional
    // volume label in the ANSI code page, at most kMaxLabelChars characters;
    // a running program sees it on its next drive query.
    bool DefineDrive(char letter, const std::string& label = std::string());
    bool RemoveDrive(char letter);
    // Removes every simulated drive and clears the journal.
    bool RemoveAllDrives();

    // Puts a disc into an empty drive and closes its door; a drive with a
    // seek time then spins up for that long.
    bool InsertDisc(char letter, const std::vector<uint32_t>& trackLengthsMs, uint32_t startMs = kDefaultDiscStartMs);
    // The same with data tracks among the audio ones (an Enhanced or a
    // mixed-mode CD, a CD-ROM).
    bool InsertTracks(char letter, const std::vector<SimTrack>& tracks, uint32_t startMs = kDefaultDiscStartMs);
    // A disc with the given track lengths that plays made-up music: a
    // phrase per track drawn from the seed (PhraseGenerator).
    bool InsertDemoDisc(char letter, const std::vector<uint32_t>& trackLengthsMs, uint32_t seed);
    // A disc from an image: a .cue file with the files it names, or a folder
    // of WAV files, a track each (DiscImage). Its table of contents comes
    // from the image; the drive keeps the image's full path, and whatever
    // process plays it reads the image as it plays. A missing, cut-short,
    // malformed or unsupported image fails with the reason and changes
    // nothing.
    bool InsertImage(char letter, const std::wstring& path);
    // Takes the disc out; a play in progress ends (aborted).
    bool RemoveDisc(char letter);
    // Opening the door ends a play in progress (aborted).
    bool OpenDoor(char letter);
    bool CloseDoor(char letter);

    // Replaces the drive's faults (SimFault bits); delayMs is used by kFaultDelay.
    bool SetFaults(char letter, uint32_t faults, uint32_t delayMs = 0);
    bool ClearFaults(char letter);

    // How the drive's driver reports the end of a play (kProfileClassic when
    // defined); it applies from the next end of a play on.
    bool SetProfile(char letter, SimProfile profile);

    // Drive physics, both off (0) when defined. A play command, and a door
    // closing, takes the seek time (real time, whatever the time factor)
    // before the drive plays at the new place: meanwhile it reports its old
    // position and mode MCI_MODE_SEEK (MCI_MODE_PLAY with the silent-stop
    // and stuck-playing profiles), or MCI_MODE_NOT_READY while it spins up.
    // Every position it reports is off by up to the wobble (in frames of
    // 1/75 s) either way.
    bool SetSeekTime(char letter, uint32_t seekMs);
    bool SetWobble(char letter, uint32_t frames);

    // Play advances by real time multiplied by this factor (1 = real time).
    bool SetTimeFactor(double factor);
    double GetTimeFactor() const;

    bool GetDrive(char letter, SimDriveInfo& info) const;
    std::vector<SimDriveInfo> GetDrives() const;

    void ClearJournal();
    std::vector<SimJournalEntry> GetJournal() const;

    // The demo world: D:, E: (a Japanese label), F: holding discs of 12, 8
    // and 15 tracks of made-up music, a seed each, G: empty.
    bool BuildDemo();

    // The journal's clock, in microseconds.
    static uint64_t NowUs();

private:
    bool Fail(const std::string& message) const;
    bool CheckLetter(char& letter) const;
    template <class F>
    bool ChangeDrive(char letter, F f) const;
    bool Insert(char letter, const std::vector<SimTrack>& tracks, uint32_t startMs, SimSource source,
                const std::string& pathUtf8, uint32_t seed);

    std::unique_ptr<SimWorld> m_pWorld;
    mutable std::string m_strError;
};

}  // namespace simcd
