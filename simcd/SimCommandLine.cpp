#include "SimCommandLine.h"

#include "SimController.h"
#include "TextCodec.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace simcd
{

namespace
{

const int kUsageError = 2;
const int kFailed = 1;

struct FaultName
{
    const char* name;
    uint32_t bit;
};

const FaultName kFaultNames[] = {
    { "open", kFaultOpenFails },
    { "status", kFaultStatusFails },
    { "notready", kFaultNotReady },
    { "notracks", kFaultZeroTracks },
    { "delay", kFaultDelay },
    { "nonotify", kFaultNoNotify },
    { "pastend", kFaultPositionPastEnd },
    { "badtracks", kFaultGarbageTracks },
};

const char* const kProfileNames[] = { "classic", "silent-stop", "stuck-playing" };

// "D", "d", "D:" or "d:".
bool ParseDrive(const std::string& text, char& letter)
{
    if (text.size() < 1 || text.size() > 2 || (text.size() == 2 && text[1] != ':'))
        return false;
    char c = text[0];
    if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z')
        return false;
    letter = c;
    return true;
}

bool ParseNumber(const std::string& text, uint32_t& value)
{
    if (text.empty() || text.size() > 9)
        return false;
    uint32_t result = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + static_cast<uint32_t>(c - '0');
    }
    value = result;
    return true;
}

// "start=2000" or "delay=50": the setting's number.
bool ParseSetting(const std::string& text, const char* prefix, uint32_t& value)
{
    const size_t length = std::strlen(prefix);
    return text.compare(0, length, prefix) == 0 && ParseNumber(text.substr(length), value);
}

bool ParseList(const std::string& text, std::vector<std::string>& items)
{
    std::string item;
    std::istringstream in(text);
    while (std::getline(in, item, ','))
        items.push_back(item);
    return !items.empty() && text.back() != ',';
}

const char* ModeName(uint32_t mode)
{
    switch (mode)
    {
    case MCI_MODE_NOT_READY:
        return "not-ready";
    case MCI_MODE_STOP:
        return "stopped";
    case MCI_MODE_PLAY:
        return "playing";
    case MCI_MODE_PAUSE:
        return "paused";
    case MCI_MODE_OPEN:
        return "open";
    case MCI_MODE_SEEK:
        return "seeking";
    default:
        return "other";
    }
}

const char* CommandName(uint32_t command)
{
    switch (command)
    {
    case 0x0801:
        return "OPEN_DRIVER";
    case 0x0802:
        return "CLOSE_DRIVER";
    case MCI_STATUS:
        return "STATUS";
    case MCI_SET:
        return "SET";
    case MCI_PLAY:
        return "PLAY";
    case MCI_PAUSE:
        return "PAUSE";
    case MCI_RESUME:
        return "RESUME";
    case MCI_STOP:
        return "STOP";
    case MCI_SEEK:
        return "SEEK";
    case MCI_GETDEVCAPS:
        return "GETDEVCAPS";
    case MCI_INFO:
        return "INFO";
    default:
        return "OTHER";
    }
}

}  // namespace

SimCommandLine::SimCommandLine(SimController& controller) : m_controller(controller) {}

// One row per command: the usage text, the argument checks and the handler
// all come from here. A command whose first argument is a drive gets it
// parsed before its handler runs.
const SimCommandLine::Command SimCommandLine::kCommands[] = {
    { "demo", 0, 0, false, &SimCommandLine::Demo, "demo",
      "four drives: D: E: F: with discs of 12, 8 and 15\n"
      "tracks, G: empty (replaces every simulated drive)" },
    { "define", 1, 2, true, &SimCommandLine::Define, "define <drive> [label]",
      "add an empty CD-ROM drive, e.g. define E: \"MY DISC\"" },
    { "remove", 1, 1, false, &SimCommandLine::Remove, "remove <drive>|all",
      "remove a drive, or every simulated drive" },
    { "insert", 2, 3, true, &SimCommandLine::Insert, "insert <drive> <tracks>|<file.cue>|<folder> [start=<ms>]",
      "put in a disc: <tracks> is a silent disc's tracks,\n"
      "<ms>[,<ms>...], data:<ms> for a data track (start:\n"
      "where track 1 begins, default 2000); a CUE sheet with\n"
      "its BIN or WAV files, or a folder of WAV files (16-bit\n"
      "stereo PCM at 44100 Hz, a track each in name order)\n"
      "is a disc image that plays; a Windows path, or a Unix\n"
      "one starting with /" },
    { "takeout", 1, 1, true, &SimCommandLine::TakeOut, "takeout <drive>", "take the disc out" },
    { "open", 1, 1, true, &SimCommandLine::Open, "open <drive>", "open the door (ends a play)" },
    { "close", 1, 1, true, &SimCommandLine::Close, "close <drive>", "close the door" },
    { "fault", 2, 3, true, &SimCommandLine::Fault, "fault <drive> none|<fault>[,<fault>...] [delay=<ms>]",
      "replace the drive's faults; faults: open (open fails),\n"
      "status (status fails), notready (mode stays not\n"
      "ready), notracks (0 tracks), delay (every command\n"
      "waits delay ms), nonotify (no end-of-play\n"
      "notification), pastend (position past last track),\n"
      "badtracks (the track count reads 4294967295)" },
    { "profile", 2, 2, true, &SimCommandLine::Profile, "profile <drive> classic|silent-stop|stuck-playing",
      "how the end of a play shows: classic (notified,\n"
      "stopped), silent-stop (not notified, stopped),\n"
      "stuck-playing (not notified, playing at the end\n"
      "until the next command)" },
    { "seek", 2, 2, true, &SimCommandLine::Seek, "seek <drive> <ms>",
      "a play (and a door closing) takes this long, in\n"
      "real time, before the drive plays at the new place;\n"
      "meanwhile it reports its old position, mode seek\n"
      "(play with silent-stop and stuck-playing); 0: off" },
    { "wobble", 2, 2, true, &SimCommandLine::Wobble, "wobble <drive> <frames>",
      "every reported position is off by up to this many\n"
      "frames (1/75 s) either way; 0: off" },
    { "speed", 1, 1, false, &SimCommandLine::Speed, "speed <factor>",
      "play advances at real time x factor (e.g. 1000)" },
    { "state", 0, 1, false, &SimCommandLine::State, "state [drive]", "print the drives" },
    { "journal", 0, 1, false, &SimCommandLine::Journal, "journal [clear]",
      "print (or clear) the MCI commands received, one\n"
      "line each (below)" },
    { "register", 0, 0, false, &SimCommandLine::Register, "register", "device type cdaudio uses the simulated drives" },
    { "unregister", 0, 0, false, &SimCommandLine::Unregister, "unregister",
      "device type cdaudio uses Wine's real CD driver" },
};

std::string SimCommandLine::Usage()
{
    const size_t kColumn = 27;
    std::string usage = "usage: simcd <command> [arguments]\n"
                        "Controls the simulated CD-ROM drives.\n";
    for (const Command& command : kCommands)
    {
        std::string line = std::string("  ") + command.synopsis;
        // A synopsis too long for its column has its help on the next lines.
        line += line.size() < kColumn ? std::string(kColumn - line.size(), ' ') : "\n" + std::string(kColumn, ' ');
        for (const char* p = command.help; *p; p++)
            line += *p == '\n' ? "\n" + std::string(kColumn, ' ') : std::string(1, *p);
        usage += line + "\n";
    }
    return usage + "A drive is a letter A, B or D to Y, with or without a colon.\n"
                   "A journal line (tools read it: its format stays as it is), fields separated\n"
                   "by blanks:\n"
                   "  TIME us pid PID D: dev ID COMMAND flags 0xFLAGS item ITEM track TRACK\n"
                   "  from FROM to TO format FORMAT callback 0xWINDOW -> result 0xERROR returned VALUE\n"
                   "TIME counts microseconds from the first line; D: is the drive (? when none);\n"
                   "COMMAND is OPEN_DRIVER, CLOSE_DRIVER, STATUS, SET, PLAY, PAUSE, RESUME, STOP,\n"
                   "SEEK, GETDEVCAPS, INFO or OTHER; the numbers are the command's parameters,\n"
                   "0 where it has none; RESULT is what the driver returned, VALUE the status\n"
                   "query's answer.\n";
}

int SimCommandLine::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty() || args[0] == "help" || args[0] == "--help" || args[0] == "-h")
    {
        (args.empty() ? err : out) << Usage();
        return args.empty() ? kUsageError : 0;
    }
    Invocation call{ args, 0, out, {} };
    int status = Execute(call);
    if (status != 0)
        err << "simcd: " << call.error << "\n";
    return status;
}

int SimCommandLine::Execute(Invocation& call)
{
    const std::string& name = call.args[0];
    for (const Command& command : kCommands)
    {
        if (name != command.name)
            continue;
        const size_t count = call.args.size() - 1;
        if (count < command.minArgs || count > command.maxArgs)
            return UsageError(call, std::string("usage: simcd ") + command.synopsis);
        if (command.driveFirst && !ParseDrive(call.args[1], call.letter))
            return UsageError(call, "not a drive: " + call.args[1]);
        return (this->*command.handler)(call);
    }
    return UsageError(call, "unknown command: " + name);
}

int SimCommandLine::UsageError(Invocation& call, const std::string& message)
{
    call.error = message + " (simcd help shows the usage)";
    return kUsageError;
}

int SimCommandLine::Result(Invocation& call, bool ok)
{
    if (!ok)
        call.error = m_controller.GetLastError();
    return ok ? 0 : kFailed;
}

int SimCommandLine::Demo(Invocation& call)
{
    return Result(call, m_controller.BuildDemo());
}

int SimCommandLine::Define(Invocation& call)
{
    return Result(call, m_controller.DefineDrive(call.letter, call.args.size() == 3 ? call.args[2] : std::string()));
}

int SimCommandLine::Remove(Invocation& call)
{
    if (call.args[1] == "all")
        return Result(call, m_controller.RemoveAllDrives());
    if (!ParseDrive(call.args[1], call.letter))
        return UsageError(call, "not a drive: " + call.args[1]);
    return Result(call, m_controller.RemoveDrive(call.letter));
}

int SimCommandLine::Insert(Invocation& call)
{
    std::vector<std::string> items;
    std::vector<SimTrack> tracks;
    if (!ParseList(call.args[2], items))
        return UsageError(call, "not a list of tracks: " + call.args[2]);
    for (const std::string& item : items)
    {
        SimTrack track;
        track.data = ParseSetting(item, "data:", track.lengthMs);
        if (!track.data && !ParseNumber(item, track.lengthMs))
        {
            // Not a list of lengths: an image.
            if (call.args.size() == 4)
                return UsageError(call, "start= goes with track lengths, not with an image");
            return Result(call, m_controller.InsertImage(call.letter, ImagePath(call.args[2])));
        }
        tracks.push_back(track);
    }
    uint32_t start = kDefaultDiscStartMs;
    if (call.args.size() == 4 && !ParseSetting(call.args[3], "start=", start))
        return UsageError(call, "not a start position: " + call.args[3]);
    return Result(call, m_controller.InsertTracks(call.letter, tracks, start));
}

// A path from the command line: a Unix path (Wine's drive Z: or another
// mapped one) when it starts with a slash and Wine can map it, else a
// Windows path in the ANSI code page.
std::wstring SimCommandLine::ImagePath(const std::string& argument)
{
    typedef WCHAR*(CDECL * DosNameOf)(const char*);
    const DosNameOf dosNameOf = argument.compare(0, 1, "/") == 0
                                    ? reinterpret_cast<DosNameOf>(reinterpret_cast<void*>(
                                          GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")))
                                    : nullptr;
    if (WCHAR* dos = dosNameOf ? dosNameOf(argument.c_str()) : nullptr)
    {
        std::wstring path = dos;
        HeapFree(GetProcessHeap(), 0, dos);
        return path;
    }
    return Widen(argument, CP_ACP);
}

int SimCommandLine::TakeOut(Invocation& call)
{
    return Result(call, m_controller.RemoveDisc(call.letter));
}

int SimCommandLine::Open(Invocation& call)
{
    return Result(call, m_controller.OpenDoor(call.letter));
}

int SimCommandLine::Close(Invocation& call)
{
    return Result(call, m_controller.CloseDoor(call.letter));
}

int SimCommandLine::Fault(Invocation& call)
{
    uint32_t faults = 0;
    uint32_t delay = 0;
    if (call.args[2] != "none")
    {
        std::vector<std::string> items;
        if (!ParseList(call.args[2], items))
            return UsageError(call, "not a list of faults: " + call.args[2]);
        for (const std::string& item : items)
        {
            uint32_t bit = 0;
            for (const FaultName& fault : kFaultNames)
                if (item == fault.name)
                    bit = fault.bit;
            if (!bit)
                return UsageError(call, "unknown fault: " + item);
            faults |= bit;
        }
    }
    const bool hasDelay = call.args.size() == 4;
    if (hasDelay && !ParseSetting(call.args[3], "delay=", delay))
        return UsageError(call, "not a delay: " + call.args[3]);
    if ((faults & kFaultDelay) && !hasDelay)
        return UsageError(call, "the delay fault needs delay=<ms>");
    return Result(call, m_controller.SetFaults(call.letter, faults, delay));
}

int SimCommandLine::Profile(Invocation& call)
{
    for (uint32_t i = 0; i < 3; ++i)
        if (call.args[2] == kProfileNames[i])
            return Result(call, m_controller.SetProfile(call.letter, static_cast<SimProfile>(i)));
    return UsageError(call, "unknown profile: " + call.args[2]);
}

int SimCommandLine::Seek(Invocation& call)
{
    uint32_t ms;
    if (!ParseNumber(call.args[2], ms))
        return UsageError(call, "not a seek time in ms: " + call.args[2]);
    return Result(call, m_controller.SetSeekTime(call.letter, ms));
}

int SimCommandLine::Wobble(Invocation& call)
{
    uint32_t frames;
    if (!ParseNumber(call.args[2], frames))
        return UsageError(call, "not a number of frames: " + call.args[2]);
    return Result(call, m_controller.SetWobble(call.letter, frames));
}

int SimCommandLine::Speed(Invocation& call)
{
    char* end = nullptr;
    double factor = std::strtod(call.args[1].c_str(), &end);
    if (call.args[1].empty() || *end != '\0')
        return UsageError(call, "not a number: " + call.args[1]);
    return Result(call, m_controller.SetTimeFactor(factor));
}

int SimCommandLine::State(Invocation& call)
{
    if (call.args.size() == 2 && !ParseDrive(call.args[1], call.letter))
        return UsageError(call, "not a drive: " + call.args[1]);
    if (!m_controller.IsAttached())
        return Result(call, false);
    SimDriveInfo info;
    if (call.letter && !m_controller.GetDrive(call.letter, info))
        return Result(call, false);
    PrintState(call.out, call.letter);
    return 0;
}

int SimCommandLine::Journal(Invocation& call)
{
    if (call.args.size() == 2 && call.args[1] != "clear")
        return UsageError(call, "journal takes nothing or clear");
    if (call.args.size() == 2)
        m_controller.ClearJournal();
    else
        PrintJournal(call.out);
    return 0;
}

int SimCommandLine::Register(Invocation& call)
{
    return SetRegisteredDriver("simcdaudio.dll", call.error) ? 0 : kFailed;
}

int SimCommandLine::Unregister(Invocation& call)
{
    return SetRegisteredDriver("mcicda.dll", call.error) ? 0 : kFailed;
}

void SimCommandLine::PrintState(std::ostream& out, char letter)
{
    out << "time factor " << m_controller.GetTimeFactor() << "\n";
    for (const SimDriveInfo& drive : m_controller.GetDrives())
    {
        if (letter && drive.letter != letter)
            continue;
        out << drive.letter << ": \"" << drive.label << "\" " << ModeName(drive.mode)
            << (drive.doorOpen ? ", door open" : "");
        if (drive.hasDisc)
        {
            out << ", " << drive.trackLengthsMs.size() << " tracks from " << drive.discStartMs << " ms, position "
                << drive.positionMs << " ms";
        }
        else
        {
            out << ", no disc";
        }
        out << ", " << drive.openDevices << " devices open";
        out << ", profile " << (drive.profile < 3 ? kProfileNames[drive.profile] : "?");
        if (drive.seekMs)
            out << ", seek " << drive.seekMs << " ms";
        if (drive.wobbleFrames)
            out << ", wobble " << drive.wobbleFrames << " frames";
        if (drive.faults)
        {
            out << ", faults";
            for (const FaultName& fault : kFaultNames)
                if (drive.faults & fault.bit)
                    out << " " << fault.name;
            if (drive.faults & kFaultDelay)
                out << " (" << drive.delayMs << " ms)";
        }
        out << "\n";
        if (drive.hasDisc)
        {
            out << "    tracks ms:";
            for (size_t i = 0; i < drive.trackLengthsMs.size(); ++i)
                out << (drive.dataTracks[i] ? " data:" : " ") << drive.trackLengthsMs[i];
            out << "\n";
            PrintSource(out, drive);
        }
    }
}

void SimCommandLine::PrintSource(std::ostream& out, const SimDriveInfo& drive)
{
    const std::string path = Narrow(Widen(drive.sourcePath, CP_UTF8), CP_ACP);
    switch (drive.source)
    {
    case kSourceCue:
        out << "    image cue " << path << "\n";
        break;
    case kSourceWavFolder:
        out << "    image wav-folder " << path << "\n";
        break;
    case kSourceGenerated:
        out << "    sound generated, seed " << drive.sourceSeed << "\n";
        break;
    default:
        out << "    sound none\n";
        break;
    }
}

void SimCommandLine::PrintJournal(std::ostream& out)
{
    std::vector<SimJournalEntry> entries = m_controller.GetJournal();
    uint64_t first = entries.empty() ? 0 : entries.front().timeUs;
    char line[320];
    for (const SimJournalEntry& e : entries)
    {
        std::snprintf(line, sizeof(line),
                      "%10llu us  pid %-5u %c: dev %-3u %-12s flags 0x%04x item %u track %u "
                      "from %u to %u format %u callback 0x%x -> result 0x%x returned %u\n",
                      static_cast<unsigned long long>(e.timeUs - first), e.processId, e.drive ? e.drive : '?',
                      e.deviceId, CommandName(e.command), e.flags, e.item, e.track, e.from, e.to, e.timeFormat,
                      e.callback, e.result, e.returned);
        out << line;
    }
}

// Names the driver of the device type "cdaudio": Wine reads the key MCI,
// Windows NT reads MCI32.
bool SimCommandLine::SetRegisteredDriver(const char* dll, std::string& error)
{
    static const char* const kKeys[] = {
        "Software\\Microsoft\\Windows NT\\CurrentVersion\\MCI",
        "Software\\Microsoft\\Windows NT\\CurrentVersion\\MCI32",
    };
    for (const char* path : kKeys)
    {
        HKEY key;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
        {
            error = std::string("cannot open HKLM\\") + path;
            return false;
        }
        LONG status = RegSetValueExA(key, "cdaudio", 0, REG_SZ, reinterpret_cast<const BYTE*>(dll),
                                     static_cast<DWORD>(std::strlen(dll) + 1));
        RegCloseKey(key);
        if (status != ERROR_SUCCESS)
        {
            error = std::string("cannot write HKLM\\") + path;
            return false;
        }
    }
    return true;
}

}  // namespace simcd
