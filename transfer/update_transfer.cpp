// The update: every listed file delivered in the product's sub-folder of the
// program's own folder is copied over the installed one and given the
// source's file times.
#include <windows.h>

#include "engine/setup_engine.h"
#include "engine/text_format.h"

namespace {

constexpr const char kUpdateDoneText[] = "アップデートが完了しました。";
constexpr const char kUpdateFailedFormat[] =
    "%s のアップデートに失敗しました。\nもう一度アップデートを行ってください。";
constexpr const char kCaptionFinished[] = "終了";
constexpr const char kCaptionConfirm[] = "確認";

void ShowUpdateFailed(HWND owner, const char* name) {
    char text[kMessageSize];
    FormatMessageText(text, sizeof text, kUpdateFailedFormat, name);
    MessageBoxA(owner, text, kCaptionConfirm, MB_OK | MB_ICONEXCLAMATION);
}

// Gives the destination the source's creation, last-access and last-write
// times. False when the destination cannot be opened for it; a source that
// cannot be opened leaves the times as they are.
bool CopyFileTimes(const char* destination, const char* source) {
    FileHandle from(CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!from) return true;
    FileHandle to(CreateFileA(destination, GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!to) return false;
    FILETIME created{}, accessed{}, written{};
    if (GetFileTime(from.Get(), &created, &accessed, &written)) {
        SetFileTime(to.Get(), &created, &accessed, &written);
    }
    from.Reset();
    to.Reset();
    return true;
}

}  // namespace

bool SetupEngine::ApplyUpdate() {
    const DWORD length = GetModuleFileNameA(nullptr, sourceDir, sizeof sourceDir);
    if (length == 0 || length >= sizeof sourceDir || !CutAtLastBackslash(sourceDir)) {
        sourceDir[0] = '\0';  // never keep a cut path
        ShowUpdateFailed(dialogWnd, productName);
        return false;
    }

    for (FileList list : {fileList, updateList}) {
        for (int i = 0; list != nullptr && list[i][0] != '\0'; ++i) {
            const char* name = list[i];
            char source[kLongPathSize];
            char destination[kLongPathSize];
            if (!FormatPath(source, sizeof source, "%s\\%s\\%s", sourceDir, productFolder, name) ||
                !FormatPath(destination, sizeof destination, "%s\\%s", installDir, name)) {
                ShowUpdateFailed(dialogWnd, name);
                return false;
            }
            // Attributes first, so that a read-only installed file can take
            // the new contents.
            SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
            const CopyResult result = CopyOneFile(destination, source);
            if (result == CopyResult::kNoSource) continue;  // not part of this update
            if (result != CopyResult::kCopied || !CopyFileTimes(destination, source)) {
                ShowUpdateFailed(dialogWnd, name);
                return false;
            }
        }
    }

    MessageBoxA(dialogWnd, kUpdateDoneText, kCaptionFinished, MB_OK | MB_ICONEXCLAMATION);
    return true;
}
