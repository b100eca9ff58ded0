// Starting update.exe and driving its windows from outside.
#pragma once

#include <windows.h>

#include <string>

#include "engine/handles.h"
#include "support/window_driver.h"

namespace e2e {

// Milliseconds a window or an exit may take before a test gives up. Wine's
// 32-bit side runs under an emulator on some machines: generous.
constexpr DWORD kDeadlineMs = 30000;

// One started program; terminated (if still running) when dropped.
class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    Process(Process&&) = default;
    Process& operator=(Process&&) = default;

    // Starts program in folder currentDir. False (with GetLastError) on failure.
    bool Start(const std::string& program, const std::string& currentDir);
    DWORD Id() const { return id_; }
    bool Running() const;
    // Waits for the end; the exit code, or STILL_ACTIVE at the deadline.
    DWORD WaitExit(DWORD deadlineMs = kDeadlineMs);

private:
    ThreadHandle process_;
    DWORD id_ = 0;
};

// A visible dialog-class window of process pid, with exactly the caption
// (code page 932 bytes) when caption is not null; null when none.
HWND FindDialog(DWORD pid, const char* caption = nullptr);
// Polls for FindDialog until the deadline.
HWND WaitForDialog(DWORD pid, const char* caption = nullptr, DWORD deadlineMs = kDeadlineMs);
// Polls until no such dialog is shown.
bool WaitForDialogGone(DWORD pid, const char* caption, DWORD deadlineMs = kDeadlineMs);
// Whether process pid owns any visible top-level window.
bool HasVisibleWindow(DWORD pid);

// Text of a window of another process (WM_GETTEXT), as bytes; clicking a
// button (posted, so a box it opens does not block us).
using window_driver::Click;
using window_driver::TextOf;
// Text of control id of dialog; "<no control>" when there is none.
std::string ItemText(HWND dialog, int id);
// The text of a message box.
std::string BoxText(HWND box);

// Posts a key press to the control that has the focus in the dialog's
// thread (the dialog itself when none has).
bool PressKey(HWND dialog, WPARAM key);

}  // namespace e2e
