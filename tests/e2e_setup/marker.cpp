// Stand-in for the game and for the document viewers: appends one line with
// its working folder and its command line to the file named by
// BRINDLE_MARKER_LOG, then ends.
#include <windows.h>

#include <cstdio>

int main() {
    char log[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("BRINDLE_MARKER_LOG", log, sizeof log);
    if (length == 0 || length >= sizeof log) return 1;
    char folder[MAX_PATH];
    if (GetCurrentDirectoryA(sizeof folder, folder) == 0) folder[0] = '\0';
    FILE* file = std::fopen(log, "ab");
    if (!file) return 1;
    std::fprintf(file, "%s\t%s\n", folder, GetCommandLineA());
    std::fclose(file);
    return 0;
}
