// Bounded text composition for paths and messages (code page 932 text).
#pragma once

#include <cstddef>

// Composes a path with printf-style arguments into out (size bytes). Returns
// false when the result does not fit; out is then empty, so a path that does
// not fit is never used as a different, shorter path.
bool FormatPath(char* out, std::size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Composes a message; a result longer than the buffer is cut to fit, at a
// character boundary (never between the two bytes of a double-byte
// character). Always terminated.
void FormatMessageText(char* out, std::size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Bounded copy that always terminates out. Returns false when src was cut.
bool CopyText(char* out, std::size_t size, const char* src);

// Length of text that fits in limit bytes without splitting a double-byte
// character.
std::size_t FitLength(const char* text, std::size_t length, std::size_t limit);

// Cuts text at its last backslash byte (0x5C) that is not the trail byte of
// a double-byte character. Returns false (text unchanged) when none exists.
bool CutAtLastBackslash(char* text);

// True for "X:\..." and "\\server\share..." forms.
bool IsAbsoluteFolder(const char* path);
