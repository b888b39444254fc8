#include "PhraseGenerator.h"

#include "DiscTime.h"

#include <algorithm>
#include <cmath>

namespace simcd
{

namespace
{

const double kPi = 3.14159265358979323846;
const int kSteps = 8;                      // eighth notes a phrase
const int kBassSteps = 4;                  // steps a bass note lasts
const int kScale[] = { 0, 2, 4, 7, 9 };    // a major pentatonic scale, in semitones
const double kMelodyLevel = 0.18 * 32767;  // three drives together stay below full scale
const double kBassLevel = 0.10 * 32767;
const double kAttackSeconds = 0.006;
const double kReleaseSeconds = 0.004;   // at a note's end, so that the next one starts without a click
const double kTrackFadeSeconds = 0.05;  // at a track's end

uint32_t Mix(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

double NoteHz(int semitonesFromA4)
{
    return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0);
}

// A plucked note's loudness t seconds into a note that lasts length seconds.
double Envelope(double t, double length, double decaySeconds)
{
    const double attack = std::min(1.0, t / kAttackSeconds);
    const double release = std::min(1.0, (length - t) / kReleaseSeconds);
    return attack * std::max(0.0, release) * std::exp(-t / decaySeconds);
}

}  // namespace

PhraseGenerator::PhraseGenerator(uint32_t seed, const std::vector<uint32_t>& trackStartFrames, uint32_t endFrame)
{
    static const double kTimbres[][4] = { { 1.0, 0.5, 0.25, 0.1 }, { 1.0, 0.0, 0.33, 0.0 }, { 1.0, 0.7, 0.1, 0.3 } };
    const uint32_t drive = Mix(seed * 2654435761u + 1);
    std::copy(std::begin(kTimbres[drive % 3]), std::end(kTimbres[drive % 3]), m_aHarmonics);
    m_dPan = static_cast<int>(drive >> 8 & 7) / 7.0 * 1.2 - 0.6;
    const int key = static_cast<int>((drive >> 12) % 12) - 12;  // the drive's key, below A4
    for (size_t i = 0; i < trackStartFrames.size(); ++i)
    {
        uint32_t state = Mix(drive ^ Mix(static_cast<uint32_t>(i) + 0x9e3779b9u));
        auto next = [&state] { return state = Mix(state + 0x6d2b79f5u); };
        Phrase phrase;
        phrase.start = static_cast<uint64_t>(trackStartFrames[i]) * kSamplesPerFrame;
        const uint32_t end = i + 1 < trackStartFrames.size() ? trackStartFrames[i + 1] : endFrame;
        phrase.end = static_cast<uint64_t>(end) * kSamplesPerFrame;
        const uint32_t bpm = 84 + next() % 60;
        phrase.stepSamples = kSampleRate * 30 / bpm;
        const int root = key + static_cast<int>(next() % 5) * 2;
        int degree = static_cast<int>(next() % 5) + 5;  // a walk over two octaves of the scale
        for (int step = 0; step < kSteps; ++step)
        {
            degree = std::min(9, std::max(0, degree + static_cast<int>(next() % 5) - 2));
            const bool rest = step > 0 && next() % 7 == 0;
            phrase.melody.push_back(rest ? 0.0 : NoteHz(root + kScale[degree % 5] + 12 * (degree / 5)));
            const int bassDegree = (step / kBassSteps) % 2 == 0 ? 0 : 3;  // the root, then the fifth
            phrase.bass.push_back(NoteHz(root - 24 + kScale[bassDegree]));
        }
        m_aPhrases.push_back(phrase);
    }
}

double PhraseGenerator::Melody(const Phrase& phrase, uint64_t offset) const
{
    const uint64_t step = offset / phrase.stepSamples % kSteps;
    const double hz = phrase.melody[step];
    if (hz == 0.0)
        return 0.0;
    const double length = static_cast<double>(phrase.stepSamples) / kSampleRate;
    const double t = static_cast<double>(offset % phrase.stepSamples) / kSampleRate;
    double value = 0.0;
    for (int h = 0; h < 4; ++h)
        if (m_aHarmonics[h] != 0.0)
            value += m_aHarmonics[h] * std::sin(2.0 * kPi * hz * (h + 1) * t);
    return value * Envelope(t, length, length / 3.0) / 1.6;
}

double PhraseGenerator::Bass(const Phrase& phrase, uint64_t offset)
{
    const uint64_t noteSamples = static_cast<uint64_t>(phrase.stepSamples) * kBassSteps;
    const double hz = phrase.bass[offset / phrase.stepSamples % kSteps];
    const double length = static_cast<double>(noteSamples) / kSampleRate;
    const double t = static_cast<double>(offset % noteSamples) / kSampleRate;
    return std::sin(2.0 * kPi * hz * t) * Envelope(t, length, length / 2.0);
}

void PhraseGenerator::Read(uint64_t first, uint32_t count, int16_t* samples)
{
    std::fill(samples, samples + 2 * static_cast<size_t>(count), static_cast<int16_t>(0));
    for (const Phrase& phrase : m_aPhrases)
    {
        const uint64_t from = std::max(first, phrase.start), to = std::min(first + count, phrase.end);
        for (uint64_t s = from; s < to; ++s)
        {
            const uint64_t offset = s - phrase.start;
            const double fade = std::min(1.0, static_cast<double>(phrase.end - s) / (kTrackFadeSeconds * kSampleRate));
            const double melody = Melody(phrase, offset) * kMelodyLevel * fade;
            const double bass = Bass(phrase, offset) * kBassLevel * fade;
            int16_t* out = samples + (s - first) * 2;
            out[0] = static_cast<int16_t>(bass + melody * (1.0 - m_dPan) / 2.0 * 1.4);
            out[1] = static_cast<int16_t>(bass + melody * (1.0 + m_dPan) / 2.0 * 1.4);
        }
    }
}

}  // namespace simcd
