// A waveOut device playing CD audio (16-bit stereo at 44,100 Hz) from a
// ring of buffers prepared once. Reset and closed when it goes.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <vector>

namespace simcd
{

class WaveOut
{
public:
    // A frame a buffer: what has been played is known to within a frame.
    static const int kBuffers = 24;
    static const uint32_t kBufferSamples = 588;

    WaveOut() = default;
    ~WaveOut();
    WaveOut(const WaveOut&) = delete;
    WaveOut& operator=(const WaveOut&) = delete;

    // Opens the default sound device. False when there is none, or it takes
    // no CD audio.
    bool Open();
    bool IsOpen() const { return m_hWave != nullptr; }

    // A buffer free to be filled, or -1 when all are queued.
    int FreeBuffer() const;
    int16_t* Samples(int buffer) { return &m_aSamples[static_cast<size_t>(buffer) * kBufferSamples * 2]; }
    // Queues a buffer holding count samples.
    void Write(int buffer, uint32_t count);
    // Holds what is written from then on until Go: the device starts with
    // all of it handed over at once (Wine's sound driver otherwise puts
    // silence ahead of a start with less than it asks for).
    void Hold();
    void Go();
    // Counts the buffers played since the last look; nowUs: the time now.
    void Poll(uint64_t nowUs);
    // Samples of the buffers played since the last reset, and the earliest
    // time the last of them may have been played: the look before the one
    // that found it played.
    uint64_t Played() const { return m_nPlayed; }
    uint64_t PlayedUs() const { return m_nPlayedUs; }
    // Samples handed to the sound system since the last reset: more than
    // is heard by what the system holds.
    uint64_t HandedOver() const;
    bool Queued() const;
    // Drops what is queued: silent at once.
    void Reset();

private:
    HWAVEOUT m_hWave = nullptr;
    WAVEHDR m_aHeaders[kBuffers] = {};
    bool m_aQueued[kBuffers] = {};
    std::vector<int16_t> m_aSamples = std::vector<int16_t>(kBuffers * kBufferSamples * 2);
    uint64_t m_nPlayed = 0;
    uint64_t m_nPlayedUs = 0;
    uint64_t m_nPolledUs = 0;  // the last look
};

}  // namespace simcd
