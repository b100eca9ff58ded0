#include "engine/text_format.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

bool VFormat(char* out, std::size_t size, const char* format, va_list args, int* needed) {
    *needed = std::vsnprintf(out, size, format, args);
    return *needed >= 0 && static_cast<std::size_t>(*needed) < size;
}

// True when the last byte of text[0..length) is the lead byte of a
// double-byte character whose trail byte was cut off.
bool EndsInLeadByte(const char* text, std::size_t length) {
    std::size_t i = 0;
    while (i < length) {
        if (IsDBCSLeadByte(static_cast<BYTE>(text[i]))) {
            if (i + 1 == length) return true;
            i += 2;
        } else {
            ++i;
        }
    }
    return false;
}

}  // namespace

bool FormatPath(char* out, std::size_t size, const char* format, ...) {
    if (size == 0) return false;
    va_list args;
    va_start(args, format);
    int needed = 0;
    bool ok = VFormat(out, size, format, args, &needed);
    va_end(args);
    if (!ok) out[0] = '\0';
    return ok;
}

std::size_t FitLength(const char* text, std::size_t length, std::size_t limit) {
    if (length <= limit) return length;
    std::size_t i = 0;
    while (i < limit) {
        std::size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[i])) ? 2 : 1;
        if (i + step > limit) break;
        i += step;
    }
    return i;
}

void FormatMessageText(char* out, std::size_t size, const char* format, ...) {
    if (size == 0) return;
    va_list args;
    va_start(args, format);
    int needed = 0;
    bool ok = VFormat(out, size, format, args, &needed);
    va_end(args);
    if (ok) return;
    if (needed < 0) {
        out[0] = '\0';
        return;
    }
    // vsnprintf kept size - 1 bytes; do not leave half a character behind.
    std::size_t kept = std::strlen(out);
    if (kept > 0 && EndsInLeadByte(out, kept)) out[kept - 1] = '\0';
}

bool CopyText(char* out, std::size_t size, const char* src) {
    if (size == 0) return false;
    std::size_t length = std::strlen(src);
    std::size_t keep = FitLength(src, length, size - 1);
    std::memcpy(out, src, keep);
    out[keep] = '\0';
    return keep == length;
}

bool CutAtLastBackslash(char* text) {
    char* last = nullptr;
    for (char* p = text; *p != '\0';) {
        if (*p == '\\') last = p;
        p = IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0' ? p + 2 : p + 1;
    }
    if (last == nullptr) return false;
    *last = '\0';
    return true;
}

bool IsAbsoluteFolder(const char* path) {
    auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (isLetter(path[0]) && path[1] == ':' && path[2] == '\\') return true;
    if (path[0] == '\\' && path[1] == '\\') {
        // \\server\share: a server name, a backslash, a share name.
        const char* server = path + 2;
        const char* sep = std::strchr(server, '\\');
        return sep != nullptr && sep != server && sep[1] != '\0' && sep[1] != '\\';
    }
    return false;
}
