#include "transfer/box_presser.h"

#include <cstring>

namespace transfer_test {

namespace {

constexpr DWORD kCloseDeadlineMs = 10000;
constexpr DWORD kRepressMs = 500;

BOOL CALLBACK FindOwnBox(HWND wnd, LPARAM out) {
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    char cls[16] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    if (pid == GetCurrentProcessId() && std::strcmp(cls, "#32770") == 0 && IsWindowVisible(wnd)) {
        *reinterpret_cast<HWND*>(out) = wnd;
        return FALSE;
    }
    return TRUE;
}

std::string TextOf(HWND wnd) {
    char text[1024] = {};
    GetWindowTextA(wnd, text, sizeof text);
    return text;
}

}  // namespace

BoxPresser::BoxPresser() : thread_([this] { Run(); }) {}

BoxPresser::~BoxPresser() {
    Finish();
}

std::vector<ShownBox> BoxPresser::Finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

void BoxPresser::Run() {
    while (!stop_) {
        HWND box = nullptr;
        EnumWindows(FindOwnBox, reinterpret_cast<LPARAM>(&box));
        if (box == nullptr) {
            Sleep(5);
            continue;
        }
        ShownBox shown{TextOf(box), TextOf(GetDlgItem(box, 0xFFFF))};
        {
            std::lock_guard<std::mutex> lock(mutex_);
            boxes_.push_back(shown);
        }
        // Press OK and wait until the box has gone; press again now and then
        // in case the first press came before the box could take it.
        DWORD start = GetTickCount();
        DWORD lastPress = 0;
        bool first = true;
        while (IsWindow(box) && IsWindowVisible(box)) {
            DWORD now = GetTickCount();
            if (now - start > kCloseDeadlineMs) {
                stuck_ = true;
                PostMessageA(box, WM_CLOSE, 0, 0);
                break;
            }
            if (first || now - lastPress > kRepressMs) {
                PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
                lastPress = now;
                first = false;
            }
            Sleep(5);
        }
    }
}

}  // namespace transfer_test
