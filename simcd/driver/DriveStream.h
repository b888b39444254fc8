// One drive's sound in the process that plays it: the disc's source, a
// waveOut device of its own, and the play being sounded, kept a few buffers
// ahead and counted as it is heard.
#pragma once

#include "../AudioSource.h"
#include "WaveOut.h"

#include <cstdint>
#include <memory>

namespace simcd
{

class DriveStream
{
public:
    // serial: the disc's; source: null when the disc's sound cannot be read.
    DriveStream(uint32_t serial, std::unique_ptr<AudioSource> source);

    uint32_t Serial() const { return m_nSerial; }
    // No sound here: the source or the device is missing.
    bool Broken() const { return !m_pSource || m_bOpenFailed; }
    // Opens the device once; the first open may take a while.
    void Open();

    // Readies the play of that generation over the disc's samples
    // [first, end): hands its first tenth of a second to the device, held;
    // Begin starts it, and Pump hands over the rest. Streams that start
    // together are all readied first and then begun one right after the
    // other.
    void Prepare(uint32_t generation, uint64_t first, uint64_t end);
    void Begin(uint64_t nowUs);
    // Silent at once.
    void Stop();
    bool Playing() const { return m_bPlaying; }
    uint32_t Generation() const { return m_nGeneration; }

    // Keeps the buffers full and returns the disc's sample being heard.
    uint64_t Pump(uint64_t nowUs);
    // Every sample of the play has been played.
    bool Finished() const;

private:
    // Fills a buffer with the stream's next samples; returns how many.
    uint32_t Fill(int buffer);
    uint64_t Heard(uint64_t nowUs);

    uint32_t m_nSerial;
    std::unique_ptr<AudioSource> m_pSource;
    WaveOut m_wave;
    bool m_bOpenFailed = false;
    bool m_bPlaying = false;
    uint32_t m_nGeneration = 0;
    uint64_t m_nFirst = 0;    // the play's first disc sample
    uint64_t m_nLength = 0;   // the stream's samples: the lead-in and the play's
    uint64_t m_nWritten = 0;  // of them, handed to the device
    // The stream's samples heard, worked out between what the device
    // reports: so many heard at a moment, going on in real time from it.
    uint64_t m_nAnchorHeard = 0;
    uint64_t m_nAnchorUs = 0;
};

}  // namespace simcd
