#include "DiscImage.h"

#include "CueSheet.h"
#include "DiscTime.h"
#include "TextCodec.h"
#include "WavFile.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace simcd
{

namespace
{

const uint64_t kMaxCueBytes = 1 << 20;
const char kNotCdAudio[] = ", not 16-bit stereo PCM at 44100 Hz";

std::string NameOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return Narrow(slash == std::wstring::npos ? path : path.substr(slash + 1), CP_ACP);
}

// Opens a WAV file that must hold CD audio; the error names it by label.
bool OpenCdWav(const std::wstring& path, const std::string& label, WavFile& wav, std::string& error)
{
    std::string why;
    if (!wav.Open(path, why))
    {
        error = label + " " + why;
        return false;
    }
    if (!wav.IsCdAudio())
    {
        error = label + " is " + wav.Describe() + kNotCdAudio;
        return false;
    }
    return true;
}

std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

bool FileSize(const std::wstring& path, uint64_t& size)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    size = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    return true;
}

bool ReadWhole(const std::wstring& path, std::string& text)
{
    uint64_t size = 0;
    if (!FileSize(path, size) || size > kMaxCueBytes)
        return false;
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
    text.assign(static_cast<size_t>(size), '\0');
    DWORD read = 0;
    return file.Get() != INVALID_HANDLE_VALUE &&
           (size == 0 || ::ReadFile(file.Get(), &text[0], static_cast<DWORD>(size), &read, nullptr)) && read == size;
}

std::string Msf(uint32_t frames)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", frames / kFramesPerSecond / 60, frames / kFramesPerSecond % 60,
                  frames % kFramesPerSecond);
    return text;
}

}  // namespace

SimSource DiscImage::KindOf(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return kSourceWavFolder;
    if (path.size() > 4 && _wcsicmp(path.c_str() + path.size() - 4, L".cue") == 0)
        return kSourceCue;
    return kSourceNone;
}

bool DiscImage::Load(SimSource kind, const std::wstring& path, std::string& error)
{
    m_aTracks.clear();
    m_aSegments.clear();
    m_aFiles.clear();
    m_nEndFrame = 0;
    if (kind == kSourceCue)
        return LoadCue(path, error);
    if (kind == kSourceWavFolder)
        return LoadFolder(path, error);
    error = "not a disc image";
    return false;
}

bool DiscImage::LoadCue(const std::wstring& path, std::string& error)
{
    const std::string cueName = NameOf(path);
    std::string text;
    if (!ReadWhole(path, text))
    {
        error = cueName + " cannot be read (missing, or larger than a CUE sheet can be)";
        return false;
    }
    CueSheet sheet;
    if (!sheet.Parse(text, FolderOf(path), error))
    {
        error = cueName + " " + error;
        return false;
    }
    for (const CueSheet::File& named : sheet.Files())
    {
        File file{ named.path, named.type == CueSheet::kMotorola, 0, 0, nullptr };
        const std::string where = named.name + " (FILE on line " + std::to_string(named.line) + " of " + cueName + ")";
        if (named.type == CueSheet::kWave)
        {
            WavFile wav;
            if (!OpenCdWav(named.path, where, wav, error))
                return false;
            file.dataOffset = wav.DataOffset();
            file.dataBytes = wav.DataBytes();
        }
        else if (!FileSize(named.path, file.dataBytes))
        {
            error = where + " cannot be opened";
            return false;
        }
        m_aFiles.push_back(std::move(file));
    }

    // The files one after the other on the disc, with the gaps of the sheet
    // put in as silence and data left silent.
    uint32_t disc = 0;
    int current = -1;
    uint32_t fileFrame = 0;
    uint64_t fileByte = 0;
    bool audio = true;  // the stretch being laid out: its track's kind and sector size
    uint32_t sectorBytes = kBytesPerFrame;
    uint32_t postgap = 0;
    auto silence = [&](uint32_t frames) {
        if (frames)
            m_aSegments.push_back(Segment{ disc, frames, -1, 0 });
        disc += frames;
    };
    auto span = [&](uint32_t frames) {
        if (frames)
            m_aSegments.push_back(Segment{ disc, frames, audio ? current : -1, fileByte });
        disc += frames;
        fileByte += static_cast<uint64_t>(frames) * sectorBytes;
    };
    auto finishFile = [&]() {
        const CueSheet::File& named = sheet.Files()[static_cast<size_t>(current)];
        const uint64_t left = m_aFiles[static_cast<size_t>(current)].dataBytes - fileByte;
        if (named.type != CueSheet::kWave && left % sectorBytes != 0)
        {
            error = named.name + " is cut short: it ends " + std::to_string(left % sectorBytes) + " bytes into a " +
                    std::to_string(sectorBytes) + "-byte sector";
            return false;
        }
        span(static_cast<uint32_t>((left + sectorBytes - 1) / sectorBytes));
        return true;
    };
    std::vector<uint32_t> starts;
    for (const CueSheet::Track& track : sheet.Tracks())
    {
        for (size_t k = 0; k < track.indexes.size(); ++k)
        {
            const CueSheet::Index& index = track.indexes[k];
            if (static_cast<int>(index.file) != current)
            {
                if (current >= 0 && !finishFile())
                    return false;
                current = static_cast<int>(index.file);
                fileFrame = 0;
                fileByte = 0;
            }
            const CueSheet::File& named = sheet.Files()[index.file];
            if (index.frame < fileFrame)
            {
                error = cueName + " line " + std::to_string(index.line) + ": INDEX at " + Msf(index.frame) +
                        " lies before the index before it, at " + Msf(fileFrame);
                return false;
            }
            const uint64_t at = fileByte + static_cast<uint64_t>(index.frame - fileFrame) * sectorBytes;
            if (at > m_aFiles[index.file].dataBytes)
            {
                error = named.name + " is cut short: INDEX on line " + std::to_string(index.line) + " of " + cueName +
                        " lies at byte " + std::to_string(at) + ", past its end at " +
                        std::to_string(m_aFiles[index.file].dataBytes);
                return false;
            }
            span(index.frame - fileFrame);
            fileFrame = index.frame;
            if (k == 0)
            {
                silence(postgap);
                silence(track.pregapFrames);
                audio = track.audio;
                sectorBytes = track.sectorBytes;
            }
            if (index.number == 1)
                starts.push_back(disc);
        }
        postgap = track.postgapFrames;
    }
    if (!finishFile())
        return false;
    silence(postgap);
    for (size_t i = 0; i < starts.size(); ++i)
        m_aTracks.push_back(Track{ starts[i], !sheet.Tracks()[i].audio });
    m_nEndFrame = disc;
    if (!Finish(starts[0], error))
    {
        error = cueName + ": " + error;
        return false;
    }
    return true;
}

bool DiscImage::LoadFolder(const std::wstring& folder, std::string& error)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE first = FindFirstFileW((folder + L"\\*.wav").c_str(), &found);
    if (first != INVALID_HANDLE_VALUE)
    {
        const std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)> search(first, FindClose);
        do
        {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (FindNextFileW(search.get(), &found));
    }
    const std::string folderName = NameOf(folder);
    if (names.empty())
    {
        error = "folder " + folderName + " holds no .wav files";
        return false;
    }
    if (names.size() > static_cast<size_t>(kMaxTracks))
    {
        error = "folder " + folderName + " holds " + std::to_string(names.size()) +
                " .wav files; a disc holds at most 99 tracks";
        return false;
    }
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
    uint32_t disc = kLeadInFrames;
    for (const std::wstring& name : names)
    {
        const std::wstring path = folder + L"\\" + name;
        WavFile wav;
        if (!OpenCdWav(path, NameOf(path), wav, error))
            return false;
        if (wav.DataBytes() % kBytesPerSample != 0)
        {
            error = NameOf(path) + " is cut short: its data ends inside a sample";
            return false;
        }
        // A track takes whole frames: the last one is filled up with silence.
        const uint32_t frames = static_cast<uint32_t>(
            std::min<uint64_t>((wav.DataBytes() + kBytesPerFrame - 1) / kBytesPerFrame, kMaxDiscFrames));
        m_aTracks.push_back(Track{ disc, false });
        m_aSegments.push_back(Segment{ disc, frames, static_cast<int>(m_aFiles.size()), 0 });
        m_aFiles.push_back(File{ path, false, wav.DataOffset(), wav.DataBytes(), nullptr });
        disc = std::min(disc + frames, kMaxDiscFrames);
    }
    m_nEndFrame = disc;
    if (!Finish(kLeadInFrames, error))
    {
        error = "folder " + folderName + ": " + error;
        return false;
    }
    return true;
}

// Moves track 1's INDEX 01 to frame 150, drops what lies before it, and
// checks what a disc allows.
bool DiscImage::Finish(uint32_t track1Frame, std::string& error)
{
    const int64_t shift = static_cast<int64_t>(kLeadInFrames) - track1Frame;
    std::vector<Segment> kept;
    for (Segment segment : m_aSegments)
    {
        int64_t start = segment.startFrame + shift;
        if (start + segment.frames <= static_cast<int64_t>(kLeadInFrames))
            continue;
        if (start < static_cast<int64_t>(kLeadInFrames))
        {
            const uint32_t cut = static_cast<uint32_t>(kLeadInFrames - start);
            segment.frames -= cut;
            segment.byteOffset += static_cast<uint64_t>(cut) * kBytesPerFrame;
            start = kLeadInFrames;
        }
        segment.startFrame = static_cast<uint32_t>(start);
        kept.push_back(segment);
    }
    m_aSegments.swap(kept);
    for (Track& track : m_aTracks)
        track.startFrame = static_cast<uint32_t>(track.startFrame + shift);
    m_nEndFrame = static_cast<uint32_t>(m_nEndFrame + shift);
    if (m_aTracks.size() > static_cast<size_t>(kMaxTracks))
    {
        error = std::to_string(m_aTracks.size()) + " tracks; a disc holds at most 99";
        return false;
    }
    if (m_nEndFrame >= kMaxDiscFrames)
    {
        error = "the disc is longer than 100 minutes";
        return false;
    }
    for (size_t i = 0; i < m_aTracks.size(); ++i)
    {
        const uint32_t end = i + 1 < m_aTracks.size() ? m_aTracks[i + 1].startFrame : m_nEndFrame;
        if (end < m_aTracks[i].startFrame + kFramesPerSecond)
        {
            error = "track " + std::to_string(i + 1) + " lasts less than a second (" +
                    std::to_string(end - m_aTracks[i].startFrame) + " frames)";
            return false;
        }
    }
    return true;
}

void DiscImage::Read(uint64_t first, uint32_t count, int16_t* samples)
{
    std::fill(samples, samples + 2 * static_cast<size_t>(count), static_cast<int16_t>(0));
    const uint64_t end = first + count;
    for (const Segment& segment : m_aSegments)
    {
        const uint64_t start = static_cast<uint64_t>(segment.startFrame) * kSamplesPerFrame;
        const uint64_t stop = start + static_cast<uint64_t>(segment.frames) * kSamplesPerFrame;
        if (stop <= first || segment.file < 0)
            continue;
        if (start >= end)
            break;
        const uint64_t from = std::max(first, start), to = std::min(end, stop);
        ReadFile(m_aFiles[static_cast<size_t>(segment.file)], segment.byteOffset + (from - start) * kBytesPerSample,
                 static_cast<uint32_t>(to - from), samples + (from - first) * 2);
    }
}

void DiscImage::ReadFile(File& file, uint64_t byteOffset, uint32_t count, int16_t* samples)
{
    if (byteOffset >= file.dataBytes)
        return;  // the silence that fills a WAV file's last frame
    const uint64_t available = (file.dataBytes - byteOffset) / kBytesPerSample;
    const DWORD cb = static_cast<DWORD>(std::min<uint64_t>(count, available) * kBytesPerSample);
    if (!file.handle)
        file.handle.reset(new Handle(CreateFileW(file.path.c_str(), GENERIC_READ,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (file.handle->Get() == INVALID_HANDLE_VALUE)
        return;
    const DWORD read = ReadAt(file.handle->Get(), file.dataOffset + byteOffset, samples, cb);
    if (file.bigEndian)
    {
        for (DWORD i = 0; i < read / 2; ++i)
        {
            const uint16_t v = static_cast<uint16_t>(samples[i]);
            samples[i] = static_cast<int16_t>(static_cast<uint16_t>(v << 8 | v >> 8));
        }
    }
}

}  // namespace simcd
