#include "support/window_driver.h"

#include <sstream>

namespace window_driver {

namespace {

struct Search {
    DWORD pid;
    const Match* match;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
    Search* search = reinterpret_cast<Search*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
    if (*search->match && !(*search->match)(window)) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

bool IsVisibleDialog(HWND window) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    return IsWindowVisible(window) && std::string(className) == "#32770";
}

HWND FindWindowOf(DWORD pid, const Match& match) {
    Search search = {pid, &match, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDialog(DWORD pid, const Match& match) {
    return FindWindowOf(pid, [&match](HWND window) { return IsVisibleDialog(window) && (!match || match(window)); });
}

HWND WaitForDialog(DWORD pid, const Match& match, DWORD deadlineMs, DWORD pollMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND found = FindDialog(pid, match)) return found;
        if (GetTickCount() - start > deadlineMs) return nullptr;
        Sleep(pollMs);
    }
}

bool WaitForDialogGone(DWORD pid, const Match& match, DWORD deadlineMs, DWORD pollMs) {
    const DWORD start = GetTickCount();
    while (FindDialog(pid, match) != nullptr) {
        if (GetTickCount() - start > deadlineMs) return false;
        Sleep(pollMs);
    }
    return true;
}

std::string TextOf(HWND window, DWORD timeoutMs, UINT flags) {
    char text[1024] = {};
    DWORD_PTR copied = 0;
    if (window == nullptr ||
        !SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), flags, timeoutMs,
                             &copied)) {
        return std::string();
    }
    return std::string(text, copied < sizeof text ? copied : sizeof text - 1);
}

std::string BoxText(HWND box) {
    return TextOf(GetDlgItem(box, kBoxTextId));
}

Match WithCaption(const std::string& caption) {
    return [caption](HWND window) { return TextOf(window) == caption; };
}

Match BoxContaining(const std::string& part) {
    return [part](HWND window) {
        HWND text = GetDlgItem(window, kBoxTextId);
        return text != nullptr && TextOf(text).find(part) != std::string::npos;
    };
}

Match IsMessageBox() {
    return [](HWND window) { return GetDlgItem(window, kBoxTextId) != nullptr; };
}

bool Click(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button != nullptr && PostMessageA(button, BM_CLICK, 0, 0);
}

BoxPresser::BoxPresser(int yesNoAnswer, BoxPresserOptions options)
    : yesNoAnswer_(yesNoAnswer), options_(std::move(options)), thread_([this] { Loop(); }) {}

BoxPresser::~BoxPresser() {
    Finish();
}

std::vector<SeenBox> BoxPresser::Seen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

std::vector<SeenBox> BoxPresser::Finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return Seen();
}

std::string BoxPresser::Describe() const {
    std::ostringstream out;
    for (const SeenBox& box : Seen()) out << "[" << box.caption << "] " << box.text << " -> " << box.pressed << "\n";
    return out.str();
}

void BoxPresser::Loop() {
    const Match match = options_.messageBoxesOnly ? IsMessageBox() : Match();
    while (!stop_) {
        HWND box = FindDialog(GetCurrentProcessId(), match);
        if (box == nullptr) {
            Sleep(options_.pollMs);
            continue;
        }
        if (options_.onSeen) options_.onSeen();
        const int button = GetDlgItem(box, IDYES) != nullptr ? yesNoAnswer_ : IDOK;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            seen_.push_back({TextOf(box), BoxText(box), button});
        }
        PressUntilGone(box, button);
    }
}

// Presses button and waits for the box to go before the next look.
void BoxPresser::PressUntilGone(HWND box, int button) {
    const DWORD start = GetTickCount();
    Click(box, button);
    DWORD lastPress = start;
    while (IsWindow(box) && IsWindowVisible(box)) {
        const DWORD now = GetTickCount();
        if (now - start > options_.closeDeadlineMs) {
            stuck_ = true;
            if (options_.closeWhenStuck) PostMessageA(box, WM_CLOSE, 0, 0);
            return;
        }
        if (options_.repressMs != 0 && now - lastPress > options_.repressMs) {
            Click(box, button);
            lastPress = now;
        }
        Sleep(options_.pollMs);
    }
}

}  // namespace window_driver
