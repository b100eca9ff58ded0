// The two status lines of the main dialog during an installation: the file
// being copied with a spinner, and the elapsed time.
#pragma once

#include <windows.h>

#include <cstdint>

// Sets control 1019 (line 0) or 1021 (line 1) of the main dialog.
void SetStatusText(const char* text, int line);
// One refresh of the status display.
void UpdateStatusLine();
// The worker hands over the name of the file it copies now.
void SetCurrentFileName(const char* name);
// A copy of the current name (never half-written); empty before the first copy.
void GetCurrentFileName(char* out, int size);
// Starts the elapsed clock at zero.
void ResetElapsedClock();

// Tests replace the millisecond clock (timeGetTime) and read the state.
using MillisecondClock = DWORD (*)();
void SetStatusClock(MillisecondClock clock);  // nullptr restores timeGetTime
struct StatusLineState {
    int32_t spinnerIndex;
    int32_t spinnerCounter;
    int32_t hours, minutes, seconds;
};
StatusLineState GetStatusLineState();
void ResetStatusLineForTest();
