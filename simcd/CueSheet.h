// A CUE sheet as written: the files it names, and its tracks with their
// types, indexes and gaps. DiscImage lays them out on a disc.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace simcd
{

class CueSheet
{
public:
    enum FileType
    {
        kBinary,    // raw samples, 16-bit little-endian
        kMotorola,  // raw samples, 16-bit big-endian
        kWave,      // a WAV file
    };
    struct File
    {
        std::wstring path;  // resolved against the sheet's folder
        std::string name;   // as the sheet writes it, for messages
        FileType type;
        int line;
    };
    struct Index
    {
        uint32_t number;
        size_t file;     // into Files()
        uint32_t frame;  // from the start of its file
        int line;
    };
    struct Track
    {
        uint32_t number;
        bool audio;
        uint32_t sectorBytes;  // of its sectors in a binary file
        uint32_t pregapFrames;
        uint32_t postgapFrames;
        std::vector<Index> indexes;
        int line;
    };

    // Reads the sheet's text (UTF-8, else the ANSI code page); file names
    // are resolved against folder. False with a message naming the line
    // when something is malformed or unsupported.
    bool Parse(const std::string& text, const std::wstring& folder, std::string& error);

    const std::vector<File>& Files() const { return m_aFiles; }
    const std::vector<Track>& Tracks() const { return m_aTracks; }

private:
    bool ParseLine(const std::vector<std::string>& words, const std::wstring& folder, int line, std::string& error);

    std::vector<File> m_aFiles;
    std::vector<Track> m_aTracks;
    bool m_bUtf8 = true;
};

}  // namespace simcd
