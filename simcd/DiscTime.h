// Places on a disc in its three units: frames of 1/75 s, counted from the
// start of the disc (MSF 00:00:00); the drives' milliseconds; and samples of
// its sound (44,100 stereo samples a second, 588 a frame). Track starts come
// from an image in frames and are kept in milliseconds: a frame's first
// millisecond truncates back to the frame, and gives the frame's first
// sample again.
#pragma once

#include <cstdint>

namespace simcd
{

constexpr uint32_t kFramesPerSecond = 75;
constexpr uint32_t kSamplesPerFrame = 588;
constexpr uint32_t kSampleRate = kFramesPerSecond * kSamplesPerFrame;
constexpr uint32_t kBytesPerSample = 4;                           // 16-bit little-endian, left then right
constexpr uint32_t kBytesPerFrame = 2352;                         // a raw sector
constexpr uint32_t kLeadInFrames = 150;                           // the first track starts two seconds in
constexpr uint32_t kMaxDiscFrames = 100 * 60 * kFramesPerSecond;  // MSF positions end at 99:59:74

// The first whole millisecond of a frame.
constexpr uint32_t FrameToMs(uint32_t frame)
{
    return static_cast<uint32_t>((static_cast<uint64_t>(frame) * 1000u + kFramesPerSecond - 1) / kFramesPerSecond);
}

// The frame that holds a millisecond (MSF positions truncate).
constexpr uint32_t MsToFrame(uint32_t ms)
{
    return static_cast<uint32_t>(static_cast<uint64_t>(ms) * kFramesPerSecond / 1000u);
}

// The sample a millisecond stands for: its frame's first sample and the
// samples of the milliseconds past that frame's first one, rounded up.
constexpr uint64_t MsToSample(uint32_t ms)
{
    return static_cast<uint64_t>(MsToFrame(ms)) * kSamplesPerFrame +
           (static_cast<uint64_t>(ms - FrameToMs(MsToFrame(ms))) * kSampleRate + 999u) / 1000u;
}

// The millisecond a sample falls in, within the sample's own frame:
// MsToSample's inverse, rounding down.
constexpr uint32_t SampleToMs(uint64_t sample)
{
    const uint32_t frame = static_cast<uint32_t>(sample / kSamplesPerFrame);
    const uint32_t ms = FrameToMs(frame) + static_cast<uint32_t>(sample % kSamplesPerFrame * 1000u / kSampleRate);
    return ms < FrameToMs(frame + 1) ? ms : FrameToMs(frame + 1) - 1;
}

static_assert(MsToSample(FrameToMs(13687)) == 13687u * kSamplesPerFrame, "a frame's first ms is its first sample");
static_assert(MsToFrame(182500) == (3 * 60 + 2) * kFramesPerSecond + 37, "182500 ms is MSF 03:02:37");
static_assert(MsToSample(SampleToMs(7 * kSamplesPerFrame - 1)) <= 7 * kSamplesPerFrame - 1, "no sample ahead");

}  // namespace simcd
