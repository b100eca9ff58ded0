// The real setup.exe under Wine, started with CreateProcessA and driven
// through its windows: options, folder picker, installation with progress,
// abort, uninstall, readme, manual and start game. The disc, the target
// drive D: and the marker program come from tests/layouts/setup_disc.sh.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/handles.h"
#include "support/expected_texts.h"
#include "support/test_support.h"
#include "support/window_driver.h"

namespace {

using namespace testing_support;
using namespace window_driver;

constexpr DWORD kDeadlineMs = 60000;
constexpr const char kRecordKey[] = "SOFTWARE\\Quorvel\\Brindlemarch";
constexpr const char kInstallDir[] = "D:\\Quorvel\\Brindlemarch";

enum : int {
    kInstall = 1000, kStartGame = 1001, kExit = 1002, kBrowse = 1003, kTarget = 1004, kProgress = 1005,
    kReadme = 1006, kUninstall = 1014, kStatus0 = 1019, kManual = 1020, kStatus1 = 1021,
    kSpace = 1011, kOptionsOk = 1012, kOptionsCancel = 1013, kToggle = 1015,
    kGfx = 1021, kBgm = 1022, kVox = 1023,
};

// ASCII case folding: drive letters and folder names differ only in case.
std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

std::string ItemText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }
bool ItemEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
// Position of the progress bar 1005; -1 when it does not answer.
int BarPosition(HWND dialog) {
    DWORD_PTR position = 0;
    if (!SendMessageTimeoutA(GetDlgItem(dialog, 1005), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &position)) return -1;
    return static_cast<int>(position);
}

// The main dialog and the folder picker: known by a control, not a message box.
Match WithControl(int id) { return [id](HWND w) { return GetDlgItem(w, id) != nullptr && GetDlgItem(w, kBoxTextId) == nullptr; }; }

// Folder question, completion and failure texts (CP932), from the program.
const std::string kCreateFolder = "\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xf0\x8d\xec\x90\xac";    // "フォルダを作成"
const std::string kInstallDone = "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xaa\x8a\xae\x97\xb9";  // "インストールが完了"
const std::string kInstallFailed = "\x90\xb3\x8f\xed\x82\xc9\x8d\x73\x82\xed\x82\xea\x82\xdc\x82\xb9\x82\xf1";  // "正常に行われませんでした" (start)
const std::string kUninstallQuestion = "\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xf0\x8a\x4a\x8e\x6e";  // "アンインストールを開始"
const std::string kUninstallDone = "\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xaa\x8a\xae\x97\xb9";  // "アンインストールが完了"

const std::string kPickerTitle =
    "\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xf0\x91\x49\x91\xf0\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2";  // "フォルダを選択してください"

std::string ShortcutFolder() {
    char programs[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, programs, CSIDL_COMMON_PROGRAMS, FALSE);
    return std::string(programs) + "\\Quorvel\\Brindlemarch";
}

std::string RecordDir() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRecordKey, 0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) return "";
    char value[MAX_PATH] = {};
    DWORD size = sizeof value - 1;
    RegQueryValueExA(key, "Dir", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return value;
}

// One run of setup.exe from its own folder, with the marker log in the
// environment it passes on.
class SetupE2E : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = EnvValue("SETUP_PROGRAM");
        source_ = EnvValue("SETUP_SOURCE");
        ASSERT_FALSE(program_.empty()) << "run through the setup_disc.sh layout";
        DeleteProductKey();
        // A marker started by an earlier test may still hold the installed
        // folder as its working folder for a moment.
        ASSERT_TRUE(WaitUntil([] { return RemoveTree("D:\\Quorvel"); })) << "GLE=" << GetLastError();
        RemoveTree(ShortcutFolder());
        log_ = dir_ / "marker.log";
        DeleteFileA(log_.c_str());
        SetEnvironmentVariableA("BRINDLE_MARKER_LOG", log_.c_str());
    }
    void TearDown() override {
        if (process_) {
            if (WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) TerminateProcess(process_.Get(), 1);
            WaitForSingleObject(process_.Get(), 5000);
        }
    }

    // Starts setup.exe and waits for its dialog.
    HWND Start() {
        std::string folder = program_.substr(0, program_.rfind('\\'));
        std::string command = "\"" + program_ + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessA(program_.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                            &startup, &info)) {
            ADD_FAILURE() << "CreateProcessA GLE=" << GetLastError();
            return nullptr;
        }
        process_.Reset(info.hProcess);
        CloseHandle(info.hThread);
        pid_ = info.dwProcessId;
        HWND dialog = WaitForDialog(pid_, WithControl(kInstall), kDeadlineMs);
        EXPECT_NE(nullptr, dialog) << "no setup dialog";
        return dialog;
    }
    HWND Wait(const Match& match, const char* what, DWORD deadline = kDeadlineMs) {
        HWND w = WaitForDialog(pid_, match, deadline);
        EXPECT_NE(nullptr, w) << "no window: " << what;
        return w;
    }
    DWORD WaitExit() {
        if (WaitForSingleObject(process_.Get(), kDeadlineMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.Get(), &code);
        return code;
    }

    // Chooses parent in the folder picker: preselects it through the
    // picker's own message (the text placed in the setup process) and
    // confirms with OK.
    bool ChooseFolder(HWND dialog, const std::string& parent) {
        Click(dialog, kBrowse);
        // The picker is known by its title static (0x3742): its caption
        // follows the platform's language.
        HWND picker = WaitForDialog(pid_, WithControl(0x3742), kDeadlineMs);
        if (!picker) {
            std::string shown;
            FindDialog(pid_, [&](HWND w) {
                shown += "[" + TextOf(w) + "]";
                return false;
            });
            ADD_FAILURE() << "no folder picker; dialogs of the process: " << shown;
            return false;
        }
        EXPECT_EQ(kPickerTitle, ItemText(picker, 0x3742));
        void* remote = VirtualAllocEx(process_.Get(), nullptr, parent.size() + 1, MEM_COMMIT, PAGE_READWRITE);
        if (!remote || !WriteProcessMemory(process_.Get(), remote, parent.c_str(), parent.size() + 1, nullptr)) {
            ADD_FAILURE() << "remote text GLE=" << GetLastError();
            return false;
        }
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(picker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 5000,
                            &ignored);
        Click(picker, IDOK);
        const DWORD start = GetTickCount();
        while (IsWindow(picker) && GetTickCount() - start < kDeadlineMs) Sleep(20);
        VirtualFreeEx(process_.Get(), remote, 0, MEM_RELEASE);
        return !IsWindow(picker);
    }

    // Runs the options dialog with OK, taking all three components.
    void ConfirmOptions(HWND dialog) {
        Click(dialog, kInstall);
        HWND options = Wait(WithCaption(expected::kOptionsCaption), "options dialog");
        ASSERT_NE(nullptr, options);
        Click(options, kOptionsOk);
    }

    // Installs under D:\ and answers the folder question; returns when the
    // completion box has been closed, or fails.
    void InstallOnD(HWND dialog) {
        ASSERT_TRUE(ChooseFolder(dialog, "D:\\"));
        // The folder question comes only for a folder that does not exist
        // (uninstall leaves the emptied folder behind).
        const bool folderThere = FolderExists(kInstallDir);
        ConfirmOptions(dialog);
        if (!folderThere) {
            HWND question = Wait(BoxContaining(kCreateFolder), "folder question");
            ASSERT_NE(nullptr, question);
            EXPECT_NE(std::string::npos, ItemText(question, 0xFFFF).find(kInstallDir));
            Click(question, IDYES);
        }
        HWND done = Wait(BoxContaining(kInstallDone), "installation complete");
        ASSERT_NE(nullptr, done);
        Click(done, IDOK);
        WaitUntil([&] { return ItemText(dialog, kInstall) == expected::kInstallWord; });
    }

    template <typename Condition>
    bool WaitUntil(Condition condition) {
        const DWORD start = GetTickCount();
        while (!condition()) {
            if (GetTickCount() - start > kDeadlineMs) return false;
            Sleep(20);
        }
        return true;
    }

    // Lines the marker program wrote: working folder and command line.
    std::vector<std::pair<std::string, std::string>> MarkerLines() {
        std::vector<std::pair<std::string, std::string>> lines;
        std::vector<char> bytes = ReadFileBytes(log_);
        std::string all(bytes.begin(), bytes.end());
        std::size_t pos = 0;
        while (pos < all.size()) {
            std::size_t end = all.find('\n', pos);
            if (end == std::string::npos) break;
            std::string line = all.substr(pos, end - pos);
            std::size_t tab = line.find('\t');
            lines.emplace_back(line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1));
            pos = end + 1;
        }
        return lines;
    }
    // Waits for the marker's n-th line and returns it.
    std::pair<std::string, std::string> WaitMarkerLine(std::size_t n) {
        std::vector<std::pair<std::string, std::string>> lines;
        WaitUntil([&] {
            lines = MarkerLines();
            return lines.size() >= n;
        });
        if (lines.size() < n) {
            ADD_FAILURE() << "marker wrote " << lines.size() << " lines, wanted " << n;
            return {};
        }
        return lines[n - 1];
    }

    TempDir dir_{"e2e_setup"};
    std::string program_, source_, log_;
    ThreadHandle process_;
    DWORD pid_ = 0;
};

bool Contains(const std::string& text, const std::string& part) {
    return Lower(text).find(Lower(part)) != std::string::npos;
}

struct ButtonState {
    bool install, uninstall, start, browse;
};
void ExpectButtons(HWND dialog, ButtonState want, const char* when) {
    EXPECT_EQ(want.install, ItemEnabled(dialog, kInstall)) << when;
    EXPECT_EQ(want.uninstall, ItemEnabled(dialog, kUninstall)) << when;
    EXPECT_EQ(want.start, ItemEnabled(dialog, kStartGame)) << when;
    EXPECT_EQ(want.browse, ItemEnabled(dialog, kBrowse)) << when;
}
constexpr ButtonState kNotInstalled = {true, false, false, true};
constexpr ButtonState kInstalled = {false, true, true, false};

TEST_F(SetupE2E, OptionsShowTheSpaceAndCancelStartsNothing) {
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    ExpectButtons(dialog, kNotInstalled, "at opening");
    const std::string caption = ItemText(dialog, kInstall);
    Click(dialog, kInstall);
    HWND options = Wait(WithCaption(expected::kOptionsCaption), "options dialog");
    ASSERT_NE(nullptr, options);
    struct Step {
        int id;
        const char* space;
    } steps[] = {{kToggle, "3000M byte"}, {kGfx, "1100M"}, {kBgm, "880M"}, {kVox, "140M"},
                 {kToggle, "3000M byte"}, {kGfx, "1340M"}, {kBgm, "1560M"}, {kVox, "2300M"}};
    for (const Step& s : steps) {
        Click(options, s.id);
        EXPECT_TRUE(WaitUntil([&] { return ItemText(options, kSpace) == s.space; }))
            << "after " << s.id << " the space reads " << ItemText(options, kSpace) << ", want " << s.space;
    }
    Click(options, kOptionsCancel);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(options); }));
    // Nothing was started: no folder question, the button keeps its caption.
    EXPECT_EQ(nullptr, WaitForDialog(pid_, BoxContaining(kCreateFolder), 1500));
    EXPECT_EQ(caption, ItemText(dialog, kInstall));
    ExpectButtons(dialog, kNotInstalled, "after cancel");
    EXPECT_FALSE(FolderExists(kInstallDir));
    Click(dialog, IDCANCEL);
    EXPECT_EQ(0u, WaitExit());
}

TEST_F(SetupE2E, ReadmeAndManualBeforeInstallComeFromTheSource) {
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    Click(dialog, kReadme);
    auto readme = WaitMarkerLine(1);
    EXPECT_TRUE(Contains(readme.second, source_ + "\\readme.txt")) << readme.second;
    Click(dialog, kManual);
    auto manual = WaitMarkerLine(2);
    const std::string above = source_.substr(0, source_.rfind('\\'));
    EXPECT_TRUE(Contains(manual.second, above + "\\manual\\manual.html")) << manual.second;
    EXPECT_TRUE(IsWindow(dialog));
    Click(dialog, kExit);
    EXPECT_EQ(0u, WaitExit());
}

TEST_F(SetupE2E, InstallUnderADriveRootThenReadmeAndStartGame) {
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(ChooseFolder(dialog, "D:\\"));
    // The root comes back as "D:\" and is kept as "D:".
    EXPECT_EQ(kInstallDir, ItemText(dialog, kTarget));

    ConfirmOptions(dialog);
    HWND question = Wait(BoxContaining(kCreateFolder), "folder question");
    ASSERT_NE(nullptr, question);
    EXPECT_NE(std::string::npos, ItemText(question, 0xFFFF).find(kInstallDir)) << ItemText(question, 0xFFFF);
    // While the question is open the installation runs: Install is the abort
    // button and the other commands are greyed.
    EXPECT_EQ(expected::kAbortButton, ItemText(dialog, kInstall));
    ExpectButtons(dialog, {true, false, false, false}, "installing");
    // A second press outside the transfer starts nothing: no options dialog.
    Click(dialog, kInstall);
    EXPECT_EQ(nullptr, WaitForDialog(pid_, WithCaption(expected::kOptionsCaption), 1000));
    Click(question, IDYES);

    // Watch status line 0 until the completion box: file names with the
    // spinner, then the registry and Start-menu steps.
    std::set<std::string> status0;
    std::set<int> bar;
    HWND done = nullptr;
    const DWORD start = GetTickCount();
    for (int turn = 0; !done && GetTickCount() - start < kDeadlineMs; ++turn) {
        status0.insert(ItemText(dialog, kStatus0));
        if (turn % 8 == 0) {
            bar.insert(BarPosition(dialog));
            done = FindDialog(pid_, BoxContaining(kInstallDone));
        }
        if (turn == 16) {
            // Leaving now would skip the rollback: Exit and Escape do nothing.
            Click(dialog, kExit);
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    }
    ASSERT_NE(nullptr, done) << "no completion box";
    EXPECT_GE(status0.size(), 3u) << "status line 0 never changed";
    EXPECT_GE(bar.size(), 3u) << "the progress bar never moved";
    EXPECT_EQ(1000, BarPosition(dialog)) << "the bar ends full";
    // While the completion box is open, the line says the same.
    EXPECT_NE(std::string::npos, ItemText(dialog, kStatus0).find(kInstallDone)) << ItemText(dialog, kStatus0);
    Click(done, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return ItemText(dialog, kInstall) == expected::kInstallWord; }));
    EXPECT_TRUE(WaitUntil([&] { return ItemEnabled(dialog, kUninstall); }));
    ExpectButtons(dialog, kInstalled, "installed");

    for (const char* name : {"Brindlemarch.exe", "gfx.arc", "vox.arc", "bgm.arc", "readme.txt", "uninst.exe"}) {
        const std::string installed = std::string(kInstallDir) + "\\" + name;
        EXPECT_TRUE(FileExists(installed)) << installed;
        EXPECT_EQ(ReadFileBytes(source_ + "\\" + name), ReadFileBytes(installed)) << name;
    }
    EXPECT_TRUE(Contains(RecordDir(), kInstallDir)) << RecordDir();
    for (const std::string link : {"Brindlemarch.lnk", "README.lnk", "\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b.lnk"}) {
        EXPECT_TRUE(FileExists(ShortcutFolder() + "\\" + link)) << link;
    }

    // The readme now comes from the installed folder.
    Click(dialog, kReadme);
    auto readme = WaitMarkerLine(1);
    EXPECT_TRUE(Contains(readme.second, std::string(kInstallDir) + "\\readme.txt")) << readme.second;

    // Start game: the game runs in the installed folder and setup ends.
    Click(dialog, kStartGame);
    auto game = WaitMarkerLine(2);
    EXPECT_EQ(Lower(kInstallDir), Lower(game.first));
    EXPECT_TRUE(Contains(game.second, std::string(kInstallDir) + "\\Brindlemarch.exe")) << game.second;
    EXPECT_EQ(0u, WaitExit());
}

TEST_F(SetupE2E, UninstallAsksRemovesAndRestoresTheButtons) {
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    InstallOnD(dialog);
    ASSERT_TRUE(FileExists(std::string(kInstallDir) + "\\gfx.arc"));

    // Declining the question keeps everything.
    Click(dialog, kUninstall);
    HWND question = Wait(BoxContaining(kUninstallQuestion), "uninstall question");
    ASSERT_NE(nullptr, question);
    Click(question, IDNO);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
    ExpectButtons(dialog, kInstalled, "uninstall declined");
    EXPECT_TRUE(FileExists(std::string(kInstallDir) + "\\gfx.arc"));

    Click(dialog, kUninstall);
    question = Wait(BoxContaining(kUninstallQuestion), "uninstall question");
    ASSERT_NE(nullptr, question);
    Click(question, IDYES);
    HWND done = Wait(BoxContaining(kUninstallDone), "uninstall complete");
    ASSERT_NE(nullptr, done);
    Click(done, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return ItemEnabled(dialog, kInstall); }));
    ExpectButtons(dialog, kNotInstalled, "uninstalled");
    EXPECT_FALSE(FileExists(std::string(kInstallDir) + "\\gfx.arc"));
    EXPECT_FALSE(FileExists(std::string(kInstallDir) + "\\Brindlemarch.exe"));
    EXPECT_EQ("", RecordDir());
    EXPECT_FALSE(FileExists(ShortcutFolder() + "\\Brindlemarch.lnk"));

    // The product can be installed again.
    InstallOnD(dialog);
    ExpectButtons(dialog, kInstalled, "installed again");
    Click(dialog, IDCANCEL);
    EXPECT_EQ(0u, WaitExit());
}

TEST_F(SetupE2E, AbortDuringTheTransferRollsBack) {
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(ChooseFolder(dialog, "D:\\"));
    ConfirmOptions(dialog);
    HWND question = Wait(BoxContaining(kCreateFolder), "folder question");
    ASSERT_NE(nullptr, question);
    Click(question, IDYES);
    // Wait until the bar shows the worker inside the large archive (the
    // files before it make fewer than 10 of the 1000 units), then abort.
    EXPECT_TRUE(WaitUntil([&] { return BarPosition(dialog) >= 10; })) << "the progress bar never moved";
    EXPECT_EQ(expected::kAbortButton, ItemText(dialog, kInstall));
    Click(dialog, kInstall);
    EXPECT_TRUE(WaitUntil([&] { return !ItemEnabled(dialog, kInstall) || FindDialog(pid_, BoxContaining(kInstallFailed)); }))
        << "the abort button stayed enabled";
    HWND failed = Wait(BoxContaining(kInstallFailed), "installation failed");
    ASSERT_NE(nullptr, failed);
    Click(failed, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return ItemText(dialog, kInstall) == expected::kInstallWord; }));
    EXPECT_TRUE(WaitUntil([&] { return ItemEnabled(dialog, kInstall); }));
    ExpectButtons(dialog, kNotInstalled, "after abort");
    for (const char* name : {"Brindlemarch.exe", "gfx.arc", "sfx.arc", "readme.txt"}) {
        EXPECT_FALSE(FileExists(std::string(kInstallDir) + "\\" + name)) << name;
    }
    EXPECT_EQ("", RecordDir());
    EXPECT_FALSE(FileExists(ShortcutFolder() + "\\Brindlemarch.lnk"));
    Click(dialog, IDCANCEL);
    EXPECT_EQ(0u, WaitExit());
}

TEST_F(SetupE2E, NoDiscTakesTheProgramFolderAsSource) {
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    Click(dialog, kReadme);
    auto readme = WaitMarkerLine(1);
    EXPECT_TRUE(Contains(readme.second, source_ + "\\readme.txt")) << readme.second;
    InstallOnD(dialog);
    EXPECT_EQ(ReadFileBytes(source_ + "\\gfx.arc"), ReadFileBytes(std::string(kInstallDir) + "\\gfx.arc"));
    HKEY key = nullptr;
    char cd[MAX_PATH] = {};
    DWORD size = sizeof cd - 1;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRecordKey, 0, KEY_READ | KEY_WOW64_32KEY, &key));
    RegQueryValueExA(key, "CD", nullptr, nullptr, reinterpret_cast<BYTE*>(cd), &size);
    RegCloseKey(key);
    EXPECT_EQ(Lower(source_), Lower(cd));
    Click(dialog, IDCANCEL);
    EXPECT_EQ(0u, WaitExit());
}

}  // namespace
