// The command-line tool over SimController: parses one command, checks all
// of it before changing anything, and runs it.
#pragma once

#include "SimTypes.h"

#include <ostream>
#include <string>
#include <vector>

namespace simcd
{

class SimController;

class SimCommandLine
{
public:
    explicit SimCommandLine(SimController& controller);

    // args without the program name. Returns the exit status: 0 on success,
    // 2 for a wrong command line (one line on err), 1 when the command failed.
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

    static std::string Usage();

private:
    // One run of a command: its arguments (the command's name first), the
    // drive parsed from them, where it prints, and the error it leaves.
    struct Invocation
    {
        const std::vector<std::string>& args;
        char letter;
        std::ostream& out;
        std::string error;
    };
    struct Command
    {
        const char* name;
        size_t minArgs, maxArgs;
        bool driveFirst;  // the first argument is a drive, parsed for the handler
        int (SimCommandLine::*handler)(Invocation& call);
        const char* synopsis;
        const char* help;  // lines separated by \n
    };
    static const Command kCommands[];

    int Execute(Invocation& call);
    static int UsageError(Invocation& call, const std::string& message);
    int Result(Invocation& call, bool ok);

    int Demo(Invocation& call);
    int Define(Invocation& call);
    int Remove(Invocation& call);
    int Insert(Invocation& call);
    int TakeOut(Invocation& call);
    int Open(Invocation& call);
    int Close(Invocation& call);
    int Fault(Invocation& call);
    int Profile(Invocation& call);
    int Seek(Invocation& call);
    int Wobble(Invocation& call);
    int Speed(Invocation& call);
    int State(Invocation& call);
    int Journal(Invocation& call);
    int Register(Invocation& call);
    int Unregister(Invocation& call);

    void PrintState(std::ostream& out, char letter);
    static void PrintSource(std::ostream& out, const SimDriveInfo& drive);
    static std::wstring ImagePath(const std::string& argument);
    void PrintJournal(std::ostream& out);
    static bool SetRegisteredDriver(const char* dll, std::string& error);

    SimController& m_controller;
};

}  // namespace simcd
