// Made-up music for discs without an image (the demo world's): each track
// repeats a short phrase of its own, a melody of plucked notes on a
// pentatonic scale over a bass note, drawn from the drive's seed and the
// track's number, so that every track and every drive sounds different.
// Computed sample by sample as it is read; nothing is recorded or stored.
#pragma once

#include "AudioSource.h"

#include <cstdint>
#include <vector>

namespace simcd
{

class PhraseGenerator : public AudioSource
{
public:
    // trackStartFrames: where each track starts; endFrame: where the last ends.
    PhraseGenerator(uint32_t seed, const std::vector<uint32_t>& trackStartFrames, uint32_t endFrame);

    void Read(uint64_t first, uint32_t count, int16_t* samples) override;

private:
    struct Phrase
    {
        uint64_t start, end;  // disc samples of the track
        uint32_t stepSamples;
        std::vector<double> melody;  // Hz per step, 0 for a rest
        std::vector<double> bass;    // Hz per step
    };

    static void AddNote(double hz, const double* harmonics, int harmonicCount, uint64_t t0, uint64_t length,
                        double decaySamples, double* out, uint32_t count);

    std::vector<Phrase> m_aPhrases;
    double m_aHarmonics[4];  // the drive's timbre
    double m_dPan;           // the melody's place, -1 left to 1 right
};

}  // namespace simcd
