// Helpers shared by the copy and update tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/handles.h"

namespace transfer_test {

constexpr uint32_t kBlock = 65536;

// Opens path with no sharing, as another program holding the file would.
FileHandle HoldWithoutSharing(const std::string& path);
// True when nothing else has the file open: it can be opened without sharing.
bool NotHeldOpen(const std::string& path);

// True when a read-only file cannot be written by this process (false as
// root with the DAC override, which ignores the attribute).
bool ReadOnlyIsEnforced();
// True when the program was started with the given argument.
bool HasArgument(const char* argument);

struct FileTimes {
    FILETIME created{}, accessed{}, written{};
};
bool ReadTimes(const std::string& path, FileTimes* times);
bool WriteTimes(const std::string& path, const FileTimes& times);
FILETIME TimeOf(int year, int month, int day);
// Which of the three slots (creation, last access, last write) the platform
// keeps when SetFileTime gives them.
struct KeptSlots {
    bool created = false, accessed = false, written = false;
};
KeptSlots ProbeKeptTimes(const std::string& folder);

// Serves bytes to one reader through a named pipe whose writes complete
// only when the reader has taken the data: the test knows how far the
// reader has got.
class PipeSource {
public:
    PipeSource();
    ~PipeSource();
    PipeSource(const PipeSource&) = delete;
    PipeSource& operator=(const PipeSource&) = delete;

    const std::string& Path() const { return path_; }
    bool Valid() const { return pipe_.Valid(); }
    // Waits (with a deadline) until the reader has connected.
    bool WaitForReader();
    // Writes data; returns when the reader has taken all of it, false at
    // the deadline or on an error.
    bool Send(const char* data, std::size_t size);
    // Ends the stream: the reader sees the end of the file.
    void Close() { pipe_.Reset(); }

private:
    bool Wait(OVERLAPPED* overlapped, bool started);

    std::string path_;
    FileHandle pipe_;
    ThreadHandle event_;  // an event: like a thread handle, empty when null
};

}  // namespace transfer_test
