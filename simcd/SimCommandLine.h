// The command-line tool over SimController: parses one command, checks all
// of it before changing anything, and runs it.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace simcd {

class SimController;

class SimCommandLine {
public:
    explicit SimCommandLine(SimController& controller);

    // args without the program name. Returns the exit status: 0 on success,
    // 2 for a wrong command line (one line on err), 1 when the command failed.
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

    static const char* Usage();

private:
    int Execute(const std::vector<std::string>& args, std::ostream& out, std::string& error);
    void PrintState(std::ostream& out, char letter);
    void PrintJournal(std::ostream& out);
    static bool SetRegisteredDriver(const char* dll, std::string& error);

    SimController& m_controller;
};

} // namespace simcd
