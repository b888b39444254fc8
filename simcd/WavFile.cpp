#include "WavFile.h"

#include "Handle.h"

#include <windows.h>

#include <cstring>

namespace simcd
{

namespace
{

const uint16_t kFormatPcm = 1;
const uint16_t kFormatFloat = 3;
const uint16_t kFormatExtensible = 0xFFFE;

uint32_t Le32(const unsigned char* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t Le16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

bool ReadWhole(HANDLE file, uint64_t offset, void* buffer, DWORD cb)
{
    return ReadAt(file, offset, buffer, cb) == cb;
}

}  // namespace

bool WavFile::Open(const std::wstring& path, std::string& error)
{
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
    {
        error = "cannot be opened";
        return false;
    }
    LARGE_INTEGER size;
    GetFileSizeEx(file.Get(), &size);
    const uint64_t fileBytes = static_cast<uint64_t>(size.QuadPart);
    unsigned char riff[12];
    if (!ReadWhole(file.Get(), 0, riff, sizeof riff) || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0)
    {
        error = "is not a WAV file (no RIFF WAVE header)";
        return false;
    }
    // The chunks follow one another, each padded to an even length.
    bool haveFormat = false;
    for (uint64_t offset = sizeof riff; offset + 8 <= fileBytes;)
    {
        unsigned char head[8];
        if (!ReadWhole(file.Get(), offset, head, sizeof head))
            break;
        const uint32_t cb = Le32(head + 4);
        const uint64_t body = offset + 8;
        if (std::memcmp(head, "fmt ", 4) == 0)
        {
            unsigned char format[40] = {};
            if (cb < 16 || !ReadWhole(file.Get(), body, format, cb < sizeof format ? cb : sizeof format))
            {
                error = "has a format chunk cut short";
                return false;
            }
            m_nFormat = Le16(format);
            m_nChannels = Le16(format + 2);
            m_nRate = Le32(format + 4);
            m_nBlockAlign = Le16(format + 12);
            m_nBits = Le16(format + 14);
            if (m_nFormat == kFormatExtensible && cb >= 40)
                m_nFormat = Le16(format + 24);  // the subformat GUID's first two bytes
            haveFormat = true;
        }
        else if (std::memcmp(head, "data", 4) == 0)
        {
            if (!haveFormat)
            {
                error = "has its data before its format chunk";
                return false;
            }
            if (body + cb > fileBytes)
            {
                error = "is cut short: its data chunk says " + std::to_string(cb) + " bytes, the file holds " +
                        std::to_string(fileBytes - body);
                return false;
            }
            m_nDataOffset = body;
            m_nDataBytes = cb;
            return true;
        }
        offset = body + cb + (cb & 1);
    }
    error = haveFormat ? "has no data chunk" : "has no format chunk";
    return false;
}

bool WavFile::IsCdAudio() const
{
    return m_nFormat == kFormatPcm && m_nChannels == 2 && m_nRate == 44100 && m_nBits == 16 && m_nBlockAlign == 4;
}

std::string WavFile::Describe() const
{
    std::string kind = m_nFormat == kFormatPcm     ? "PCM"
                       : m_nFormat == kFormatFloat ? "floating-point"
                                                   : "format " + std::to_string(m_nFormat);
    std::string channels = m_nChannels == 1   ? "mono"
                           : m_nChannels == 2 ? "stereo"
                                              : std::to_string(m_nChannels) + "-channel";
    return std::to_string(m_nBits) + "-bit " + channels + " " + kind + " at " + std::to_string(m_nRate) + " Hz";
}

}  // namespace simcd
