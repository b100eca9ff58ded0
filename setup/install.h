// The install thread.
#pragma once

#include <windows.h>

extern DWORD installThreadId;

// Thread procedure: greys out the dialog's other commands, runs Install and
// sets the buttons by its outcome.
DWORD WINAPI InstallThread(LPVOID unused);

// Whether an install thread runs (from its start to its end).
bool InstallThreadRunning();
