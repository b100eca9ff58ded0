// Entry point of every test program: the tests need the Japanese ANSI code
// page, which a byte round trip of a text alone would not prove.
#include <windows.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GetACP() != 932) {
        std::fprintf(stderr, "ANSI code page is %u, the tests need 932\n", GetACP());
        return 2;
    }
    return RUN_ALL_TESTS();
}
