// A disc made from an image: a CUE sheet and the files it names (raw
// samples or WAV), or a folder of WAV files, a track each. Holds the table
// of contents in frames, frame-exact, and reads the sound from the files as
// it is asked for; only the files' headers are read when it loads.
#pragma once

#include "AudioSource.h"
#include "Handle.h"
#include "SimTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace simcd
{

class CueSheet;

class DiscImage : public AudioSource
{
public:
    struct Track
    {
        uint32_t startFrame;  // its INDEX 01, from the start of the disc
        bool data;
    };

    // What an image's path names: a .cue file, a folder, or neither.
    static SimSource KindOf(const std::wstring& path);

    // Loads the image. The first track starts at frame 150 (two seconds in);
    // a CUE sheet's pregap (INDEX 00, PREGAP) belongs to the track before,
    // as CD players count it, and whatever lies before track 1's INDEX 01 is
    // left out. False, with one line naming the file and what is wrong,
    // when a file is missing, cut short, malformed or not CD audio.
    bool Load(SimSource kind, const std::wstring& path, std::string& error);

    const std::vector<Track>& Tracks() const { return m_aTracks; }
    // The frame after the last one of the last track.
    uint32_t EndFrame() const { return m_nEndFrame; }

    void Read(uint64_t first, uint32_t count, int16_t* samples) override;

private:
    struct File
    {
        std::wstring path;
        bool bigEndian;
        uint64_t dataOffset;  // where its samples start
        uint64_t dataBytes;
        std::unique_ptr<Handle> handle;  // opened when first read
    };
    // A stretch of the disc: silence (a gap or data) or sound from a file.
    struct Segment
    {
        uint32_t startFrame;
        uint32_t frames;
        int file;             // -1: silence
        uint64_t byteOffset;  // of its first sample in the file's samples
    };

    bool LoadCue(const std::wstring& path, std::string& error);
    bool LoadFolder(const std::wstring& folder, std::string& error);
    bool Finish(uint32_t track1Frame, std::string& error);
    void ReadFile(File& file, uint64_t byteOffset, uint32_t count, int16_t* samples);

    std::vector<Track> m_aTracks;
    std::vector<Segment> m_aSegments;
    std::vector<File> m_aFiles;
    uint32_t m_nEndFrame = 0;
};

}  // namespace simcd
