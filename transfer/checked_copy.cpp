// One file copied in fixed blocks through the standard streams, with the
// byte count, the cancellation handshake, an exact size check and the
// platform's whole-file copy as the fallback.
#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "engine/setup_engine.h"

namespace {

constexpr std::size_t kCopyBlockSize = 0x10000;

// The one block buffer of the process: only CopyOneFile uses it, and only
// one copy runs at a time.
char copyBuffer[kCopyBlockSize];

// True when the path names nothing: neither the file nor its folder exists.
bool IsMissing(const char* path) {
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return false;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Moves a pending cancellation request to "copy stopped". True when there
// was one.
bool TakeCancelRequest(std::atomic<int32_t>& state) {
    int32_t expected = kCancelRequested;
    return state.compare_exchange_strong(expected, kCancelCopyStopped);
}

}  // namespace

uint32_t SetupEngine::GetFileSizeOf(const char* path) {
    FileHandle file(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    return GetFileSize(file.Get(), nullptr);
}

CopyResult SetupEngine::CopyOneFile(const char* destination, const char* source) {
    FILE* stream = nullptr;
    if (fopen_s(&stream, source, "rb") != 0 || stream == nullptr) {
        return IsMissing(source) ? CopyResult::kNoSource : CopyResult::kFailed;
    }
    srcFile.Reset(stream);
    stream = nullptr;
    if (fopen_s(&stream, destination, "wb") != 0 || stream == nullptr) {
        srcFile.Reset();
        return CopyResult::kFailed;
    }
    dstFile.Reset(stream);

    const uint32_t base = bytesCopied.load();
    bool writeFailed = false;
    if (!TakeCancelRequest(cancelState)) {
        for (;;) {
            std::size_t got = std::fread(copyBuffer, 1, kCopyBlockSize, srcFile.Get());
            bytesCopied += static_cast<uint32_t>(got);
            if (std::fwrite(copyBuffer, 1, got, dstFile.Get()) != got) {
                writeFailed = true;
                break;  // the copy cannot become whole any more
            }
            // A short block is the last one: end of file, or a read error
            // that the size check below finds.
            if (got < kCopyBlockSize) break;
            if (TakeCancelRequest(cancelState)) break;
        }
    }
    srcFile.Reset();
    if (!dstFile.Reset()) writeFailed = true;

    // A copy cut short on request is what the caller asked for.
    if (cancelState.load() != kCancelNone) return CopyResult::kCopied;

    const uint32_t sourceSize = GetFileSizeOf(source);
    const uint32_t copySize = GetFileSizeOf(destination);
    if (!writeFailed && copySize == sourceSize) return CopyResult::kCopied;

    // The copy is not whole: once more with the platform's whole-file copy.
    // The count for this file becomes the source size, whatever the result.
    const bool copied = CopyFileA(source, destination, FALSE) != FALSE;
    bytesCopied = base + sourceSize;
    if (copied && GetFileSizeOf(destination) == GetFileSizeOf(source)) return CopyResult::kCopied;
    return CopyResult::kFailed;
}
