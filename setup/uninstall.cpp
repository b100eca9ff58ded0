// Removal of an installation: the listed files, the program group and the
// registry record.
#include <cstring>

#include "app/product_config.h"
#include "engine/setup_engine.h"
#include "engine/text_format.h"

namespace {

constexpr const char* kUninstallQuestion = "%s のアンインストールを開始します。\n開始してもよろしいですか？";
constexpr const char* kUninstallDone = "アンインストールが完了しました。";
constexpr const char* kCaptionConfirm = "確認";
constexpr const char* kCaptionFinished = "終了";

// Deletes every name of list found directly in folder, read-only ones too.
void DeleteListedFiles(const char* folder, FileList list) {
    for (int i = 0; list != nullptr && list[i][0] != '\0'; ++i) {
        char path[kFieldSize] = {};
        // A name that does not fit beside the folder is left alone rather
        // than deleting some other, shorter path.
        if (!FormatPath(path, sizeof path, "%s\\%s", folder, list[i])) continue;
        WIN32_FIND_DATAA found;
        FindHandle probe(FindFirstFileA(path, &found));
        if (!probe) continue;
        probe.Reset();
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path);
    }
}

}  // namespace

bool SetupEngine::Uninstall() {
    char question[kMessageSize];
    FormatMessageText(question, sizeof question, kUninstallQuestion, productName);
    if (MessageBoxA(dialogWnd, question, kCaptionConfirm, MB_YESNO | MB_ICONQUESTION) == IDNO) return false;

    DeleteInstalledFiles(installDir);
    RemoveProgramGroup();
    if (!DeleteRegistration(productConfig.registryKey)) return false;

    MessageBoxA(dialogWnd, kUninstallDone, kCaptionFinished, MB_OK | MB_ICONEXCLAMATION);
    installed = 0;
    return true;
}

bool SetupEngine::DeleteInstalledFiles(const char* folder) {
    // An empty or relative folder would name files of the current folder.
    if (folder == nullptr || !IsAbsoluteFolder(folder)) return true;
    DeleteListedFiles(folder, fileList);
    DeleteListedFiles(folder, updateList);
    return true;
}
