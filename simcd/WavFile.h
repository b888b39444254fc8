// The header of a WAV file: what its samples are and where they lie.
#pragma once

#include <cstdint>
#include <string>

namespace simcd
{

class WavFile
{
public:
    // Reads the header of the file. False, with the reason, when it is no
    // RIFF WAVE file or a chunk it needs is missing or cut short.
    bool Open(const std::wstring& path, std::string& error);

    // 16-bit stereo 44,100 Hz PCM, the sound of a CD.
    bool IsCdAudio() const;
    // What the samples are, e.g. "8-bit mono PCM at 22050 Hz".
    std::string Describe() const;

    uint64_t DataOffset() const { return m_nDataOffset; }
    uint64_t DataBytes() const { return m_nDataBytes; }

private:
    uint16_t m_nFormat = 0;  // WAVE_FORMAT_*, the subformat's for WAVE_FORMAT_EXTENSIBLE
    uint16_t m_nChannels = 0;
    uint32_t m_nRate = 0;
    uint16_t m_nBits = 0;
    uint16_t m_nBlockAlign = 0;
    uint64_t m_nDataOffset = 0;
    uint64_t m_nDataBytes = 0;
};

}  // namespace simcd
