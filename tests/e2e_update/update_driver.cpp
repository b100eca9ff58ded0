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

struct Search {
    DWORD pid;
    const char* caption;
    bool anyClass;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
    Search* search = reinterpret_cast<Search*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
    if (!search->anyClass) {
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        if (std::string(className) != "#32770") return TRUE;
        if (search->caption != nullptr && TextOf(window) != search->caption) return TRUE;
    }
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindDialog(DWORD pid, const char* caption) {
    Search search = {pid, caption, false, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(DWORD pid, const char* caption, DWORD deadlineMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND found = FindDialog(pid, caption)) return found;
        if (GetTickCount() - start > deadlineMs) return nullptr;
        Sleep(20);
    }
}

bool WaitForDialogGone(DWORD pid, const char* caption, DWORD deadlineMs) {
    const DWORD start = GetTickCount();
    while (FindDialog(pid, caption) != nullptr) {
        if (GetTickCount() - start > deadlineMs) return false;
        Sleep(20);
    }
    return true;
}

bool HasVisibleWindow(DWORD pid) {
    Search search = {pid, nullptr, true, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
}

std::string TextOf(HWND window) {
    char text[1024] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             kDeadlineMs, &copied)) {
        return std::string();
    }
    return std::string(text, copied);
}

std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item != nullptr ? TextOf(item) : std::string("<no control>");
}

std::string BoxText(HWND box) {
    return ItemText(box, 0xFFFF);
}

bool Click(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button != nullptr && PostMessageA(button, BM_CLICK, 0, 0);
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
