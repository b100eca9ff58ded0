// Bounded composition of paths and messages in code page 932.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/text_format.h"

namespace {

TEST(FormatPath, RefusesWhatDoesNotFit) {
    char out[8];
    EXPECT_TRUE(FormatPath(out, sizeof out, "%s\\%s", "ab", "cde"));  // 6 + terminator
    EXPECT_STREQ("ab\\cde", out);
    EXPECT_TRUE(FormatPath(out, sizeof out, "%s\\%s", "ab", "cdef"));  // exactly 7
    EXPECT_FALSE(FormatPath(out, sizeof out, "%s\\%s", "ab", "cdefg"));
    EXPECT_STREQ("", out) << "never a shorter, different path";
}

TEST(FormatMessageText, CutsAtCharacterBoundaries) {
    struct Case {
        const char* text;
        std::size_t size;
        const char* expected;
    };
    const Case cases[] = {
        {"abc", 8, "abc"},
        {"abcdefghij", 5, "abcd"},
        {"a\x83\x41\x83\x41", 3, "a"},      // "aアア": the second byte of ア would be cut
        {"a\x83\x41\x83\x41", 4, "a\x83\x41"},
        {"\x83\x5c\x83\x5c", 4, "\x83\x5c"},  // "ソソ": trail byte 0x5C
    };
    for (const Case& c : cases) {
        char out[16];
        FormatMessageText(out, c.size, "%s", c.text);
        EXPECT_STREQ(c.expected, out) << c.text << " in " << c.size;
    }
}

TEST(CutAtLastBackslash, IgnoresTrailBytes) {
    struct Case {
        const char* path;
        bool cut;
        const char* expected;
    };
    const Case cases[] = {
        {"c:\\games\\update.exe", true, "c:\\games"},
        {"c:\\\x83\x5c\x83\x74\x83\x67\\update.exe", true, "c:\\\x83\x5c\x83\x74\x83\x67"},  // c:\ソフト
        {"c:\\\x83\x5c", true, "c:"},  // the last real backslash precedes ソ
        {"update.exe", false, "update.exe"},
    };
    for (const Case& c : cases) {
        char buffer[64];
        std::strcpy(buffer, c.path);
        EXPECT_EQ(c.cut, CutAtLastBackslash(buffer)) << c.path;
        EXPECT_STREQ(c.expected, buffer) << c.path;
    }
}

TEST(CopyText, TerminatesAndReportsCuts) {
    char out[4];
    EXPECT_TRUE(CopyText(out, sizeof out, "abc"));
    EXPECT_FALSE(CopyText(out, sizeof out, "abcd"));
    EXPECT_STREQ("abc", out);
    EXPECT_FALSE(CopyText(out, sizeof out, "ab\x83\x41"));
    EXPECT_STREQ("ab", out);
}

}  // namespace
