// Opening documents and programs through the shell.
#include <windows.h>
#include <shellapi.h>

#include "engine/handles.h"
#include "engine/setup_engine.h"
#include "engine/text_format.h"

bool SetupEngine::ShellOpen(const char* path, const char* parameters) {
    ComApartment com;
    if (!com.Usable()) return false;

    // The long form of the path; when it cannot be had (no such file, or
    // longer than the buffer) the path goes to the shell as given.
    char longPath[kFieldSize];
    const DWORD length = GetLongPathNameA(path, longPath, sizeof longPath);
    const char* target = (length > 0 && length < sizeof longPath) ? longPath : path;

    ShellExecuteA(nullptr, "open", target, parameters, "", SW_SHOWNORMAL);
    return true;
}

bool SetupEngine::LaunchProduct() {
    // The game runs with its own folder as the working directory.
    SetCurrentDirectoryA(installDir);
    char path[kFieldSize];
    if (!FormatPath(path, sizeof path, "%s\\%s", installDir, fileList[0])) return false;
    return ShellOpen(path, "");
}

bool SetupEngine::OpenReadme() {
    const char* folder = installed ? installDir : sourceDir;
    char path[kFieldSize];
    if (!FormatPath(path, sizeof path, "%s\\readme.txt", folder)) return false;
    return ShellOpen(path, "");
}
