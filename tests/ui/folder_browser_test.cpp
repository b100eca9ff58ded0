// The folder picker run in this process: preselection, the path it hands
// back with and without the closing backslash, cancel and a short buffer.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ui/folder_browser.h"

namespace {

// "フォルダを選択してください"
constexpr const char kPickerTitle[] =
    "\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xf0\x91\x49\x91\xf0\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2";
constexpr int kTitleStatic = 0x3742;

// What the timer saw of the picker and which button it pressed.
struct PickerVisit {
    int button = IDOK;
    bool seen = false;
    std::string title;
};
PickerVisit* visit = nullptr;

BOOL CALLBACK FindPicker(HWND window, LPARAM out) {
    char cls[16] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) == "#32770" && IsWindowVisible(window) && GetDlgItem(window, kTitleStatic)) {
        *reinterpret_cast<HWND*>(out) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    if (!visit || visit->seen) return;
    HWND picker = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindPicker, reinterpret_cast<LPARAM>(&picker));
    if (!picker) return;
    visit->seen = true;
    char title[128] = {};
    GetDlgItemTextA(picker, kTitleStatic, title, sizeof title);
    visit->title = title;
    PostMessageA(GetDlgItem(picker, visit->button), BM_CLICK, 0, 0);
}

// Runs Browse on buffer with a timer that answers the picker.
int RunBrowse(PickerVisit& v, char* buffer, int length, int mode, int appendBackslash) {
    visit = &v;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, OnTick);
    int result = folderBrowser.Browse(buffer, length, mode, appendBackslash);
    KillTimer(nullptr, timer);
    visit = nullptr;
    return result;
}

std::string Lower(std::string text) {
    for (char& ch : text) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    return text;
}

std::string WindowsFolder() {
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, sizeof folder);
    return folder;
}

TEST(FolderBrowser, ConfirmsThePreselectedFolder) {
    const std::string windows = WindowsFolder();
    const std::string root = windows.substr(0, 3);  // "C:\"
    struct Case {
        std::string preselect;
        int mode, appendBackslash;
        std::string want;
    } cases[] = {
        {windows, 0, 0, windows},
        {windows, 1, 1, windows + "\\"},
        {root, 0, 0, root},
        {root, 2, 1, root},  // a root keeps its one backslash
    };
    for (const Case& c : cases) {
        char buffer[MAX_PATH] = {};
        lstrcpynA(buffer, c.preselect.c_str(), sizeof buffer);
        PickerVisit v;
        EXPECT_EQ(1, RunBrowse(v, buffer, sizeof buffer, c.mode, c.appendBackslash)) << c.preselect;
        EXPECT_TRUE(v.seen);
        EXPECT_EQ(kPickerTitle, v.title);
        EXPECT_EQ(Lower(c.want), Lower(buffer))
            << "preselected " << c.preselect << " mode " << c.mode << " append " << c.appendBackslash;
    }
}

TEST(FolderBrowser, CancelAndShortBufferLeaveTheBufferAlone) {
    const std::string windows = WindowsFolder();
    char buffer[MAX_PATH] = {};
    lstrcpynA(buffer, windows.c_str(), sizeof buffer);
    PickerVisit cancel;
    cancel.button = IDCANCEL;
    EXPECT_EQ(0, RunBrowse(cancel, buffer, sizeof buffer, 0, 0));
    EXPECT_TRUE(cancel.seen);
    EXPECT_EQ(windows, buffer);

    // The chosen path does not fit in the length given: nothing is stored.
    PickerVisit ok;
    const int shortLength = static_cast<int>(windows.size());  // one byte short
    EXPECT_EQ(0, RunBrowse(ok, buffer, shortLength, 0, 0));
    EXPECT_TRUE(ok.seen);
    EXPECT_EQ(windows, buffer);
}

}  // namespace
