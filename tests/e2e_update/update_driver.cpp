#include "e2e_update/update_driver.h"

#include <vector>

namespace e2e {

Process::~Process() {
    if (Running()) {
        TerminateProcess(process_.Get(), 1);
        WaitForSingleObject(process_.Get(), 5000);
    }
}

bool Process::Start(const std::string& program, const std::string& currentDir) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::vector<char> commandLine(program.begin(), program.end());
    commandLine.push_back('\0');
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentDir.empty() ? nullptr : currentDir.c_str(), &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process_.Reset(info.hProcess);
    id_ = info.dwProcessId;
    return true;
}

bool Process::Running() const {
    return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

DWORD Process::WaitExit(DWORD deadlineMs) {
    if (!process_) return STILL_ACTIVE;
    if (WaitForSingleObject(process_.Get(), deadlineMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.Get(), &code);
    return code;
}

namespace {

window_driver::Match Captioned(const char* caption) {
    return caption != nullptr ? window_driver::WithCaption(caption) : window_driver::Match();
}

}  // namespace

HWND FindDialog(DWORD pid, const char* caption) {
    return window_driver::FindDialog(pid, Captioned(caption));
}

HWND WaitForDialog(DWORD pid, const char* caption, DWORD deadlineMs) {
    return window_driver::WaitForDialog(pid, Captioned(caption), deadlineMs);
}

bool WaitForDialogGone(DWORD pid, const char* caption, DWORD deadlineMs) {
    return window_driver::WaitForDialogGone(pid, Captioned(caption), deadlineMs);
}

bool HasVisibleWindow(DWORD pid) {
    return window_driver::FindWindowOf(pid) != nullptr;
}

std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item != nullptr ? TextOf(item) : std::string("<no control>");
}

std::string BoxText(HWND box) {
    return ItemText(box, window_driver::kBoxTextId);
}

bool PressKey(HWND dialog, WPARAM key) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND target = dialog;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus != nullptr &&
        (info.hwndFocus == dialog || IsChild(dialog, info.hwndFocus))) {
        target = info.hwndFocus;
    }
    return PostMessageA(target, WM_KEYDOWN, key, 1) && PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

}  // namespace e2e
