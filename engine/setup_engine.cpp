#include "engine/setup_engine.h"

#include <cstdlib>
#include <cstring>

#include "engine/text_format.h"

SetupEngine::SetupEngine() {
    std::memset(selected, 1, sizeof selected);
}

SetupEngine::~SetupEngine() {
    Release();
}

// The process's one engine, built before WinMain and released at exit.
SetupEngine setupEngine;
namespace {
const int releaseAtExit = std::atexit([] { setupEngine.Release(); });
}  // namespace

FileList SetupEngine::DuplicateList(FileList old, const char* const* source, int* countOut) {
    FreeList(old);
    int names = 0;
    while (source != nullptr && source[names] != nullptr) ++names;
    FileList copy = new char*[names + 1];
    for (int i = 0; i <= names; ++i) {
        copy[i] = new char[kNameSize]();
        if (i < names) CopyText(copy[i], kNameSize, source[i]);
    }
    if (countOut != nullptr) *countOut = names + 1;
    return copy;
}

bool SetupEngine::FreeList(FileList list) {
    if (list == nullptr) return true;
    for (int i = 0;; ++i) {
        bool last = list[i][0] == '\0';
        delete[] list[i];
        if (last) break;
    }
    delete[] list;
    return true;
}

void SetupEngine::Initialize(const char* const* installFiles, const char* const* updateFiles,
                             const char* const* labels, HWND dialog, const char* company,
                             const char* product, const char* folder, uint32_t requiredSpaceMB) {
    dialogWnd = dialog;
    requiredMB = requiredSpaceMB;

    fileList = DuplicateList(fileList, installFiles, nullptr);
    updateList = DuplicateList(updateList, updateFiles, nullptr);
    volumeLabels = DuplicateList(volumeLabels, labels, nullptr);

    CopyText(companyName, sizeof companyName, company);
    CopyText(productName, sizeof productName, product);
    CopyText(productFolder, sizeof productFolder, folder);

    LocateSource(productFolder, fileList[0]);
    char root[kFieldSize];
    CopyText(root, sizeof root, sourceDir);
    // A source folder that does not fit stays empty rather than wrong.
    FormatPath(sourceDir, sizeof sourceDir, "%s\\%s", root, productFolder);

    FormatPath(regKeyPath, sizeof regKeyPath, "Software\\%s\\%s", companyName, productName);

    installed = 0;
    if (ReadRegistration()) installed = 1;
    DebugTrace("Reg Key <%s>\nInst Flag [%d]", regKeyPath);
}

void SetupEngine::Release() {
    FreeList(fileList);
    FreeList(updateList);
    FreeList(volumeLabels);
    fileList = updateList = volumeLabels = nullptr;
    CloseKey();
}

void SetupEngine::GetSourceDir(char* out, int size) const {
    if (size > 0) CopyText(out, static_cast<std::size_t>(size), sourceDir);
}
