// simcd.exe: the command-line controller of the simulated CD-ROM drives.
#include "SimCommandLine.h"
#include "SimController.h"

#include <iostream>

int main(int argc, char** argv)
{
    simcd::SimController controller;
    simcd::SimCommandLine commandLine(controller);
    return commandLine.Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
