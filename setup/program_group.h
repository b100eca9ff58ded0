// The Start-menu program group: special-folder lookup.
#pragma once

// Path of the special folder id (CSIDL) into out (size bytes); the folder
// is not created when missing. Returns whether the lookup succeeded; out is
// empty when it did not.
bool GetSpecialFolder(int id, char* out, int size);

// Special folders the program group can live in.
constexpr int kCommonStartMenu = 22;  // CSIDL_COMMON_STARTMENU
constexpr int kCommonPrograms = 23;   // CSIDL_COMMON_PROGRAMS
