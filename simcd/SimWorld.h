// The simulated world in named shared memory, backed by a file so that it
// outlives the processes that use it: the drives, their discs and transport
// state, the time factor and the journal. The driver and the controller both
// change it through this class, always under its lock.
#pragma once

#include "SimTypes.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace simcd
{

// kStuck: a stuck-playing drive past the end of its play, reporting
// MCI_MODE_PLAY at the play's end. kSeeking: a play command's head movement,
// which reports the old position until playStartUs.
enum SimTransport : uint32_t
{
    kStopped = 0,
    kPlaying = 1,
    kPaused = 2,
    kStuck = 3,
    kSeeking = 4
};

struct SimDriveRecord
{
    uint32_t defined;
    char letter;
    char label[2 * kMaxLabelChars + 2];  // ANSI: up to two bytes a character
    uint32_t doorOpen;
    uint32_t hasDisc;
    uint32_t trackCount;
    uint32_t trackLengths[kMaxTracks];
    uint32_t discStart;
    uint32_t transport;  // SimTransport
    uint32_t position;   // ms; while playing or seeking, the position at playStartUs
    uint64_t playStartUs;
    uint32_t playTo;         // ms: where the current play ends
    uint32_t generation;     // changes whenever a play starts or ends
    uint32_t completed;      // the play reached its end: the notification code now due, else 0
    uint32_t notifyPending;  // a play waits to notify notifyWindow
    uint32_t notifyWindow;
    uint32_t notifyDevice;
    uint32_t notifyProcess;
    uint32_t faults;
    uint32_t delayMs;
    uint32_t openDevices;
    uint32_t profile;  // SimProfile
    uint32_t seekMs;
    uint32_t wobbleFrames;
    uint32_t dataTrackBits[4];  // bit i: track i + 1 is a data track
    uint32_t seekShownMs;       // the position reported while seeking
    uint32_t endCode;           // how the current play ends at playTo: successful, or failed at a data track
    uint64_t readyAtUs;         // a closed door's drive spins up until then
    uint32_t sourceKind;        // SimSource
    uint32_t sourceSerial;      // a new one with every disc: what processes have read of an image follows it
    uint32_t sourceSeed;        // kSourceGenerated: the seed of the drive's phrases
    uint32_t soundProcess;      // the process whose sound the play follows (0: none, real time)
    uint32_t soundStarted;      // that sound is heard: the position moves with it
    uint32_t reserved;
    uint64_t soundBeatUs;             // when that process last set the position
    char sourcePath[kMaxSourcePath];  // kSourceCue, kSourceWavFolder: the image, UTF-8
};

// The same file is shared by 32- and 64-bit processes: no pointers, and
// 8-byte fields on 8-byte boundaries in both.
static_assert(sizeof(SimDriveRecord) == 1648, "a drive's record has one layout in 32- and 64-bit builds");
static_assert(offsetof(SimDriveRecord, playStartUs) % 8 == 0 && offsetof(SimDriveRecord, readyAtUs) % 8 == 0 &&
                  offsetof(SimDriveRecord, soundBeatUs) % 8 == 0,
              "8-byte fields of a drive's record are aligned alike in 32- and 64-bit builds");

constexpr uint32_t kJournalCapacity = 16384;

struct SimWorldData
{
    uint32_t magic;
    uint32_t size;
    double timeFactor;
    uint32_t sourceSerials;  // handed out to discs
    uint32_t reserved;
    SimDriveRecord drives[26];
    uint64_t journalWritten;  // entries appended since the last clear
    SimJournalEntry journal[kJournalCapacity];
};

class SimWorld
{
public:
    SimWorld();
    ~SimWorld();
    SimWorld(const SimWorld&) = delete;
    SimWorld& operator=(const SimWorld&) = delete;

    bool IsOpen() const { return m_pData != nullptr; }
    const std::string& GetError() const { return m_strError; }

    // Holds the world's mutex; every access below needs one.
    class Lock
    {
    public:
        explicit Lock(SimWorld& world);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        HANDLE m_hMutex;
    };

    SimWorldData& Data() { return *m_pData; }
    // The defined drive with that letter (either case), or null.
    SimDriveRecord* FindDrive(char letter);

    // Brings a playing drive up to now: a play that has reached its end
    // stops there (or sticks there, with kProfileStuckPlaying) and, with
    // kProfileClassic, its notification becomes due; otherwise it stays
    // pending until a later command aborts it. A play that follows its
    // sound is ended by the process that plays it, when the sound ends.
    void Settle(SimDriveRecord& drive);
    // Ends a play at its end, as Settle does.
    void EndPlay(SimDriveRecord& drive);

    // A play whose sound a process plays follows that sound: the process
    // sets the position as it goes (started: the sound is heard), and until
    // it has started the position holds at the play's start. A process that
    // stops doing so for a second is taken for gone, and the play goes on in
    // real time.
    bool FollowsSound(SimDriveRecord& drive);
    void SoundAt(SimDriveRecord& drive, uint32_t position, bool started);
    // The play goes on in real time from where it is, without sound.
    void FollowRealTime(SimDriveRecord& drive);
    // A play just started here is to be heard from this process, when the
    // disc has a sound and time runs at its real pace.
    void ClaimSound(SimDriveRecord& drive);
    // No process plays the drive's sound any more.
    static void DropSound(SimDriveRecord& drive);
    // The drive's position now (settles it first).
    uint32_t Position(SimDriveRecord& drive);
    static uint32_t DiscEnd(const SimDriveRecord& drive);
    // Start of a track (1-based; trackCount + 1 gives the disc's end).
    static uint32_t TrackStart(const SimDriveRecord& drive, uint32_t track);
    static bool IsDataTrack(const SimDriveRecord& drive, uint32_t track);
    // The track that holds a position, 0 outside the disc.
    static uint32_t TrackAt(const SimDriveRecord& drive, uint32_t position);
    // The MCI mode of the drive itself, without faults.
    uint32_t Mode(SimDriveRecord& drive);
    // Still spinning up after its door closed.
    static bool IsSpinningUp(const SimDriveRecord& drive);
    // The drive's door closed on a disc (or none): it spins up for its seek time.
    static void DoorClosed(SimDriveRecord& drive);

    // Ends whatever play is in progress, leaving the drive in the given
    // transport state at its current position, and reports a pending
    // notification as aborted (or successful when the play had already
    // completed).
    void Interrupt(SimDriveRecord& drive, SimTransport transport);
    // Starts a play, after the drive's seek time; the notification window may
    // be 0. A play runs into no data track: it ends at one, failed.
    void StartPlay(SimDriveRecord& drive, uint32_t from, uint32_t to, uint32_t window, uint32_t deviceId);
    // Posts and clears a due end-of-play notification (withheld with
    // kFaultNoNotify).
    void DeliverCompletion(SimDriveRecord& drive);
    // Posts and clears the pending notification with the given code.
    void EndNotify(SimDriveRecord& drive, uint32_t code);

    void SetTimeFactor(double factor);

    // Appends an entry and returns its sequence number for UpdateJournal.
    uint64_t AppendJournal(const SimJournalEntry& entry);
    void UpdateJournal(uint64_t sequence, uint32_t result, uint32_t returned, uint32_t timeFormat);
    void ClearJournal();

    static uint64_t NowUs();
    // The folder that holds the world's file and the drives' directories.
    static std::string StorageFolder();

private:
    void Normalize();

    HANDLE m_hMutex = nullptr;
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    HANDLE m_hMapping = nullptr;
    SimWorldData* m_pData = nullptr;
    std::string m_strError;
};

}  // namespace simcd
