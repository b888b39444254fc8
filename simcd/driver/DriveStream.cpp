#include "DriveStream.h"

#include "../DiscTime.h"

#include <algorithm>

namespace simcd
{

namespace
{

// A stream's first few milliseconds may be lost as the sound system starts
// it: it starts with this much silence, so that what is lost is that.
const uint32_t kLeadInSamples = kSampleRate / 50;
// Buffers filled before a stream starts: a tenth of a second.
const int kStartBuffers = 8;

}  // namespace

DriveStream::DriveStream(uint32_t serial, std::unique_ptr<AudioSource> source)
    : m_nSerial(serial), m_pSource(std::move(source))
{}

void DriveStream::Open()
{
    if (!m_wave.IsOpen() && !Broken())
        m_bOpenFailed = !m_wave.Open();
}

void DriveStream::Prepare(uint32_t generation, uint64_t first, uint64_t end)
{
    Stop();
    m_nGeneration = generation;
    m_nFirst = first;
    m_nLength = end > first ? kLeadInSamples + end - first : 0;
    m_nWritten = 0;
    m_wave.Hold();
    for (int buffer = 0; buffer < kStartBuffers && m_nWritten < m_nLength; ++buffer)
        m_wave.Write(buffer, Fill(buffer));
    m_bPlaying = true;
}

void DriveStream::Begin(uint64_t nowUs)
{
    m_wave.Go();
    m_wave.Poll(nowUs);
    m_nAnchorHeard = 0;
    m_nAnchorUs = nowUs;
}

void DriveStream::Stop()
{
    if (m_bPlaying)
        m_wave.Reset();
    m_bPlaying = false;
}

uint32_t DriveStream::Fill(int buffer)
{
    const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(WaveOut::kBufferSamples, m_nLength - m_nWritten));
    int16_t* samples = m_wave.Samples(buffer);
    const uint32_t silent =
        m_nWritten < kLeadInSamples ? std::min(count, static_cast<uint32_t>(kLeadInSamples - m_nWritten)) : 0;
    std::fill(samples, samples + silent * 2, static_cast<int16_t>(0));
    if (count > silent)
        m_pSource->Read(m_nFirst + m_nWritten + silent - kLeadInSamples, count - silent, samples + silent * 2);
    m_nWritten += count;
    return count;
}

uint64_t DriveStream::Pump(uint64_t nowUs)
{
    m_wave.Poll(nowUs);
    for (int buffer; m_nWritten < m_nLength && (buffer = m_wave.FreeBuffer()) >= 0;)
        m_wave.Write(buffer, Fill(buffer));
    const uint64_t heard = Heard(nowUs);
    return m_nFirst + (heard > kLeadInSamples ? heard - kLeadInSamples : 0);
}

// Real time since the start, kept where the device says the sound is: past
// the buffers found played, less than a buffer beyond them as the time
// since the last of them goes (the device finds a buffer played within a
// buffer's time of its end; until the first one, the sound may not have
// started), and not beyond what has been handed to it. After a stall it
// goes on from where the sound went on.
uint64_t DriveStream::Heard(uint64_t nowUs)
{
    uint64_t heard = m_nAnchorHeard + (nowUs - m_nAnchorUs) * kSampleRate / 1000000u;
    const uint64_t played = m_wave.Played();
    const uint64_t since = m_wave.PlayedUs() ? nowUs - m_wave.PlayedUs() : 0;
    const uint64_t high = std::min(played + WaveOut::kBufferSamples + since * kSampleRate / 1000000u,
                                   std::min(m_nWritten, m_wave.HandedOver()));
    const uint64_t low = std::min(played, high);
    if (heard > high || heard < low)
    {
        heard = heard > high ? high : low;
        m_nAnchorHeard = heard;
        m_nAnchorUs = nowUs;
    }
    return heard;
}

bool DriveStream::Finished() const
{
    return m_bPlaying && m_nWritten >= m_nLength && !m_wave.Queued();
}

}  // namespace simcd
