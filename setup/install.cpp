// The install sequence and the install thread.
#include "setup/install.h"

#include <atomic>
#include <cstring>

#include "app/product_config.h"
#include "engine/setup_engine.h"
#include "engine/text_format.h"
#include "ui/main_dialog.h"

DWORD installThreadId = 0;

namespace {

constexpr const char* kCaptionConfirm = "確認";
constexpr const char* kCaptionFinished = "終了";
constexpr const char* kNoSpace =
    "%s ドライブの空き容量が足りません。\n今現在のドライブの容量は %dMです。\nインストールするには 約%dMの容量が必要です。";
constexpr const char* kCreateQuestion = "%s\nフォルダを作成します。\nよろしいですか？";
constexpr const char* kNotCreated = "%s フォルダを作成できませんでした。";
constexpr const char* kInstallDone = "インストールが完了しました。";
constexpr const char* kInstallFailed =
    "インストールが正常に行われませんでした。\nもう一度ご確認の上、インストールを行ってください。";
constexpr const char* kWritingRegistry = "レジストリにゲーム情報を書き込んでいます。";
constexpr const char* kRegisteringMenu = "スタートメニューに登録しています。";
constexpr const char* kInstallCaption = "インストール";

std::atomic<bool> installThreadRunning{false};

bool IsFolder(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsLeadByte(char c) {
    return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE;
}

// Removes a trailing backslash; a 0x5C that is the second byte of a
// double-byte character is part of that character and stays.
void DropTrailingBackslash(char* path) {
    char* last = nullptr;
    for (char* p = path; *p != '\0'; p += (IsLeadByte(*p) && p[1] != '\0') ? 2 : 1) last = p;
    if (last != nullptr && *last == '\\') *last = '\0';
}

// What the install thread does with one button at each moment.
enum class Change { kKeep, kEnable, kDisable };
struct ButtonRule {
    int id;
    Change atStart;
    Change afterSuccess;
    Change afterFailure;
};
// The Install button stays usable while the thread runs: it is the abort
// button then.
constexpr ButtonRule kButtonRules[] = {
    {kIdInstall, Change::kKeep, Change::kDisable, Change::kEnable},
    {kIdUninstall, Change::kDisable, Change::kEnable, Change::kKeep},
    {kIdStartGame, Change::kDisable, Change::kEnable, Change::kKeep},
    {kIdReadme, Change::kDisable, Change::kEnable, Change::kEnable},
    {kIdManual, Change::kDisable, Change::kEnable, Change::kEnable},
    {IDCANCEL, Change::kDisable, Change::kEnable, Change::kEnable},
    {kIdBrowse, Change::kDisable, Change::kKeep, Change::kEnable},
};

void ApplyButtons(HWND dialog, Change ButtonRule::*moment) {
    for (const ButtonRule& rule : kButtonRules) {
        Change change = rule.*moment;
        if (change != Change::kKeep) EnableWindow(GetDlgItem(dialog, rule.id), change == Change::kEnable);
    }
}

}  // namespace

bool InstallThreadRunning() {
    return installThreadRunning.load();
}

DWORD WINAPI InstallThread(LPVOID) {
    // Only one installation at a time: a thread started while another runs
    // leaves at once.
    bool idle = false;
    if (!installThreadRunning.compare_exchange_strong(idle, true)) return installThreadId;

    HWND dialog = mainDialogWnd;
    ApplyButtons(dialog, &ButtonRule::atStart);
    if (setupEngine.Install()) {
        ApplyButtons(dialog, &ButtonRule::afterSuccess);
    } else {
        MessageBoxA(mainDialogWnd, kInstallFailed, kCaptionConfirm, MB_OK | MB_ICONEXCLAMATION);
        ApplyButtons(dialog, &ButtonRule::afterFailure);
    }
    SetDlgItemTextA(dialog, kIdInstall, kInstallCaption);

    DWORD code = installThreadId;
    installThreadRunning = false;
    return code;
}

uint32_t SetupEngine::FreeSpaceMB(const char* dir) {
    ULARGE_INTEGER available;
    ULARGE_INTEGER total;
    ULARGE_INTEGER freeBytes;
    // A volume that cannot be queried has no space to offer.
    if (!GetDiskFreeSpaceExA(dir, &available, &total, &freeBytes)) return 0;
    return static_cast<uint32_t>(freeBytes.QuadPart >> 20);
}

bool SetupEngine::MakeDirectory(const char* path) {
    if (IsFolder(path)) return true;
    return CreateDirectoryA(path, nullptr) != FALSE;
}

bool SetupEngine::PrepareInstallDir(const char* path) {
    if (!IsFolder(path)) {
        char question[kMessageSize];
        FormatMessageText(question, sizeof question, kCreateQuestion, path);
        if (MessageBoxA(dialogWnd, question, kCaptionConfirm, MB_YESNO | MB_ICONQUESTION) == IDNO) return false;
    }
    // Every level from the drive down: c:\, c:\Program Files\, ...
    char prefix[kFieldSize];
    for (const char* p = path; *p != '\0'; p += (IsLeadByte(*p) && p[1] != '\0') ? 2 : 1) {
        if (*p != '\\') continue;
        std::size_t length = static_cast<std::size_t>(p - path) + 1;
        if (length >= sizeof prefix) return false;
        std::memcpy(prefix, path, length);
        prefix[length] = '\0';
        if (!MakeDirectory(prefix)) return false;
    }
    return MakeDirectory(path);
}

bool SetupEngine::Install() {
    DropTrailingBackslash(installParent);

    if (!FormatPath(installDir, sizeof installDir, "%s\\%s\\%s", installParent, companyName, productFolder)) {
        // No install folder fits: report the folder as far as it can be shown.
        char message[kMessageSize];
        char wanted[kLongPathSize];
        FormatMessageText(wanted, sizeof wanted, "%s\\%s\\%s", installParent, companyName, productFolder);
        FormatMessageText(message, sizeof message, kNotCreated, wanted);
        MessageBoxA(dialogWnd, message, kCaptionConfirm, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }

    uint32_t freeMB = FreeSpaceMB(installParent);
    if (requiredMB > freeMB) {
        char drive[4];
        CopyText(drive, sizeof drive, installDir);
        char message[kMessageSize];
        FormatMessageText(message, sizeof message, kNoSpace, drive, static_cast<int>(freeMB),
                          static_cast<int>(requiredMB));
        MessageBoxA(dialogWnd, message, kCaptionConfirm, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }

    if (!PrepareInstallDir(installDir)) {
        char message[kMessageSize];
        FormatMessageText(message, sizeof message, kNotCreated, installDir);
        MessageBoxA(dialogWnd, message, kCaptionConfirm, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }

    if (!RunTransfer()) {
        DeleteInstalledFiles(installDir);
        return false;
    }

    ShowStatus(kWritingRegistry);
    if (!WriteRegistration()) {
        DeleteInstalledFiles(installDir);
        DeleteRegistration(productConfig.registryKey);
        return false;
    }

    ShowStatus(kRegisteringMenu);
    if (!CreateProgramGroup(1)) return false;  // files and record stay

    ShowStatus(kInstallDone);
    MessageBoxA(dialogWnd, kInstallDone, kCaptionFinished, MB_OK | MB_ICONEXCLAMATION);
    ShowStatus("");

    installed = 1;
    return true;
}
