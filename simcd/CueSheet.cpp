#include "CueSheet.h"

#include "DiscTime.h"
#include "TextCodec.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace simcd
{

namespace
{

struct TrackType
{
    const char* name;
    bool audio;
    uint32_t sectorBytes;
};

const TrackType kTrackTypes[] = {
    { "AUDIO", true, kBytesPerFrame }, { "MODE1/2048", false, 2048 }, { "MODE1/2352", false, 2352 },
    { "MODE2/2336", false, 2336 },     { "MODE2/2352", false, 2352 },
};

// Lines that say nothing about where the sound lies.
const char* const kIgnored[] = { "REM", "CATALOG", "CDTEXTFILE", "PERFORMER", "TITLE", "SONGWRITER", "FLAGS", "ISRC" };

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// Words separated by blanks; a quoted word may hold blanks.
std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size())
    {
        if (line[i] == ' ' || line[i] == '\t')
        {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] == '"')
        {
            const size_t end = line.find('"', i + 1);
            word = line.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
            i = end == std::string::npos ? line.size() : end + 1;
            words.push_back(word);
            continue;
        }
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            word += line[i++];
        words.push_back(word);
    }
    return words;
}

bool AllDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

// "mm:ss:ff": minutes, seconds below 60 and frames below 75.
bool ParseMsf(const std::string& text, uint32_t& frames)
{
    const size_t first = text.find(':');
    const size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos)
        return false;
    const std::string m = text.substr(0, first), s = text.substr(first + 1, second - first - 1),
                      f = text.substr(second + 1);
    if (!AllDigits(m) || m.size() > 3 || !AllDigits(s) || s.size() != 2 || !AllDigits(f) || f.size() != 2)
        return false;
    const uint32_t seconds = static_cast<uint32_t>(std::stoul(s)), frame = static_cast<uint32_t>(std::stoul(f));
    if (seconds >= 60 || frame >= kFramesPerSecond)
        return false;
    frames = (static_cast<uint32_t>(std::stoul(m)) * 60 + seconds) * kFramesPerSecond + frame;
    return true;
}

bool ParseNumber(const std::string& text, uint32_t& value)
{
    if (!AllDigits(text) || text.size() > 2)
        return false;
    value = static_cast<uint32_t>(std::stoul(text));
    return true;
}

bool IsAbsolute(const std::wstring& path)
{
    return (path.size() >= 2 && path[1] == L':') || (!path.empty() && path[0] == L'\\');
}

}  // namespace

bool CueSheet::Parse(const std::string& text, const std::wstring& folder, std::string& error)
{
    m_aFiles.clear();
    m_aTracks.clear();
    std::string body = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text;
    m_bUtf8 = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, body.data(), static_cast<int>(body.size()), nullptr,
                                  0) > 0 ||
              body.empty();
    std::istringstream in(body);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::vector<std::string> words = Split(line);
        if (words.empty())
            continue;
        if (!ParseLine(words, folder, number, error))
        {
            error = "line " + std::to_string(number) + ": " + error;
            return false;
        }
    }
    if (m_aTracks.empty())
    {
        error = "no TRACK";
        return false;
    }
    for (const Track& track : m_aTracks)
    {
        if (std::none_of(track.indexes.begin(), track.indexes.end(), [](const Index& i) { return i.number == 1; }))
        {
            error =
                "line " + std::to_string(track.line) + ": track " + std::to_string(track.number) + " has no INDEX 01";
            return false;
        }
    }
    return true;
}

bool CueSheet::ParseLine(const std::vector<std::string>& words, const std::wstring& folder, int line,
                         std::string& error)
{
    const std::string command = Upper(words[0]);
    if (std::find(std::begin(kIgnored), std::end(kIgnored), command) != std::end(kIgnored))
        return true;
    Track* track = m_aTracks.empty() ? nullptr : &m_aTracks.back();
    if (command == "FILE")
    {
        if (words.size() < 3)
        {
            error = "FILE needs a name and a type";
            return false;
        }
        File file;
        file.line = line;
        // An unquoted name may hold blanks: all but the last word.
        for (size_t i = 1; i + 1 < words.size(); ++i)
            file.name += (i > 1 ? " " : "") + words[i];
        const std::string type = Upper(words.back());
        if (type == "BINARY")
            file.type = kBinary;
        else if (type == "MOTOROLA")
            file.type = kMotorola;
        else if (type == "WAVE")
            file.type = kWave;
        else
        {
            error = "file type " + words.back() + " is not supported (BINARY, MOTOROLA or WAVE)";
            return false;
        }
        std::wstring name = Widen(file.name, m_bUtf8 ? CP_UTF8 : CP_ACP);
        std::replace(name.begin(), name.end(), L'/', L'\\');
        file.path = IsAbsolute(name) ? name : folder + L"\\" + name;
        m_aFiles.push_back(file);
        return true;
    }
    if (command == "TRACK")
    {
        uint32_t number = 0;
        if (words.size() != 3 || !ParseNumber(words[1], number))
        {
            error = "TRACK needs a number and a type";
            return false;
        }
        if (m_aFiles.empty())
        {
            error = "TRACK before any FILE";
            return false;
        }
        if (number != m_aTracks.size() + 1)
        {
            error = "TRACK " + words[1] + " where track " + std::to_string(m_aTracks.size() + 1) +
                    " comes (tracks are numbered 1, 2, 3 ...)";
            return false;
        }
        const std::string type = Upper(words[2]);
        const auto found = std::find_if(std::begin(kTrackTypes), std::end(kTrackTypes),
                                        [&](const TrackType& t) { return type == t.name; });
        if (found == std::end(kTrackTypes))
        {
            error = "track type " + words[2] +
                    " is not supported (AUDIO, MODE1/2048, MODE1/2352, MODE2/2336 or MODE2/2352)";
            return false;
        }
        m_aTracks.push_back(Track{ number, found->audio, found->sectorBytes, 0, 0, {}, line });
        return true;
    }
    if (command != "INDEX" && command != "PREGAP" && command != "POSTGAP")
    {
        error = "unknown command " + words[0];
        return false;
    }
    if (!track)
    {
        error = command + " before any TRACK";
        return false;
    }
    if (command == "INDEX")
    {
        Index index{ 0, m_aFiles.size() - 1, 0, line };
        if (words.size() != 3 || !ParseNumber(words[1], index.number))
        {
            error = "INDEX needs a number and a position";
            return false;
        }
        if (!ParseMsf(words[2], index.frame))
        {
            error = "not a position mm:ss:ff (seconds below 60, frames below 75): " + words[2];
            return false;
        }
        const uint32_t next = track->indexes.empty() ? 0 : track->indexes.back().number + 1;
        if (index.number < next || (track->indexes.empty() && index.number > 1))
        {
            error = "INDEX " + words[1] + " out of order (a track's indexes run 00 or 01, then up)";
            return false;
        }
        track->indexes.push_back(index);
        return true;
    }
    uint32_t frames = 0;
    if (words.size() != 2 || !ParseMsf(words[1], frames))
    {
        error = command + " needs a length mm:ss:ff";
        return false;
    }
    if (command == "PREGAP")
    {
        if (!track->indexes.empty())
        {
            error = "PREGAP after an INDEX of its track";
            return false;
        }
        track->pregapFrames = frames;
        return true;
    }
    if (track->indexes.empty())
    {
        error = "POSTGAP before the INDEX of its track";
        return false;
    }
    track->postgapFrames = frames;
    return true;
}

}  // namespace simcd
