// The floor of the drives' start skew in the sound: a bare program that
// starts several waveOut streams of the same sound one right after the
// other, as the simulated drives' sound thread starts the streams of drives
// played together, with nothing of theirs around it. Every device is opened
// and handed its sound while held (waveOutPause) first, and then they are
// started (waveOutRestart) back to back; each holds the same samples: the
// 20 ms of silence a drive's stream begins with, then the image's sound from
// the given place.
//   sound_floor STREAMS SECONDS IMAGE FROM_MS
// Prints how long the starts took, from the first to the last.
#include "simcd/DiscImage.h"
#include "simcd/DiscTime.h"
#include "simcd/TextCodec.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{

// One opened device with its one buffer; reset and closed when it goes.
class Stream
{
public:
    explicit Stream(std::vector<int16_t>& samples)
    {
        WAVEFORMATEX format = { WAVE_FORMAT_PCM,
                                2,
                                simcd::kSampleRate,
                                simcd::kSampleRate * simcd::kBytesPerSample,
                                simcd::kBytesPerSample,
                                16,
                                0 };
        if (waveOutOpen(&m_hWave, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
        {
            m_hWave = nullptr;
            return;
        }
        m_header.lpData = reinterpret_cast<LPSTR>(samples.data());
        m_header.dwBufferLength = static_cast<DWORD>(samples.size() * 2);
        waveOutPrepareHeader(m_hWave, &m_header, sizeof m_header);
    }
    ~Stream()
    {
        if (!m_hWave)
            return;
        waveOutReset(m_hWave);
        waveOutUnprepareHeader(m_hWave, &m_header, sizeof m_header);
        waveOutClose(m_hWave);
    }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    bool IsOpen() const { return m_hWave != nullptr; }
    void Hand()
    {
        waveOutPause(m_hWave);
        waveOutWrite(m_hWave, &m_header, sizeof m_header);
    }
    void Start() { waveOutRestart(m_hWave); }
    // Plays silence until Reset.
    void Warm()
    {
        m_silence.dwBufferLength = sizeof m_aSilence;
        m_silence.lpData = reinterpret_cast<LPSTR>(m_aSilence);
        waveOutPrepareHeader(m_hWave, &m_silence, sizeof m_silence);
        waveOutWrite(m_hWave, &m_silence, sizeof m_silence);
    }
    void Reset()
    {
        waveOutReset(m_hWave);
        waveOutUnprepareHeader(m_hWave, &m_silence, sizeof m_silence);
    }
    bool Done() const { return (m_header.dwFlags & WHDR_DONE) != 0; }

private:
    HWAVEOUT m_hWave = nullptr;
    WAVEHDR m_header = {};
    WAVEHDR m_silence = {};
    int16_t m_aSilence[44100] = {};  // a quarter of a second
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5)
    {
        std::fprintf(stderr, "usage: sound_floor STREAMS SECONDS IMAGE FROM_MS\n");
        return 2;
    }
    const int streams = std::atoi(argv[1]);
    const uint32_t count = static_cast<uint32_t>(std::atof(argv[2]) * simcd::kSampleRate);
    const std::wstring path = simcd::Widen(argv[3], CP_ACP);
    simcd::DiscImage image;
    std::string error;
    if (!image.Load(simcd::DiscImage::KindOf(path), path, error))
    {
        std::fprintf(stderr, "sound_floor: %s\n", error.c_str());
        return 1;
    }
    const uint32_t leadIn = simcd::kSampleRate / 50;
    std::vector<int16_t> samples((leadIn + count) * 2);
    image.Read(simcd::MsToSample(static_cast<uint32_t>(std::atoi(argv[4]))), count, &samples[leadIn * 2]);

    std::vector<std::unique_ptr<Stream>> opened;
    for (int i = 0; i < streams; ++i)
    {
        opened.emplace_back(new Stream(samples));
        if (!opened.back()->IsOpen())
        {
            std::fprintf(stderr, "sound_floor: no sound device\n");
            return 1;
        }
    }
    // Each stream plays once first, as a drive's has by the time it is
    // played together with others: a stream's first start takes longer.
    for (const std::unique_ptr<Stream>& stream : opened)
        stream->Warm();
    Sleep(200);
    for (const std::unique_ptr<Stream>& stream : opened)
        stream->Reset();
    for (const std::unique_ptr<Stream>& stream : opened)
        stream->Hand();
    LARGE_INTEGER frequency, first, last;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&first);
    for (const std::unique_ptr<Stream>& stream : opened)
        stream->Start();
    QueryPerformanceCounter(&last);
    for (const std::unique_ptr<Stream>& stream : opened)
        while (!stream->Done())
            Sleep(10);
    std::printf("starts %.3f ms\n",
                static_cast<double>(last.QuadPart - first.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart));
    return 0;
}
