// The sound of the plays started from this process: each drive whose disc
// has a sound (an image, or generated music) gets a stream of its own
// through waveOut while the process has a device open on it, and a play
// started here sounds from its first sample to its end. The drive's position
// follows what has been heard, and the process ends the play when the
// sound ends. At a time factor other than 1, or without a sound device,
// plays stay silent and run in real time. A thread of its own, from the
// first device opened in the process to the last one closed.
#pragma once

#include "../Handle.h"
#include "CountedThread.h"
#include "DriveStream.h"

#include <windows.h>

#include <atomic>
#include <memory>

namespace simcd
{

class SimWorld;

class SoundPlayer
{
public:
    explicit SoundPlayer(SimWorld& world);
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // A device on the drive was opened, or closed, in this process.
    void Acquire(char letter);
    void Release(char letter);
    // Devices open on the drive in this process.
    int DevicesOn(char letter) const;
    // A command may have started or ended a play.
    void Wake();

private:
    struct Wanted;

    static DWORD WINAPI ThreadProc(LPVOID param);
    void Run();
    // Brings the streams in line with the drives, starting new plays' sound
    // when start; returns how long to wait.
    DWORD Service(bool start);
    void Look(Wanted* wanted);
    void Report(const Wanted* wanted, const uint64_t* heard);
    static std::unique_ptr<AudioSource> SourceOf(const Wanted& wanted);

    SimWorld& m_world;
    Handle m_wake{ CreateEventA(nullptr, FALSE, FALSE, nullptr) };
    CountedThread m_thread{ ThreadProc, this };
    std::atomic<int> m_aDevices[26];
    std::unique_ptr<DriveStream> m_aStreams[26];  // the thread's own
};

}  // namespace simcd
