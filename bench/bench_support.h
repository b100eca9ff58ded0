// Helpers shared by the benchmark programs.
#pragma once

#include <windows.h>

#include <string>

#include "engine/text_format.h"

namespace bench {

// A monotonic clock in seconds.
inline double Seconds() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Folder of the running program, without a trailing backslash.
inline std::string ProgramFolder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path || !CutAtLastBackslash(path)) return ".";
    return path;
}

}  // namespace bench
