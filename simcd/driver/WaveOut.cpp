#include "WaveOut.h"

#include "../DiscTime.h"

namespace simcd
{

WaveOut::~WaveOut()
{
    if (!m_hWave)
        return;
    waveOutReset(m_hWave);
    for (WAVEHDR& header : m_aHeaders)
        waveOutUnprepareHeader(m_hWave, &header, sizeof header);
    waveOutClose(m_hWave);
}

bool WaveOut::Open()
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = kSampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = kBytesPerSample;
    format.nAvgBytesPerSec = kSampleRate * kBytesPerSample;
    HWAVEOUT wave = nullptr;
    if (waveOutOpen(&wave, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
        return false;
    m_hWave = wave;
    for (int i = 0; i < kBuffers; ++i)
    {
        m_aHeaders[i].lpData = reinterpret_cast<LPSTR>(Samples(i));
        m_aHeaders[i].dwBufferLength = kBufferSamples * 4;
        waveOutPrepareHeader(m_hWave, &m_aHeaders[i], sizeof m_aHeaders[i]);
    }
    return true;
}

int WaveOut::FreeBuffer() const
{
    for (int i = 0; i < kBuffers; ++i)
        if (!m_aQueued[i])
            return i;
    return -1;
}

void WaveOut::Write(int buffer, uint32_t count)
{
    WAVEHDR& header = m_aHeaders[buffer];
    header.dwBufferLength = count * 4;
    m_aQueued[buffer] = waveOutWrite(m_hWave, &header, sizeof header) == MMSYSERR_NOERROR;
}

void WaveOut::Hold()
{
    waveOutPause(m_hWave);
}

void WaveOut::Go()
{
    waveOutRestart(m_hWave);
}

void WaveOut::Poll(uint64_t nowUs)
{
    for (int i = 0; i < kBuffers; ++i)
    {
        if (m_aQueued[i] && (m_aHeaders[i].dwFlags & WHDR_DONE))
        {
            m_aQueued[i] = false;
            m_nPlayed += m_aHeaders[i].dwBufferLength / 4;
            m_nPlayedUs = m_nPolledUs ? m_nPolledUs : nowUs;
        }
    }
    m_nPolledUs = nowUs;
}

uint64_t WaveOut::HandedOver() const
{
    MMTIME time = {};
    time.wType = TIME_SAMPLES;
    if (waveOutGetPosition(m_hWave, &time, sizeof time) != MMSYSERR_NOERROR || time.wType != TIME_SAMPLES)
        return 0;
    return time.u.sample;
}

bool WaveOut::Queued() const
{
    for (bool queued : m_aQueued)
        if (queued)
            return true;
    return false;
}

void WaveOut::Reset()
{
    waveOutReset(m_hWave);
    for (bool& queued : m_aQueued)
        queued = false;
    m_nPlayed = 0;
    m_nPlayedUs = 0;
    m_nPolledUs = 0;
}

}  // namespace simcd
