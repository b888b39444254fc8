// Discs from images: the table of contents a CUE sheet or a folder of WAV
// files gives, frame-exact through MCI; the samples read back from the
// files; and every malformed image refused with its reason, no drive
// changed.
#include "DiscImage.h"
#include "DiscTime.h"
#include "SimController.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace
{

using Bytes = std::vector<char>;

// Raw samples of a file that say where they come from: left the sample's
// index in its file (modulo 32768), right the file's tag.
Bytes RawSamples(uint32_t samples, int16_t tag, bool bigEndian = false)
{
    Bytes bytes;
    for (uint32_t i = 0; i < samples; ++i)
    {
        for (uint16_t v : { static_cast<uint16_t>(i & 0x7FFF), static_cast<uint16_t>(tag) })
        {
            bytes.push_back(static_cast<char>(bigEndian ? v >> 8 : v & 0xFF));
            bytes.push_back(static_cast<char>(bigEndian ? v & 0xFF : v >> 8));
        }
    }
    return bytes;
}

Bytes Frames(uint32_t frames, int16_t tag, bool bigEndian = false)
{
    return RawSamples(frames * simcd::kSamplesPerFrame, tag, bigEndian);
}

void Put32(Bytes& bytes, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>(v >> (8 * i)));
}

// A WAV file: the format chunk as given, then a data chunk of the samples
// (its size field says dataBytes, whatever follows).
Bytes Wav(const Bytes& samples, uint16_t format = 1, uint16_t channels = 2, uint32_t rate = 44100, uint16_t bits = 16,
          uint32_t dataBytes = 0xFFFFFFFF)
{
    Bytes bytes = { 'R', 'I', 'F', 'F' };
    Put32(bytes, static_cast<uint32_t>(36 + samples.size()));
    for (char c : std::string("WAVEfmt "))
        bytes.push_back(c);
    Put32(bytes, 16);
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    Put32(bytes, format | static_cast<uint32_t>(channels) << 16);
    Put32(bytes, rate);
    Put32(bytes, rate * align);
    Put32(bytes, align | static_cast<uint32_t>(bits) << 16);
    for (char c : std::string("data"))
        bytes.push_back(c);
    Put32(bytes, dataBytes == 0xFFFFFFFF ? static_cast<uint32_t>(samples.size()) : dataBytes);
    bytes.insert(bytes.end(), samples.begin(), samples.end());
    return bytes;
}

Bytes Text(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// A folder of its own under the temporary folder, emptied when it goes.
class Folder
{
public:
    Folder()
    {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        static int count;
        m_path =
            std::string(base) + "simcd-image-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
        CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~Folder()
    {
        for (const std::string& name : m_names)
            DeleteFileA((m_path + "\\" + name).c_str());
        RemoveDirectoryA(m_path.c_str());
    }
    std::wstring Put(const std::string& name, const Bytes& bytes)
    {
        std::ofstream(m_path + "\\" + name, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        m_names.push_back(name);
        return Wide(name);
    }
    std::wstring Wide(const std::string& name = std::string()) const
    {
        const std::string path = name.empty() ? m_path : m_path + "\\" + name;
        return std::wstring(path.begin(), path.end());
    }

private:
    std::string m_path;
    std::vector<std::string> m_names;
};

std::vector<uint32_t> Starts(const simcd::DiscImage& image)
{
    std::vector<uint32_t> starts;
    for (const simcd::DiscImage::Track& track : image.Tracks())
        starts.push_back(track.startFrame);
    starts.push_back(image.EndFrame());
    return starts;
}

// The (left, right) of the disc's sample.
std::pair<int, int> SampleAt(simcd::DiscImage& image, uint64_t sample)
{
    int16_t stereo[2];
    image.Read(sample, 1, stereo);
    return { stereo[0], stereo[1] };
}

uint64_t AtFrame(uint32_t frame, uint32_t plus = 0)
{
    return static_cast<uint64_t>(frame) * simcd::kSamplesPerFrame + plus;
}

// A file's sample i as RawSamples writes it.
std::pair<int, int> FileSample(uint64_t i, int tag)
{
    return { static_cast<int>(i & 0x7FFF), tag };
}

const std::pair<int, int> kSilence(0, 0);

MCIERROR Mci(MCIDEVICEID id, UINT command, DWORD flags, void* params)
{
    return mciSendCommandA(id, command, flags, reinterpret_cast<DWORD_PTR>(params));
}

class DiscImageTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(sim.RemoveAllDrives() && sim.DefineDrive('P')) << sim.GetLastError(); }
    void TearDown() override { sim.RemoveAllDrives(); }

    simcd::SimController sim;
    Folder folder;
};

// One BIN: track 1's INDEX 00 lies before the disc's start and is left out;
// track 2's INDEX 00 pregap in the file and track 3's PREGAP (silence)
// belong to the tracks before them; a POSTGAP is silence; the MODE1 track
// is data, never sounded. Through MCI every track starts at its frame.
TEST_F(DiscImageTest, CueSheetGapsAndDataTrackLieFrameExactOnTheDisc)
{
    folder.Put("disc.bin", Frames(900, 7));
    const std::wstring cue = folder.Put("disc.cue", Text("REM a sheet as rippers write them\r\n"
                                                         "FILE \"disc.bin\" BINARY\r\n"
                                                         "  TRACK 01 AUDIO\r\n"
                                                         "    TITLE \"One\"\r\n"
                                                         "    INDEX 00 00:00:00\r\n"
                                                         "    INDEX 01 00:01:17\r\n"
                                                         "  TRACK 02 AUDIO\r\n"
                                                         "    INDEX 00 00:04:33\r\n"
                                                         "    INDEX 01 00:05:02\r\n"
                                                         "  TRACK 03 AUDIO\r\n"
                                                         "    PREGAP 00:01:40\r\n"
                                                         "    INDEX 01 00:08:71\r\n"
                                                         "    POSTGAP 00:00:50\r\n"
                                                         "  TRACK 04 MODE1/2352\r\n"
                                                         "    INDEX 01 00:10:05\r\n"));
    simcd::DiscImage image;
    std::string error;
    ASSERT_TRUE(image.Load(simcd::kSourceCue, cue, error)) << error;
    // File frames 92 (track 1), 377 (track 2), 671 (track 3), 755 (data), 900.
    EXPECT_EQ((std::vector<uint32_t>{ 150, 435, 844, 978, 1123 }), Starts(image));
    EXPECT_TRUE(!image.Tracks()[2].data && image.Tracks()[3].data);
    EXPECT_EQ(FileSample(AtFrame(92), 7), SampleAt(image, AtFrame(150)));
    EXPECT_EQ(FileSample(AtFrame(333, 5), 7), SampleAt(image, AtFrame(391, 5)));  // track 2's pregap, in track 1
    EXPECT_EQ(FileSample(AtFrame(377), 7), SampleAt(image, AtFrame(435)));
    EXPECT_EQ(kSilence, SampleAt(image, AtFrame(729)));  // PREGAP
    EXPECT_EQ(FileSample(AtFrame(671), 7), SampleAt(image, AtFrame(844)));
    EXPECT_EQ(FileSample(AtFrame(755) - 1, 7), SampleAt(image, AtFrame(928) - 1));
    EXPECT_EQ(kSilence, SampleAt(image, AtFrame(928)));   // POSTGAP
    EXPECT_EQ(kSilence, SampleAt(image, AtFrame(1000)));  // data
    EXPECT_EQ(kSilence, SampleAt(image, AtFrame(149)));   // before track 1: no sound

    ASSERT_TRUE(sim.InsertImage('P', cue)) << sim.GetLastError();
    char element[] = "P:";
    MCI_OPEN_PARMSA open = { 0, 0, reinterpret_cast<LPCSTR>(MCI_DEVTYPE_CD_AUDIO), element, nullptr };
    ASSERT_EQ(0u, Mci(0, MCI_OPEN, MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE | MCI_WAIT, &open));
    auto status = [&](DWORD item, DWORD flags, DWORD track) {
        MCI_STATUS_PARMS status = { 0, 0, item, track };
        Mci(open.wDeviceID, MCI_STATUS, flags, &status);
        return static_cast<DWORD>(status.dwReturn);
    };
    std::vector<DWORD> starts, types;
    for (DWORD track = 1; track <= 4; ++track)
    {
        starts.push_back(status(MCI_STATUS_POSITION, MCI_STATUS_ITEM | MCI_TRACK, track));
        types.push_back(status(MCI_CDA_STATUS_TYPE_TRACK, MCI_STATUS_ITEM | MCI_TRACK, track));
    }
    const DWORD length = status(MCI_STATUS_LENGTH, MCI_STATUS_ITEM, 0);
    Mci(open.wDeviceID, MCI_CLOSE, 0, nullptr);
    EXPECT_EQ((std::vector<DWORD>{ MCI_MAKE_MSF(0, 2, 0), MCI_MAKE_MSF(0, 5, 60), MCI_MAKE_MSF(0, 11, 19),
                                   MCI_MAKE_MSF(0, 13, 3) }),
              starts);
    EXPECT_EQ(
        (std::vector<DWORD>{ MCI_CDA_TRACK_AUDIO, MCI_CDA_TRACK_AUDIO, MCI_CDA_TRACK_AUDIO, MCI_CDA_TRACK_OTHER }),
        types);
    EXPECT_EQ(static_cast<DWORD>(MCI_MAKE_MSF(0, 12, 73)), length);  // 973 frames
}

// Several files: track 2's INDEX 00 at the end of the first file and its
// INDEX 01 at the start of the next (big-endian raw samples), track 3 a WAV
// file whose last frame is filled up with silence.
TEST_F(DiscImageTest, CueSheetOfSeveralFilesReadsEachInItsPlace)
{
    folder.Put("one.bin", Frames(200, 1));
    folder.Put("two.bin", Frames(120, 2, true));
    folder.Put("three.wav", Wav(RawSamples(100 * simcd::kSamplesPerFrame + 294, 3)));
    const std::wstring cue = folder.Put("disc.cue", Text("FILE \"one.bin\" BINARY\n"
                                                         "  TRACK 01 AUDIO\n"
                                                         "    INDEX 01 00:00:00\n"
                                                         "  TRACK 02 AUDIO\n"
                                                         "    INDEX 00 00:02:10\n"
                                                         "FILE two.bin MOTOROLA\n"
                                                         "    INDEX 01 00:00:00\n"
                                                         "FILE \"three.wav\" WAVE\n"
                                                         "  TRACK 03 AUDIO\n"
                                                         "    INDEX 01 00:00:00\n"));
    simcd::DiscImage image;
    std::string error;
    ASSERT_TRUE(image.Load(simcd::kSourceCue, cue, error)) << error;
    EXPECT_EQ((std::vector<uint32_t>{ 150, 350, 470, 571 }), Starts(image));
    EXPECT_EQ(FileSample(AtFrame(200) - 1, 1), SampleAt(image, AtFrame(350) - 1));
    EXPECT_EQ(FileSample(0, 2), SampleAt(image, AtFrame(350)));
    EXPECT_EQ(FileSample(AtFrame(120) - 1, 2), SampleAt(image, AtFrame(470) - 1));
    EXPECT_EQ(FileSample(AtFrame(100, 293), 3), SampleAt(image, AtFrame(570, 293)));
    EXPECT_EQ(kSilence, SampleAt(image, AtFrame(570, 294)));
    // A read across the files' joins, and past the disc's end.
    std::vector<int16_t> samples(2 * 4);
    image.Read(AtFrame(470) - 2, 4, samples.data());
    EXPECT_EQ((std::vector<int16_t>{ static_cast<int16_t>((AtFrame(120) - 2) & 0x7FFF), 2,
                                     static_cast<int16_t>((AtFrame(120) - 1) & 0x7FFF), 2, 0, 3, 1, 3 }),
              samples);
    EXPECT_EQ(kSilence, SampleAt(image, AtFrame(571)));
}

// A folder: its WAV files in name order (letter case aside), other files
// left alone; a track's last frame filled up with silence. The tool puts it
// in and shows it.
TEST_F(DiscImageTest, WavFolderGivesATrackPerFileInNameOrder)
{
    folder.Put("b.wav", Wav(RawSamples(100 * simcd::kSamplesPerFrame, 2)));
    folder.Put("A.wav", Wav(RawSamples(80 * simcd::kSamplesPerFrame + 147, 1)));
    folder.Put("c.WAV", Wav(RawSamples(75 * simcd::kSamplesPerFrame, 3)));
    folder.Put("notes.txt", Text("not a track"));
    simcd::DiscImage image;
    std::string error;
    ASSERT_TRUE(image.Load(simcd::DiscImage::KindOf(folder.Wide()), folder.Wide(), error)) << error;
    EXPECT_EQ((std::vector<uint32_t>{ 150, 231, 331, 406 }), Starts(image));
    EXPECT_EQ(FileSample(0, 2), SampleAt(image, AtFrame(231)));
    EXPECT_EQ(kSilence, SampleAt(image, AtFrame(230, 147)));

    ASSERT_TRUE(sim.InsertImage('P', folder.Wide())) << sim.GetLastError();
    simcd::SimDriveInfo info;
    ASSERT_TRUE(sim.GetDrive('P', info));
    EXPECT_EQ(
        (std::vector<uint32_t>{ simcd::FrameToMs(231) - 2000, simcd::FrameToMs(331) - simcd::FrameToMs(231), 1000 }),
        info.trackLengthsMs);
    EXPECT_EQ(static_cast<uint32_t>(simcd::kSourceWavFolder), info.source);
    const std::wstring path = folder.Wide();
    EXPECT_EQ(std::string(path.begin(), path.end()), info.sourcePath);
}

// Every malformed image: a message naming the file and what is wrong, and
// the drive left as it was.
TEST_F(DiscImageTest, MalformedImagesAreRefusedWithTheirReasonAndChangeNoDrive)
{
    const Bytes bin = Frames(300, 1);
    using Files = std::vector<std::pair<std::string, Bytes>>;
    const Files withBin = { { "disc.bin", bin } };
    const std::string track = "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n", one = track + "    INDEX 01 00:00:00\n";
    const std::string kFolder = "/";  // the folder itself; "": a sheet not there
    const struct
    {
        std::string cue;
        Files files;
        std::vector<const char*> says;
    } cases[] = {
        { kFolder, {}, { "no .wav files" } },
        { "", {}, { "disc.cue", "cannot be read" } },
        { "REM nothing\n", {}, { "disc.cue", "no TRACK" } },
        { "FILE \"gone.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n", {}, { "gone.bin", "line 1" } },
        { "TRACK 01 AUDIO\n", {}, { "line 1", "TRACK before any FILE" } },
        { "FILE \"disc.bin\" BINARY\n  TRACK 02 AUDIO\n", withBin, { "line 2", "TRACK 02" } },
        { "FILE \"disc.bin\" BINARY\n  TRACK 01 CDG\n", withBin, { "line 2", "CDG" } },
        { "FILE \"disc.mp3\" MP3\n", {}, { "line 1", "MP3" } },
        { track + "    FLUX 1\n", withBin, { "line 3", "FLUX" } },
        { track, withBin, { "track 1 has no INDEX 01" } },
        { track + "    INDEX 01 00:60:00\n", withBin, { "line 3", "00:60:00" } },
        { track + "    INDEX 01 00:02:00\n  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n",
          withBin,
          { "line 5", "before the index before it" } },
        { one + "  TRACK 02 AUDIO\n    INDEX 01 00:05:00\n", withBin, { "disc.bin", "cut short", "line 5" } },
        { one,
          { { "disc.bin", Bytes(bin.begin(), bin.end() - 1000) } },
          { "disc.bin", "cut short", "1352 bytes into a 2352-byte sector" } },
        { one + "  TRACK 02 AUDIO\n    INDEX 01 00:03:50\n", withBin, { "track 2 lasts less than a second" } },
        { "FILE \"t.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n",
          { { "t.wav", Wav(Frames(100, 1), 1, 1, 22050, 8) } },
          { "t.wav", "8-bit mono PCM at 22050 Hz" } },
        { kFolder,
          { { "01.wav", Wav(Frames(100, 1)) }, { "02.wav", Wav(Frames(100, 1), 3, 2, 44100, 32) } },
          { "02.wav", "32-bit stereo floating-point at 44100 Hz" } },
        { kFolder, { { "01.wav", Text("RIFX....WAVE") } }, { "01.wav", "not a WAV file" } },
        { kFolder, { { "01.wav", Wav(Frames(100, 1), 1, 2, 44100, 16, 999999) } }, { "01.wav", "cut short" } },
        { kFolder,
          { { "01.wav", Wav(RawSamples(44100, 1), 1, 2, 44100, 16, 44100 * 4 - 2) } },
          { "01.wav", "inside a sample" } },
    };
    ASSERT_TRUE(sim.DefineDrive('Q') && sim.InsertDisc('Q', { 60000 }));
    for (const auto& c : cases)
    {
        Folder images;
        for (const auto& file : c.files)
            images.Put(file.first, file.second);
        const std::wstring path = c.cue == kFolder ? images.Wide()
                                  : c.cue.empty()  ? images.Wide("disc.cue")
                                                   : images.Put("disc.cue", Text(c.cue));
        for (char letter : { 'P', 'Q' })
        {
            EXPECT_FALSE(sim.InsertImage(letter, path));
            const std::string error = sim.GetLastError();
            for (const char* part : c.says)
                EXPECT_NE(std::string::npos, error.find(part)) << "case " << &c - cases << ": " << error;
        }
        simcd::SimDriveInfo p, q;
        ASSERT_TRUE(sim.GetDrive('P', p) && sim.GetDrive('Q', q));
        EXPECT_TRUE(!p.hasDisc && q.hasDisc && q.trackLengthsMs.size() == 1 && q.source == simcd::kSourceNone)
            << "case " << &c - cases;
    }
    EXPECT_FALSE(sim.InsertImage('P', folder.Put("disc.iso", Text("data"))));
    EXPECT_NE(std::string::npos, sim.GetLastError().find("neither a .cue file nor a folder"));
}

}  // namespace
