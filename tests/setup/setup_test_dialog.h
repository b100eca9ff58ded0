// A stand-in for the main dialog with the controls the install thread and
// the status lines address, run modelessly on the test's thread, and a
// helper that answers message boxes from another thread.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/window_driver.h"

class SetupEngine;

constexpr int kTestDialogTemplate = 300;

namespace setup_test {

class TestDialog {
public:
    TestDialog();  // also makes it the main dialog (mainDialogWnd)
    ~TestDialog();
    TestDialog(const TestDialog&) = delete;
    TestDialog& operator=(const TestDialog&) = delete;

    HWND Handle() const { return window_; }
    std::string Text(int id) const;
    void SetText(int id, const char* text) const;
    bool Enabled(int id) const;
    int ProgressPosition() const;

private:
    HWND window_ = nullptr;
};

// Handles the messages of this thread until done() holds or timeoutMs pass.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Runs work on a thread of its own while this thread handles its messages
// (the way the UI thread serves the install thread). False on timeout.
bool RunWhilePumping(const std::function<void()>& work, DWORD timeoutMs);

// Starts InstallThread as the main dialog would and pumps until it ends.
bool RunInstallThread(DWORD timeoutMs);

// Answers every message box of this process: OK boxes with IDOK, Yes/No
// questions with the answer given to its constructor. Records what each box
// said.
using window_driver::BoxPresser;
using window_driver::SeenBox;

// Gives engine the product's names and lists, with the executable's name in
// slot 0 of the main list, as start-up does, and installDir.
void LoadProduct(SetupEngine& engine, const std::string& installDir);

// The all-users Programs folder and the product's group folder in it.
std::string ProgramsFolder();
std::string GroupFolder();
// Removes the product's group and company folder from the Start menu.
void RemoveGroupTree();

struct ShortcutInfo {
    bool loaded;
    std::string path;
    std::string workingDir;
};
ShortcutInfo LoadShortcut(const std::string& linkFile);

// File names directly in a folder (no sub-folders), sorted.
std::vector<std::string> FilesIn(const std::string& folder);

// A printf-composed text, as the program composes its messages.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace setup_test
