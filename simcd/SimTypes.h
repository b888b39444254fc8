// Value types shared by the simulated drives' controller, driver and tools.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace simcd
{

// Faults a drive can be given; they combine.
enum SimFault : uint32_t
{
    kFaultOpenFails = 0x01,        // opening a device on the drive fails
    kFaultStatusFails = 0x02,      // every MCI_STATUS fails
    kFaultNotReady = 0x04,         // mode stays MCI_MODE_NOT_READY; play and seek fail
    kFaultZeroTracks = 0x08,       // media present, but 0 tracks
    kFaultDelay = 0x10,            // every command waits the drive's delay first
    kFaultNoNotify = 0x20,         // the end of a play is never notified
    kFaultPositionPastEnd = 0x40,  // position queries report past the last track
    kFaultGarbageTracks = 0x80,    // the track count reads 0xFFFFFFFF
    kFaultAll = 0xFF
};

// How a drive's driver reports the end of a play that asked for a
// notification. Drivers that users have break MCI's promise in these ways.
enum SimProfile : uint32_t
{
    kProfileClassic = 0,       // MCI_NOTIFY_SUCCESSFUL; then stopped at the end
    kProfileSilentStop = 1,    // no notification; stopped at the end
    kProfileStuckPlaying = 2,  // no notification; "playing" at the end until the
                               // next play, pause, stop, seek or door command
};

// Where a drive's disc gets its sound from.
enum SimSource : uint32_t
{
    kSourceNone = 0,       // no sound: a disc given as track lengths
    kSourceCue = 1,        // a CUE sheet and the files it names
    kSourceWavFolder = 2,  // a folder of WAV files, a track each
    kSourceGenerated = 3,  // a phrase per track, made up from a seed
};

constexpr uint32_t kDefaultDiscStartMs = 2000;  // after the two-second lead-in
constexpr int kMaxTracks = 99;
constexpr int kMaxLabelChars = 32;  // a CD's volume label
constexpr uint32_t kMaxSeekMs = 10000;
constexpr uint32_t kMaxWobbleFrames = 75;  // a second of a CD's 75 frames
constexpr size_t kMaxSourcePath = 1024;    // bytes of an image's path in UTF-8, with its terminating zero

// One track of a disc to insert.
struct SimTrack
{
    uint32_t lengthMs = 0;
    bool data = false;  // a data track (CD-ROM) rather than audio
};

// One drive of the simulated world, as the controller reports it.
struct SimDriveInfo
{
    char letter = 0;    // upper case, 'D'
    std::string label;  // in the ANSI code page
    bool doorOpen = false;
    bool hasDisc = false;
    std::vector<uint32_t> trackLengthsMs;
    std::vector<bool> dataTracks;  // per track: a data track
    uint32_t discStartMs = 0;
    uint32_t mode = 0;                   // MCI_MODE_* the drive would report (faults not applied)
    uint32_t positionMs = 0;             // absolute on the disc
    uint32_t faults = 0;                 // SimFault bits
    uint32_t delayMs = 0;                // for kFaultDelay
    uint32_t openDevices = 0;            // MCI devices open on the drive, in every process
    uint32_t profile = kProfileClassic;  // SimProfile
    uint32_t generation = 0;             // changes whenever a play starts or ends
    uint32_t seekMs = 0;                 // real time a play (or a door close) takes to get going
    uint32_t wobbleFrames = 0;           // reported positions are off by up to this many frames
    uint32_t source = kSourceNone;       // SimSource of the disc's sound
    std::string sourcePath;              // the image (kSourceCue, kSourceWavFolder), UTF-8
    uint32_t sourceSeed = 0;             // kSourceGenerated
};

// One command the driver received, in the order received.
struct SimJournalEntry
{
    uint64_t timeUs = 0;  // on SimController::NowUs()'s clock
    uint32_t processId = 0;
    char drive = 0;           // upper-case letter; 0 when no drive was known
    uint32_t deviceId = 0;    // MCI device id
    uint32_t command = 0;     // MCI_OPEN_DRIVER, MCI_STATUS, MCI_PLAY, ...
    uint32_t flags = 0;       // the command's flags as received
    bool hasParams = false;   // a parameter block was given
    uint32_t item = 0;        // MCI_STATUS, MCI_GETDEVCAPS and MCI_INFO: the item
    uint32_t track = 0;       // MCI_STATUS with MCI_TRACK: the track
    uint32_t from = 0;        // MCI_PLAY: from; MCI_SEEK: to (as given, in timeFormat)
    uint32_t to = 0;          // MCI_PLAY: to (as given, in timeFormat)
    uint32_t timeFormat = 0;  // the device's time format after the command
    uint32_t callback = 0;    // the window given for MCI_NOTIFY
    uint32_t result = 0;      // the value the driver returned (error code, 0 = success)
    uint32_t returned = 0;    // MCI_STATUS, MCI_GETDEVCAPS: the return field written
};

}  // namespace simcd
