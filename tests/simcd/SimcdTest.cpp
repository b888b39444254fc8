// The simulated drives through the real winmm, as the program uses them, and
// the simcd tool changing the same world from another process.
#include "SimController.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <mmddk.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace
{

// Tracks start at 2000, 182000 and 422000 ms; the disc ends at 622000 ms.
const std::vector<uint32_t> kThreeTracks = { 180000, 240000, 200000 };
const DWORD kStopped = MCI_MODE_STOP, kPlaying = MCI_MODE_PLAY, kTrack = MCI_STATUS_ITEM | MCI_TRACK;
const UINT kSuccessful = MCI_NOTIFY_SUCCESSFUL, kAborted = MCI_NOTIFY_ABORTED;
// Preset in a status query's return field, to see a failed query leave it alone.
const DWORD kUntouched = 0xFEEDABAD, kOpenFlags = MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE | MCI_WAIT;
// A drive's mode and position.
using State = std::pair<DWORD, DWORD>;
// MM_MCINOTIFY messages as (code, device id).
using Notices = std::vector<std::pair<UINT, UINT>>;

// A drive opened the way the program opens one; closed when destroyed.
struct MciDevice
{
    explicit MciDevice(char letter, bool milliseconds = true)
    {
        char element[] = { letter, ':', 0 };
        MCI_OPEN_PARMSA open = { 0, 0, reinterpret_cast<LPCSTR>(MCI_DEVTYPE_CD_AUDIO), element, nullptr };
        id = Send(MCI_OPEN, kOpenFlags, &open) ? 0 : open.wDeviceID;
        MCI_SET_PARMS set = { 0, MCI_FORMAT_MILLISECONDS, 0 };
        if (id && milliseconds)
            Send(MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, &set);
    }
    ~MciDevice() { Send(MCI_CLOSE, 0); }
    MCIERROR Send(UINT command, DWORD flags, void* params = nullptr)
    {
        return error = mciSendCommandA(id, command, flags, reinterpret_cast<DWORD_PTR>(params));
    }
    DWORD Status(DWORD item, DWORD flags = MCI_STATUS_ITEM, DWORD track = 0)
    {
        MCI_STATUS_PARMS status = { 0, kUntouched, item, track };
        Send(MCI_STATUS, flags, &status);
        return static_cast<DWORD>(status.dwReturn);
    }
    DWORD Mode() { return Status(MCI_STATUS_MODE); }
    ::State State() { return { Mode(), Status(MCI_STATUS_POSITION) }; }
    MCIERROR Play(DWORD flags, DWORD from = 0, DWORD to = 0, HWND notify = nullptr)
    {
        MCI_PLAY_PARMS play = { reinterpret_cast<DWORD_PTR>(notify), from, to };
        return Send(MCI_PLAY, flags, &play);
    }

    MCIDEVICEID id = 0;
    MCIERROR error = 0;  // of the last command, the open included
};

struct NotifyWindow
{
    ~NotifyWindow() { DestroyWindow(hwnd); }
    // The notifications posted within the time, or the first `count` of them.
    Notices Collect(DWORD timeoutMs, size_t count = 1000)
    {
        Notices notices;
        MSG msg;
        for (DWORD start = GetTickCount(); notices.size() < count && GetTickCount() - start < timeoutMs; Sleep(5))
            while (notices.size() < count && PeekMessageA(&msg, hwnd, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE))
                notices.push_back({ static_cast<UINT>(msg.wParam), static_cast<UINT>(msg.lParam) });
        return notices;
    }
    HWND hwnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
};

// Runs simcd.exe (a Unix path, reached through drive Z:) through the command
// interpreter; returns its exit status and its output.
std::pair<int, std::string> RunSimcd(const std::string& arguments)
{
    FILE* pipe = _popen(("\"\"Z:" SIMCD_EXE "\" " + arguments + " 2>&1\"").c_str(), "r");
    std::string text;
    for (int c; pipe && (c = fgetc(pipe)) != EOF;)
        text += static_cast<char>(c);
    return { pipe ? _pclose(pipe) : -1, text };
}

const std::string kCdrom = std::to_string(DRIVE_CDROM) + " listed ";
// A drive letter's type, whether the drive strings list it, and its shell name.
std::string Seen(char letter)
{
    const char root[] = { letter, ':', '\\', 0 };
    char drives[512] = {};
    const DWORD length = GetLogicalDriveStringsA(sizeof(drives), drives);
    const bool listed = std::search(drives, drives + length, root, root + 4) != drives + length;
    SHFILEINFOA info = {};
    SHGetFileInfoA(root, 0, &info, sizeof(info), SHGFI_DISPLAYNAME);
    return std::to_string(GetDriveTypeA(root)) + (listed ? " listed " : " unlisted ") + info.szDisplayName;
}

// Every test starts with an empty journal, time factor 1 and one drive, P:,
// holding three tracks, and ends with no drives.
class SimcdTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TearDown();
        ASSERT_TRUE(sim.DefineDrive('P') && sim.InsertDisc('P', kThreeTracks));
    }
    void TearDown() override { ASSERT_TRUE(sim.RemoveAllDrives() && sim.SetTimeFactor(1.0)) << sim.GetLastError(); }

    simcd::SimController sim;
};

TEST_F(SimcdTest, StateAndTableOfContentsBelongToTheDriveAndSurviveClose)
{
    ASSERT_TRUE(sim.RemoveDisc('P') && sim.InsertDisc('P', kThreeTracks, 2500));
    ASSERT_EQ(0u, MciDevice('P').Play(MCI_FROM, 190000));
    // The drive plays on; a new device sees it, and starts in MSF again:
    // minutes, seconds and 75ths of a second, truncated.
    MciDevice device('P', false);
    EXPECT_EQ(kPlaying, device.Mode());
    EXPECT_EQ(static_cast<DWORD>(MCI_FORMAT_MSF), device.Status(MCI_STATUS_TIME_FORMAT));
    EXPECT_EQ(static_cast<DWORD>(MCI_MAKE_MSF(3, 2, 37)), device.Status(MCI_STATUS_POSITION, kTrack, 2));
    MCI_SET_PARMS milliseconds = { 0, MCI_FORMAT_MILLISECONDS, 0 };
    ASSERT_EQ(0u, device.Send(MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, &milliseconds));
    EXPECT_NEAR(192500.0, device.State().second, 2500.0);
    EXPECT_EQ(2500u, device.Status(MCI_STATUS_POSITION, MCI_STATUS_ITEM | MCI_STATUS_START));
    EXPECT_EQ(422500u, device.Status(MCI_STATUS_POSITION, kTrack, 3));
    EXPECT_EQ(620000u, device.Status(MCI_STATUS_LENGTH));
}

TEST_F(SimcdTest, TransportDoorAndTheModesTheyLeave)
{
    MciDevice device('P');
    // A waiting play returns at the end; a track's last millisecond is still in it.
    ASSERT_EQ(0u, device.Play(MCI_FROM | MCI_TO | MCI_WAIT, 421699, 421999));
    EXPECT_EQ(State(kStopped, 421999), device.State());
    EXPECT_EQ(2u, device.Status(MCI_STATUS_CURRENT_TRACK));

    ASSERT_TRUE(sim.SetTimeFactor(100.0));
    ASSERT_EQ(0u, device.Play(MCI_FROM, 182000));  // returns at once
    Sleep(100);
    const State playing = device.State();  // 100 ms at factor 100 is 10 s
    EXPECT_TRUE(playing.first == kPlaying && playing.second > 187000u) << playing.first << " " << playing.second;
    ASSERT_EQ(0u, device.Send(MCI_PAUSE, MCI_WAIT));
    const State paused = device.State();
    Sleep(50);
    EXPECT_TRUE(paused.first == MCI_MODE_PAUSE && paused == device.State()) << paused.first;
    ASSERT_EQ(0u, device.Send(MCI_RESUME, MCI_WAIT));
    Sleep(50);

    // Stop does not rewind; a pause leaves a stopped drive stopped.
    ASSERT_EQ(0u, device.Send(MCI_STOP, MCI_WAIT));
    const State stopped = device.State();
    EXPECT_TRUE(stopped.first == kStopped && stopped.second > paused.second);  // resumed, then stopped
    ASSERT_EQ(0u, device.Send(MCI_PAUSE, MCI_WAIT));
    EXPECT_EQ(stopped, device.State());

    // Seek stops a playing drive.
    ASSERT_EQ(0u, device.Play(0));
    MCI_SEEK_PARMS seek = { 0, 10000 };
    ASSERT_EQ(0u, device.Send(MCI_SEEK, MCI_TO | MCI_WAIT, &seek));
    EXPECT_EQ(State(kStopped, 10000), device.State());

    // The program's eject opens the door with no other flag.
    ASSERT_EQ(0u, device.Play(0));
    MCI_SET_PARMS set = {};
    ASSERT_EQ(0u, device.Send(MCI_SET, MCI_SET_DOOR_OPEN, &set));
    EXPECT_EQ(State(MCI_MODE_OPEN, FALSE), State(device.Mode(), device.Status(MCI_STATUS_MEDIA_PRESENT)));
    ASSERT_EQ(0u, device.Send(MCI_SET, MCI_SET_DOOR_CLOSED | MCI_WAIT, &set));
    EXPECT_EQ(State(kStopped, TRUE), State(device.Mode(), device.Status(MCI_STATUS_MEDIA_PRESENT)));
    // A disc the controller takes out or puts in is so for the open device too.
    ASSERT_TRUE(sim.RemoveDisc('P'));
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_DEVICE_NOT_READY), device.Play(0));
    ASSERT_TRUE(sim.InsertDisc('P', { 60000 }));
    EXPECT_EQ(1u, device.Status(MCI_STATUS_NUMBER_OF_TRACKS));
}

// Malformed commands get MCI errors and change nothing; then each fault.
TEST_F(SimcdTest, MalformedCommandsAndEachFault)
{
    MciDevice device('P');
    // A failed query's error, or ~0 when it wrote its return field.
    auto status = [&](DWORD item, DWORD flags, DWORD track) {
        return device.Status(item, flags, track) == kUntouched ? device.error : ~0u;
    };
    MCI_SET_PARMS smpte = { 0, MCI_FORMAT_SMPTE_25, 0 };
    const MCIERROR cases[][2] = {
        { MCIERR_NULL_PARAMETER_BLOCK, device.Send(MCI_STATUS, MCI_STATUS_ITEM) },
        { MCIERR_MISSING_PARAMETER, status(MCI_STATUS_MODE, 0, 0) },
        { MCIERR_OUTOFRANGE, status(MCI_STATUS_LENGTH, kTrack, 4) },
        { MCIERR_UNSUPPORTED_FUNCTION, status(0x7777, MCI_STATUS_ITEM, 0) },
        { MCIERR_UNRECOGNIZED_KEYWORD, status(MCI_STATUS_MODE, MCI_STATUS_ITEM | 0x00800000, 0) },
        { MCIERR_OUTOFRANGE, device.Play(MCI_FROM, 1000) },
        { MCIERR_OUTOFRANGE, device.Play(MCI_FROM | MCI_TO, 9000, 8000) },
        { MCIERR_BAD_TIME_FORMAT, device.Send(MCI_SET, MCI_SET_TIME_FORMAT, &smpte) },
        { MCIERR_UNSUPPORTED_FUNCTION, device.Send(MCI_RECORD, 0) },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c[0], c[1]) << "case " << &c - cases;
    EXPECT_NE(0u, MciDevice('Q').error);               // no drive there: winmm refuses it
    EXPECT_EQ(State(kStopped, 2000), device.State());  // in milliseconds still

    NotifyWindow window;
    auto fault = [&](uint32_t bit, uint32_t delayMs = 0) { return sim.SetFaults('P', bit, delayMs); };
    EXPECT_TRUE(fault(simcd::kFaultOpenFails) && MciDevice('P').error != 0);
    EXPECT_TRUE(fault(simcd::kFaultStatusFails) && device.Mode() == kUntouched && device.error == MCIERR_HARDWARE);
    EXPECT_TRUE(fault(simcd::kFaultNotReady) && device.Play(0) == MCIERR_HARDWARE);
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_NOT_READY), device.Mode());
    EXPECT_TRUE(fault(simcd::kFaultZeroTracks) && device.Status(MCI_STATUS_MEDIA_PRESENT) == TRUE &&
                device.Status(MCI_STATUS_NUMBER_OF_TRACKS) == 0);
    EXPECT_TRUE(fault(simcd::kFaultPositionPastEnd) && device.State().second > 622000u);
    ASSERT_TRUE(fault(simcd::kFaultNoNotify));
    ASSERT_EQ(0u, device.Play(MCI_FROM | MCI_TO | MCI_NOTIFY, 2000, 2100, window.hwnd));
    EXPECT_EQ(Notices(), window.Collect(400));
    const DWORD before = GetTickCount();
    ASSERT_TRUE(fault(simcd::kFaultDelay, 150));
    device.Mode();
    EXPECT_GE(GetTickCount() - before, 140u);
}

TEST_F(SimcdTest, NotificationsReachTheWindowWithEachDevicesId)
{
    ASSERT_TRUE(sim.DefineDrive('Q') && sim.InsertDisc('Q', { 60000 }));
    NotifyWindow window;
    // Each close aborts its play. The last close stops the driver's notification
    // thread, which may be waiting for the world just then: a close once hung here.
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(0u, MciDevice('P', false).Play(MCI_NOTIFY, 0, 0, window.hwnd));
    EXPECT_EQ(300u, window.Collect(100).size());
    MciDevice first('P'), second('Q');
    // P's whole disc at factor 3000 takes 207 ms; Q's play 100 ms of music.
    ASSERT_TRUE(sim.SetTimeFactor(3000.0));
    ASSERT_EQ(0u, first.Play(MCI_FROM | MCI_NOTIFY, 2000, 0, window.hwnd));
    ASSERT_EQ(0u, second.Play(MCI_FROM | MCI_TO | MCI_NOTIFY, 2000, 2100, window.hwnd));
    EXPECT_EQ((Notices{ { kSuccessful, second.id }, { kSuccessful, first.id } }), window.Collect(3000, 2));
    EXPECT_EQ(State(kStopped, 622000), first.State());
    ASSERT_TRUE(sim.SetTimeFactor(1.0));

    // Stop, pause, seek and a new play abort a pending notification; a
    // command asking for its own notification supersedes it, the drive playing on.
    MCI_STATUS_PARMS params = { reinterpret_cast<DWORD_PTR>(window.hwnd), 0, MCI_STATUS_MODE, 0 };
    const std::pair<State, Notices> enders[] = {
        { { MCI_STOP, 0 }, { { kAborted, first.id } } },
        { { MCI_PAUSE, 0 }, { { kAborted, first.id } } },
        { { MCI_SEEK, MCI_SEEK_TO_START }, { { kAborted, first.id } } },
        { { MCI_PLAY, 0 }, { { kAborted, first.id } } },
        { { MCI_STATUS, MCI_STATUS_ITEM | MCI_NOTIFY },
          { { MCI_NOTIFY_SUPERSEDED, first.id }, { kSuccessful, first.id } } },
    };
    for (const auto& ender : enders)
    {
        ASSERT_EQ(0u, first.Play(MCI_FROM | MCI_NOTIFY, 2000, 0, window.hwnd));
        ASSERT_EQ(0u, first.Send(ender.first.first, ender.first.second, &params));
        EXPECT_EQ(ender.second, window.Collect(150)) << "command " << ender.first.first;
    }
    EXPECT_EQ(kPlaying, first.Mode());
}

// Only a classic driver notifies the end of a play, failed where it runs
// into a data track. Silent-stop stops at the end, stuck-playing goes on
// saying it plays there; the next command aborts the notification still
// pending. The tool sets the profile and inserts an Enhanced CD: two audio
// tracks, then data (from 4700 to 64700), typed as such; a play is refused
// inside the data.
TEST_F(SimcdTest, ProfilesEndAPlayNotifiedStoppedOrStuckAlsoAtADataTrack)
{
    NotifyWindow window;
    MciDevice device('P');
    ASSERT_TRUE(sim.RemoveDisc('P'));
    ASSERT_EQ(0, RunSimcd("insert P: 1500,1200,data:60000").first);
    EXPECT_NE(std::string::npos, RunSimcd("state P:").second.find("tracks ms: 1500 1200 data:60000"));
    EXPECT_EQ(static_cast<DWORD>(MCI_CDA_TRACK_AUDIO), device.Status(MCI_CDA_STATUS_TYPE_TRACK, kTrack, 2));
    EXPECT_EQ(static_cast<DWORD>(MCI_CDA_TRACK_OTHER), device.Status(MCI_CDA_STATUS_TYPE_TRACK, kTrack, 3));
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_HARDWARE), device.Play(MCI_FROM, 4700));
    ASSERT_TRUE(sim.SetTimeFactor(100.0));
    const struct
    {
        const char* name;
        DWORD mode;
        Notices atEnd, atStop, atData;
    } profiles[] = {
        { "classic", kStopped, { { kSuccessful, device.id } }, {}, { { MCI_NOTIFY_FAILURE, device.id } } },
        { "silent-stop", kStopped, {}, { { kAborted, device.id } }, {} },
        { "stuck-playing", kPlaying, {}, { { kAborted, device.id } }, {} },
    };
    for (const auto& p : profiles)
    {
        ASSERT_EQ(0, RunSimcd(std::string("profile P: ") + p.name).first);
        for (const bool data : { false, true })
        {
            const DWORD end = data ? 4700 : 2100;
            const std::string what = p.name + std::string(data ? " into data" : "");
            ASSERT_EQ(0u,
                      device.Play(MCI_FROM | MCI_NOTIFY | (data ? 0 : MCI_TO), data ? 3000 : 2000, end, window.hwnd));
            EXPECT_EQ(data ? p.atData : p.atEnd, window.Collect(300)) << what;
            EXPECT_EQ(State(p.mode, end), device.State()) << what;
            ASSERT_EQ(0u, device.Send(MCI_STOP, MCI_WAIT));
            EXPECT_EQ(p.atStop, window.Collect(100)) << what;
            EXPECT_EQ(State(kStopped, end), device.State()) << what;
        }
    }
    EXPECT_NE(std::string::npos, RunSimcd("state P:").second.find(", profile stuck-playing"))
        << RunSimcd("state").second;
}

// Drives as real ones are: a play takes the seek time before it plays at its
// place, reporting the old one meanwhile; a closed door spins the disc up
// first; positions wobble.
TEST_F(SimcdTest, SeekTimeSpinUpAndWobbleAsRealDrivesHaveThem)
{
    NotifyWindow window;
    MciDevice device('P');
    ASSERT_EQ(0, RunSimcd("seek P: 300").first);
    for (const char* profile : { "classic", "stuck-playing" })
    {
        ASSERT_EQ(0, RunSimcd(std::string("profile P: ") + profile).first);
        ASSERT_EQ(0u, device.Send(MCI_STOP, MCI_WAIT));
        const DWORD before = device.Status(MCI_STATUS_POSITION);
        const DWORD sent = GetTickCount();
        ASSERT_EQ(0u, device.Play(MCI_FROM | MCI_NOTIFY, 182000, 0, window.hwnd));
        const DWORD seeking = std::string(profile) == "classic" ? MCI_MODE_SEEK : kPlaying;
        EXPECT_EQ(State(seeking, before), device.State()) << profile;
        while (GetTickCount() - sent < 250)
            Sleep(10);
        EXPECT_EQ(State(seeking, before), device.State()) << profile;
        Sleep(150);
        const State playing = device.State();
        EXPECT_TRUE(playing.first == kPlaying && playing.second >= 182000u && playing.second < 182300u)
            << profile << " " << playing.first << " " << playing.second;
    }
    ASSERT_EQ(0u, device.Send(MCI_STOP, MCI_WAIT));
    EXPECT_EQ((Notices{ { kAborted, device.id }, { kAborted, device.id } }), window.Collect(100));

    MCI_SET_PARMS set = {};
    ASSERT_EQ(0u, device.Send(MCI_SET, MCI_SET_DOOR_OPEN, &set));
    ASSERT_EQ(0u, device.Send(MCI_SET, MCI_SET_DOOR_CLOSED, &set));
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_NOT_READY), device.Mode());
    EXPECT_EQ(kUntouched, device.Status(MCI_STATUS_NUMBER_OF_TRACKS));
    EXPECT_EQ(static_cast<MCIERROR>(MCIERR_DEVICE_NOT_READY), device.Play(MCI_FROM, 2000));
    Sleep(350);
    EXPECT_EQ(3u, device.Status(MCI_STATUS_NUMBER_OF_TRACKS));
    EXPECT_EQ(kStopped, device.Mode());

    ASSERT_EQ(0, RunSimcd("wobble P: 3").first);
    simcd::SimDriveInfo info;
    ASSERT_TRUE(sim.GetDrive('P', info));
    const DWORD at = info.positionMs;
    std::vector<DWORD> positions;
    for (int i = 0; i < 40; i++)
        positions.push_back(device.Status(MCI_STATUS_POSITION));
    const auto range = std::minmax_element(positions.begin(), positions.end());
    EXPECT_TRUE(*range.first < *range.second && *range.first >= at - 40 && *range.second <= at + 40)
        << *range.first << " to " << *range.second << " around " << at;
    const std::string state = RunSimcd("state P:").second;
    EXPECT_NE(std::string::npos, state.find(", seek 300 ms, wobble 3 frames")) << state;
}

// A disc image's play goes on as its sound is heard, or in real time where
// no sound device takes it (the test command runs this test once without
// one), and its end is notified either way; at another time factor it is
// silent and runs at that pace.
TEST_F(SimcdTest, ImagePlaysGoOnAndEndNotifiedWithOrWithoutSound)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string base = std::string(folder) + "simcd-sound-" + std::to_string(GetCurrentProcessId());
    // Tracks of 112, 113 and 115 frames: from 2000, 3494 and 5000 ms to 6534 ms.
    std::ofstream(base + ".bin", std::ios::binary) << std::string(340 * 2352, '\0');
    std::ofstream(base + ".cue") << "FILE \"" << base.substr(base.rfind('\\') + 1) + ".bin\" BINARY\n"
                                 << "TRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:01:37\n"
                                 << "TRACK 03 AUDIO\nINDEX 01 00:03:00\n";
    const std::string cue = base + ".cue";
    ASSERT_TRUE(sim.RemoveDisc('P') && sim.InsertImage('P', std::wstring(cue.begin(), cue.end())))
        << sim.GetLastError();
    MciDevice device('P');
    NotifyWindow window;
    ASSERT_EQ(0u, device.Play(MCI_FROM | MCI_NOTIFY, 3494, 0, window.hwnd));
    // The position holds until the sound is heard (a process's first sound
    // device takes a while to open), then goes on at its pace.
    for (DWORD start = GetTickCount(); device.State().second == 3494 && GetTickCount() - start < 2000;)
        Sleep(10);
    const DWORD from = device.State().second, at = GetTickCount();
    Sleep(500);
    const State playing = device.State();
    const DWORD elapsed = GetTickCount() - at;
    EXPECT_TRUE(playing.first == kPlaying && playing.second - from + 100 > elapsed &&
                playing.second - from < elapsed + 100)
        << playing.first << " " << from << " " << playing.second << " after " << elapsed << " ms";
    ASSERT_EQ(0u, device.Send(MCI_PAUSE, MCI_WAIT));
    const State paused = device.State();
    Sleep(200);
    EXPECT_TRUE(paused.first == MCI_MODE_PAUSE && paused == device.State()) << paused.first;
    ASSERT_EQ(0u, device.Play(MCI_NOTIFY, 0, 0, window.hwnd));
    EXPECT_EQ((Notices{ { kAborted, device.id }, { kSuccessful, device.id } }), window.Collect(5000, 2));
    EXPECT_EQ(State(kStopped, 6534), device.State());

    ASSERT_TRUE(sim.SetTimeFactor(20.0));
    const DWORD started = GetTickCount();
    ASSERT_EQ(0u, device.Play(MCI_FROM | MCI_NOTIFY, 2000, 0, window.hwnd));
    EXPECT_EQ((Notices{ { kSuccessful, device.id } }), window.Collect(2000, 1));
    EXPECT_LT(GetTickCount() - started, 1000u);
    EXPECT_EQ(State(kStopped, 6534), device.State());
    DeleteFileA((base + ".bin").c_str());
    DeleteFileA(cue.c_str());
}

TEST_F(SimcdTest, JournalRecordsEveryCommandInOrderWithItsParameters)
{
    NotifyWindow window;
    {
        MciDevice device('P');
        device.Status(MCI_STATUS_LENGTH, kTrack, 2);
        device.Status(MCI_STATUS_LENGTH, kTrack, 9);
        device.Play(MCI_FROM | MCI_TO | MCI_NOTIFY, 2000, 3000, window.hwnd);
    }
    const std::vector<simcd::SimJournalEntry> journal = sim.GetJournal();
    const std::vector<std::vector<uint32_t>> expected = {
        // command, flags, item, track, result, returned
        { MCI_OPEN_DRIVER, kOpenFlags, 0, 0, 0, 0 },
        { MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, 0, 0, 0, 0 },
        { MCI_STATUS, kTrack, MCI_STATUS_LENGTH, 2, 0, 240000 },
        { MCI_STATUS, kTrack, MCI_STATUS_LENGTH, 9, MCIERR_OUTOFRANGE, 0 },
        { MCI_PLAY, MCI_FROM | MCI_TO | MCI_NOTIFY, 0, 0, 0, 0 },
        { MCI_CLOSE_DRIVER, 0, 0, 0, 0, 0 },
    };
    std::vector<std::vector<uint32_t>> actual;
    uint64_t previous = 0;
    for (const simcd::SimJournalEntry& e : journal)
    {
        actual.push_back({ e.command, e.flags, e.item, e.track, e.result, e.returned });
        EXPECT_TRUE(e.drive == 'P' && e.deviceId == journal[0].deviceId && e.deviceId != 0 &&
                    e.processId == GetCurrentProcessId() && e.timeUs >= std::exchange(previous, e.timeUs));
    }
    ASSERT_EQ(expected, actual);
    EXPECT_TRUE(journal[1].timeFormat == MCI_FORMAT_MILLISECONDS && journal[4].from == 2000 && journal[4].to == 3000 &&
                journal[4].callback == static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(window.hwnd)));
}

// Drive letters come and go on every letter but the system drive and the
// Unix root. The tool changes what this process sees, and rejects a wrong
// command with one line, changing nothing.
TEST_F(SimcdTest, DrivesComeAndGoAndTheToolInAnotherProcessChangesTheSameWorld)
{
    for (char letter : { 'A', 'B', 'R', 'Y' })
    {
        ASSERT_TRUE(sim.DefineDrive(letter)) << sim.GetLastError();
        EXPECT_EQ(kCdrom + " (" + letter + ":)", Seen(letter));
    }
    EXPECT_FALSE(sim.DefineDrive('C') || sim.DefineDrive('Z'));
    ASSERT_TRUE(sim.RemoveAllDrives());
    EXPECT_EQ(std::to_string(DRIVE_NO_ROOT_DIR) + " unlisted  (A:)", Seen('A'));
    ASSERT_TRUE(RunSimcd("define q: \"FROM TOOL\"").first == 0 &&
                RunSimcd("insert Q 61000,62000 start=3000").first == 0);
    EXPECT_EQ(kCdrom + "FROM TOOL (Q:)", Seen('Q'));
    MciDevice device('Q');
    EXPECT_EQ(64000u, device.Status(MCI_STATUS_POSITION, kTrack, 2));
    NotifyWindow window;
    ASSERT_EQ(0u, device.Play(MCI_FROM | MCI_NOTIFY, 50000, 0, window.hwnd));
    const auto state = RunSimcd("state Q:");
    EXPECT_TRUE(state.first == 0 && state.second.find("Q: \"FROM TOOL\" playing") != std::string::npos &&
                state.second.find("1 devices open") != std::string::npos)
        << state.second;
    for (const char* arguments : { "frobnicate", "insert Q:", "insert Q: 60000,,1", "insert 7 60000", "insert Q: 500",
                                   "fault Q: loud", "profile Q: loud", "fault Q: delay", "speed 0", "takeout R:" })
    {
        const auto run = RunSimcd(arguments);
        EXPECT_TRUE(run.first != 0 && std::count(run.second.begin(), run.second.end(), '\n') == 1) << run.second;
    }
    EXPECT_NE(0, RunSimcd("").first);
    simcd::SimDriveInfo info;
    EXPECT_TRUE(sim.GetDrive('Q', info) && info.faults == 0 && info.trackLengthsMs.size() == 2 &&
                sim.GetTimeFactor() == 1.0 && !sim.GetDrive('R', info));
    ASSERT_EQ(0, RunSimcd("open Q:").first);  // aborts the play
    EXPECT_EQ((Notices{ { kAborted, device.id } }), window.Collect(1000, 1));
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_OPEN), device.Mode());
}

}  // namespace
