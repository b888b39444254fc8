// Reads the simulated drives' journal for what one process left open.
#pragma once

#include <windows.h>

#include "simcd/SimController.h"

#include <string>

// Walks the process's MCI commands in order: every device it opened must
// receive a stop right before its close, and none may stay open. Returns
// what went wrong, or an empty text; nOpened counts the opens seen.
std::string DevicesLeftRunning(const simcd::SimController& sim, DWORD dwProcessId, int& nOpened);
