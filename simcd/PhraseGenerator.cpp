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

// Adds a plucked note's samples [t0, t0 + count) to out: its harmonics'
// sines turned sample by sample, its decay multiplied down, so that a
// sample costs a few multiplications.
void PhraseGenerator::AddNote(double hz, const double* harmonics, int harmonicCount, uint64_t t0, uint64_t length,
                              double decaySamples, double* out, uint32_t count)
{
    const double attack = kAttackSeconds * kSampleRate, release = kReleaseSeconds * kSampleRate;
    const double fall = std::exp(-1.0 / decaySamples);
    for (int h = 0; h < harmonicCount; ++h)
    {
        if (harmonics[h] == 0.0)
            continue;
        const double step = 2.0 * kPi * hz * (h + 1) / kSampleRate;
        const double turnRe = std::cos(step), turnIm = std::sin(step);
        double re = std::cos(step * static_cast<double>(t0)), im = std::sin(step * static_cast<double>(t0));
        double decay = harmonics[h] * std::exp(-static_cast<double>(t0) / decaySamples);
        for (uint32_t i = 0; i < count; ++i)
        {
            // Only the note's first and last milliseconds ramp.
            const double t = static_cast<double>(t0 + i), left = static_cast<double>(length) - t;
            const double edge = t < attack ? t / attack : left < release ? left / release : 1.0;
            out[i] += im * decay * edge;
            const double nextRe = re * turnRe - im * turnIm;
            im = re * turnIm + im * turnRe;
            re = nextRe;
            decay *= fall;
        }
    }
}

void PhraseGenerator::Read(uint64_t first, uint32_t count, int16_t* samples)
{
    std::fill(samples, samples + 2 * static_cast<size_t>(count), static_cast<int16_t>(0));
    static const double kBassHarmonics[] = { 1.0 };
    std::vector<double> melody(count), bass(count);
    for (const Phrase& phrase : m_aPhrases)
    {
        const uint64_t from = std::max(first, phrase.start), to = std::min(first + count, phrase.end);
        // A note at a time: the melody's steps, within them the bass's notes.
        for (uint64_t s = from; s < to;)
        {
            const uint64_t offset = s - phrase.start;
            const uint64_t step = offset / phrase.stepSamples;
            const uint64_t run = std::min<uint64_t>(to - s, (step + 1) * phrase.stepSamples - offset);
            const uint32_t at = static_cast<uint32_t>(s - first), n = static_cast<uint32_t>(run);
            const double hz = phrase.melody[step % kSteps];
            if (hz != 0.0)
                AddNote(hz, m_aHarmonics, 4, offset % phrase.stepSamples, phrase.stepSamples, phrase.stepSamples / 3.0,
                        &melody[at], n);
            const uint64_t bassSamples = static_cast<uint64_t>(phrase.stepSamples) * kBassSteps;
            AddNote(phrase.bass[step % kSteps], kBassHarmonics, 1, offset % bassSamples, bassSamples, bassSamples / 2.0,
                    &bass[at], n);
            s += run;
        }
        for (uint64_t s = from; s < to; ++s)
        {
            const size_t i = static_cast<size_t>(s - first);
            const double fade = std::min(1.0, static_cast<double>(phrase.end - s) / (kTrackFadeSeconds * kSampleRate));
            const double tune = melody[i] * kMelodyLevel * fade / 1.6, low = bass[i] * kBassLevel * fade;
            samples[2 * i] = static_cast<int16_t>(low + tune * (1.0 - m_dPan) / 2.0 * 1.4);
            samples[2 * i + 1] = static_cast<int16_t>(low + tune * (1.0 + m_dPan) / 2.0 * 1.4);
        }
    }
}

}  // namespace simcd
