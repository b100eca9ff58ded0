// The setup front end's commands of the main dialog.
#pragma once

#include <windows.h>

// Handles ids 1000, 1001, 1003, 1006, 1014 and 1020. Returns true when the
// id is one of them.
bool HandleSetupCommand(HWND dialog, int id);

// Enables the setup buttons for the not-installed (0) or installed (1) state.
void ApplySetupButtonState(HWND dialog, int installed);
