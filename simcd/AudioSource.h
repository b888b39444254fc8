// The sound of a disc, read anywhere on it, as the simulated drives play it.
#pragma once

#include <cstdint>

namespace simcd
{

class AudioSource
{
public:
    virtual ~AudioSource() = default;

    // Fills count stereo samples (left, right, 16-bit) from the disc's
    // sample `first` on, counted from the start of the disc (MSF 00:00:00).
    // Where the disc has no sound (gaps, data, past its end, a file that
    // cannot be read) they are silence.
    virtual void Read(uint64_t first, uint32_t count, int16_t* samples) = 0;
};

}  // namespace simcd
