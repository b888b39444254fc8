#include "SimCommandLine.h"

#include "SimController.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace simcd {

namespace {

const int kUsageError = 2;
const int kFailed = 1;

struct FaultName {
    const char* name;
    uint32_t bit;
};

const FaultName kFaultNames[] = {
    {"open", kFaultOpenFails},         {"status", kFaultStatusFails},
    {"notready", kFaultNotReady},      {"notracks", kFaultZeroTracks},
    {"delay", kFaultDelay},            {"nonotify", kFaultNoNotify},
    {"pastend", kFaultPositionPastEnd}, {"badtracks", kFaultGarbageTracks},
};

const char* const kProfileNames[] = {"classic", "silent-stop", "stuck-playing"};

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
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + static_cast<uint32_t>(c - '0');
    }
    value = result;
    return true;
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
    switch (mode) {
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
    default:
        return "other";
    }
}

const char* CommandName(uint32_t command)
{
    switch (command) {
    case 0x0801: return "OPEN_DRIVER";
    case 0x0802: return "CLOSE_DRIVER";
    case MCI_STATUS: return "STATUS";
    case MCI_SET: return "SET";
    case MCI_PLAY: return "PLAY";
    case MCI_PAUSE: return "PAUSE";
    case MCI_RESUME: return "RESUME";
    case MCI_STOP: return "STOP";
    case MCI_SEEK: return "SEEK";
    case MCI_GETDEVCAPS: return "GETDEVCAPS";
    case MCI_INFO: return "INFO";
    default: return "OTHER";
    }
}

} // namespace

SimCommandLine::SimCommandLine(SimController& controller) : m_controller(controller) {}

const char* SimCommandLine::Usage()
{
    return "usage: simcd <command> [arguments]\n"
           "Controls the simulated CD-ROM drives.\n"
           "  demo                     four drives: D: E: F: with discs of 12, 8 and 15\n"
           "                           tracks, G: empty (replaces every simulated drive)\n"
           "  define <drive> [label]   add an empty CD-ROM drive, e.g. define E: \"MY DISC\"\n"
           "  remove <drive>|all       remove a drive, or every simulated drive\n"
           "  insert <drive> <ms>[,<ms>...] [start=<ms>]\n"
           "                           put in a disc with these track lengths in ms\n"
           "                           (start: where track 1 begins, default 2000)\n"
           "  takeout <drive>          take the disc out\n"
           "  open <drive>             open the door (ends a play)\n"
           "  close <drive>            close the door\n"
           "  fault <drive> none|<fault>[,<fault>...] [delay=<ms>]\n"
           "                           replace the drive's faults; faults: open (open fails),\n"
           "                           status (status fails), notready (mode stays not\n"
           "                           ready), notracks (0 tracks), delay (every command\n"
           "                           waits delay ms), nonotify (no end-of-play\n"
           "                           notification), pastend (position past last track),\n"
           "                           badtracks (the track count reads 4294967295)\n"
           "  profile <drive> classic|silent-stop|stuck-playing\n"
           "                           how the end of a play shows: classic (notified,\n"
           "                           stopped), silent-stop (not notified, stopped),\n"
           "                           stuck-playing (not notified, playing at the end\n"
           "                           until the next command)\n"
           "  speed <factor>           play advances at real time x factor (e.g. 1000)\n"
           "  state [drive]            print the drives\n"
           "  journal [clear]          print (or clear) the MCI commands received\n"
           "  register                 device type cdaudio uses the simulated drives\n"
           "  unregister               device type cdaudio uses Wine's real CD driver\n"
           "A drive is a letter A, B or D to Y, with or without a colon.\n";
}

int SimCommandLine::Run(const std::vector<std::string>& args, std::ostream& out,
                        std::ostream& err)
{
    if (args.empty() || args[0] == "help" || args[0] == "--help" || args[0] == "-h") {
        (args.empty() ? err : out) << Usage();
        return args.empty() ? kUsageError : 0;
    }
    std::string error;
    int status = Execute(args, out, error);
    if (status != 0)
        err << "simcd: " << error << "\n";
    return status;
}

int SimCommandLine::Execute(const std::vector<std::string>& args, std::ostream& out,
                            std::string& error)
{
    const std::string& command = args[0];
    const size_t count = args.size() - 1;
    auto usage = [&error](const std::string& message) {
        error = message + " (simcd help shows the usage)";
        return kUsageError;
    };
    auto result = [this, &error](bool ok) {
        if (!ok)
            error = m_controller.GetLastError();
        return ok ? 0 : kFailed;
    };
    char letter = 0;
    if (command == "demo" || command == "journal" || command == "register" ||
        command == "unregister" || command == "speed" || command == "state") {
        // no drive argument, or an optional one handled below
    } else if (command == "remove" && count == 1 && args[1] == "all") {
        return result(m_controller.RemoveAllDrives());
    } else if (command == "define" || command == "remove" || command == "insert" ||
               command == "takeout" || command == "open" || command == "close" ||
               command == "fault" || command == "profile") {
        if (count < 1)
            return usage(command + " needs a drive");
        if (!ParseDrive(args[1], letter))
            return usage("not a drive: " + args[1]);
    } else {
        return usage("unknown command: " + command);
    }

    if (command == "demo") {
        if (count != 0)
            return usage("demo takes no arguments");
        return result(m_controller.BuildDemo());
    }
    if (command == "define") {
        if (count > 2)
            return usage("define takes a drive and an optional label");
        return result(m_controller.DefineDrive(letter, count == 2 ? args[2] : std::string()));
    }
    if (command == "remove") {
        if (count != 1)
            return usage("remove takes one drive or all");
        return result(m_controller.RemoveDrive(letter));
    }
    if (command == "insert") {
        if (count < 2 || count > 3)
            return usage("insert takes a drive, track lengths and an optional start=<ms>");
        std::vector<std::string> items;
        std::vector<uint32_t> lengths;
        if (!ParseList(args[2], items))
            return usage("not a list of track lengths: " + args[2]);
        for (const std::string& item : items) {
            uint32_t length;
            if (!ParseNumber(item, length))
                return usage("not a track length in ms: " + item);
            lengths.push_back(length);
        }
        uint32_t start = kDefaultDiscStartMs;
        if (count == 3 && (args[3].compare(0, 6, "start=") != 0 ||
                           !ParseNumber(args[3].substr(6), start)))
            return usage("not a start position: " + args[3]);
        return result(m_controller.InsertDisc(letter, lengths, start));
    }
    if (command == "takeout" || command == "open" || command == "close") {
        if (count != 1)
            return usage(command + " takes one drive");
        if (command == "takeout")
            return result(m_controller.RemoveDisc(letter));
        return result(command == "open" ? m_controller.OpenDoor(letter)
                                        : m_controller.CloseDoor(letter));
    }
    if (command == "fault") {
        if (count < 2 || count > 3)
            return usage("fault takes a drive, faults and an optional delay=<ms>");
        uint32_t faults = 0;
        uint32_t delay = 0;
        if (args[2] != "none") {
            std::vector<std::string> items;
            if (!ParseList(args[2], items))
                return usage("not a list of faults: " + args[2]);
            for (const std::string& item : items) {
                uint32_t bit = 0;
                for (const FaultName& fault : kFaultNames)
                    if (item == fault.name)
                        bit = fault.bit;
                if (!bit)
                    return usage("unknown fault: " + item);
                faults |= bit;
            }
        }
        if (count == 3 && (args[3].compare(0, 6, "delay=") != 0 ||
                           !ParseNumber(args[3].substr(6), delay)))
            return usage("not a delay: " + args[3]);
        if ((faults & kFaultDelay) && count != 3)
            return usage("the delay fault needs delay=<ms>");
        return result(m_controller.SetFaults(letter, faults, delay));
    }
    if (command == "profile") {
        if (count != 2)
            return usage("profile takes a drive and a profile");
        for (uint32_t i = 0; i < 3; ++i)
            if (args[2] == kProfileNames[i])
                return result(m_controller.SetProfile(letter, static_cast<SimProfile>(i)));
        return usage("unknown profile: " + args[2]);
    }
    if (command == "speed") {
        if (count != 1)
            return usage("speed takes one factor");
        char* end = nullptr;
        double factor = std::strtod(args[1].c_str(), &end);
        if (args[1].empty() || *end != '\0')
            return usage("not a number: " + args[1]);
        return result(m_controller.SetTimeFactor(factor));
    }
    if (command == "state") {
        if (count > 1)
            return usage("state takes an optional drive");
        if (count == 1 && !ParseDrive(args[1], letter))
            return usage("not a drive: " + args[1]);
        if (!m_controller.IsAttached()) {
            error = m_controller.GetLastError();
            return kFailed;
        }
        SimDriveInfo info;
        if (letter && !m_controller.GetDrive(letter, info))
            return result(false);
        PrintState(out, letter);
        return 0;
    }
    if (command == "journal") {
        if (count > 1 || (count == 1 && args[1] != "clear"))
            return usage("journal takes nothing or clear");
        if (count == 1)
            m_controller.ClearJournal();
        else
            PrintJournal(out);
        return 0;
    }
    // register, unregister
    if (count != 0)
        return usage(command + " takes no arguments");
    if (!SetRegisteredDriver(command == "register" ? "simcdaudio.dll" : "mcicda.dll", error))
        return kFailed;
    return 0;
}

void SimCommandLine::PrintState(std::ostream& out, char letter)
{
    out << "time factor " << m_controller.GetTimeFactor() << "\n";
    for (const SimDriveInfo& drive : m_controller.GetDrives()) {
        if (letter && drive.letter != letter)
            continue;
        out << drive.letter << ": \"" << drive.label << "\" " << ModeName(drive.mode)
            << (drive.doorOpen ? ", door open" : "");
        if (drive.hasDisc) {
            out << ", " << drive.trackLengthsMs.size() << " tracks from " << drive.discStartMs
                << " ms, position " << drive.positionMs << " ms";
        } else {
            out << ", no disc";
        }
        out << ", " << drive.openDevices << " devices open";
        out << ", profile " << (drive.profile < 3 ? kProfileNames[drive.profile] : "?");
        if (drive.faults) {
            out << ", faults";
            for (const FaultName& fault : kFaultNames)
                if (drive.faults & fault.bit)
                    out << " " << fault.name;
            if (drive.faults & kFaultDelay)
                out << " (" << drive.delayMs << " ms)";
        }
        out << "\n";
        if (drive.hasDisc) {
            out << "    tracks ms:";
            for (uint32_t length : drive.trackLengthsMs)
                out << " " << length;
            out << "\n";
        }
    }
}

void SimCommandLine::PrintJournal(std::ostream& out)
{
    std::vector<SimJournalEntry> entries = m_controller.GetJournal();
    uint64_t first = entries.empty() ? 0 : entries.front().timeUs;
    char line[320];
    for (const SimJournalEntry& e : entries) {
        std::snprintf(line, sizeof(line),
                      "%10llu us  pid %-5u %c: dev %-3u %-12s flags 0x%04x item %u track %u "
                      "from %u to %u format %u callback 0x%x -> result 0x%x returned %u\n",
                      static_cast<unsigned long long>(e.timeUs - first), e.processId,
                      e.drive ? e.drive : '?', e.deviceId, CommandName(e.command), e.flags,
                      e.item, e.track, e.from, e.to, e.timeFormat, e.callback, e.result,
                      e.returned);
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
    for (const char* path : kKeys) {
        HKEY key;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS) {
            error = std::string("cannot open HKLM\\") + path;
            return false;
        }
        LONG status = RegSetValueExA(key, "cdaudio", 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(dll),
                                     static_cast<DWORD>(std::strlen(dll) + 1));
        RegCloseKey(key);
        if (status != ERROR_SUCCESS) {
            error = std::string("cannot write HKLM\\") + path;
            return false;
        }
    }
    return true;
}

} // namespace simcd
