#include "transfer/transfer_fixture.h"

#include <cstdio>
#include <cstring>

#include "support/test_support.h"

namespace transfer_test {

namespace {
constexpr DWORD kPipeDeadlineMs = 20000;
}

FileHandle HoldWithoutSharing(const std::string& path) {
    return FileHandle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool NotHeldOpen(const std::string& path) {
    FileHandle h(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr));
    return h.Valid();
}

bool ReadOnlyIsEnforced() {
    testing_support::TempDir dir("ro");
    std::string probe = dir / "probe.bin";
    if (!testing_support::WriteFileSized(probe, 10, 1)) return false;
    SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_READONLY);
    FILE* f = std::fopen(probe.c_str(), "wb");
    bool enforced = f == nullptr;
    if (f != nullptr) std::fclose(f);
    SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    return enforced;
}

bool HasArgument(const char* argument) {
    return std::strstr(GetCommandLineA(), argument) != nullptr;
}

bool ReadTimes(const std::string& path, FileTimes* times) {
    FileHandle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return h && GetFileTime(h.Get(), &times->created, &times->accessed, &times->written);
}

bool WriteTimes(const std::string& path, const FileTimes& times) {
    FileHandle h(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return h && SetFileTime(h.Get(), &times.created, &times.accessed, &times.written);
}

FILETIME TimeOf(int year, int month, int day) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = 10;
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

KeptSlots ProbeKeptTimes(const std::string& folder) {
    std::string probe = folder + "\\time_probe.bin";
    KeptSlots kept;
    FileTimes given{TimeOf(2001, 2, 3), TimeOf(2002, 3, 4), TimeOf(2003, 4, 5)};
    FileTimes back;
    if (testing_support::WriteFileSized(probe, 10, 2) && WriteTimes(probe, given) && ReadTimes(probe, &back)) {
        kept.created = CompareFileTime(&given.created, &back.created) == 0;
        kept.accessed = CompareFileTime(&given.accessed, &back.accessed) == 0;
        kept.written = CompareFileTime(&given.written, &back.written) == 0;
    }
    DeleteFileA(probe.c_str());
    return kept;
}

PipeSource::PipeSource() {
    static int counter = 0;
    char name[128];
    std::snprintf(name, sizeof name, "\\\\.\\pipe\\bm_copy_%lu_%d", GetCurrentProcessId(), ++counter);
    path_ = name;
    // No buffer: a write completes only once the reader has taken the data.
    pipe_.Reset(CreateNamedPipeA(name, PIPE_ACCESS_OUTBOUND | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                 0, 0, 0, nullptr));
    event_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

PipeSource::~PipeSource() = default;

bool PipeSource::Wait(OVERLAPPED* overlapped, bool started) {
    if (started) return true;
    if (GetLastError() != ERROR_IO_PENDING) return false;
    if (WaitForSingleObject(event_.Get(), kPipeDeadlineMs) != WAIT_OBJECT_0) {
        CancelIo(pipe_.Get());
        DWORD ignored = 0;
        GetOverlappedResult(pipe_.Get(), overlapped, &ignored, TRUE);
        return false;
    }
    DWORD ignored = 0;
    return GetOverlappedResult(pipe_.Get(), overlapped, &ignored, FALSE) != FALSE;
}

bool PipeSource::WaitForReader() {
    OVERLAPPED overlapped{};
    overlapped.hEvent = event_.Get();
    ResetEvent(event_.Get());
    BOOL connected = ConnectNamedPipe(pipe_.Get(), &overlapped);
    if (!connected && GetLastError() == ERROR_PIPE_CONNECTED) return true;
    return Wait(&overlapped, connected != FALSE);
}

bool PipeSource::Send(const char* data, std::size_t size) {
    while (size > 0) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = event_.Get();
        ResetEvent(event_.Get());
        DWORD written = 0;
        BOOL done = WriteFile(pipe_.Get(), data, static_cast<DWORD>(size), &written, &overlapped);
        if (!Wait(&overlapped, done != FALSE)) return false;
        if (!GetOverlappedResult(pipe_.Get(), &overlapped, &written, FALSE) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace transfer_test
