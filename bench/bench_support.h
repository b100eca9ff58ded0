// Helpers shared by the benchmark programs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/handles.h"
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

// A folder of this run under the temporary folder, created when missing.
inline std::string TempFolder(const char* tag) {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    char name[MAX_PATH];
    std::snprintf(name, sizeof name, "%sbm_bench_%s_%lu", base, tag, GetCurrentProcessId());
    CreateDirectoryA(name, nullptr);
    return name;
}

// Writes size bytes of varied content (derived from seed) in 1 MiB pieces.
inline bool WriteFilled(const std::string& path, uint32_t size, uint32_t seed) {
    constexpr uint32_t kPiece = 1024 * 1024;
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file) return false;
    std::vector<uint32_t> piece(kPiece / 4);
    uint32_t x = seed * 2654435761u + 1;
    for (uint32_t done = 0; done < size;) {
        for (uint32_t& word : piece) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            word = x;
        }
        DWORD chunk = size - done < kPiece ? size - done : kPiece;
        DWORD written = 0;
        if (!WriteFile(file.Get(), piece.data(), chunk, &written, nullptr) || written != chunk) return false;
        done += chunk;
    }
    return file.Reset();
}

}  // namespace bench
