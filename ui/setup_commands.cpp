// The setup front end's commands of the main dialog: install with its abort,
// uninstall, browse, readme, manual and start game.
#include "ui/setup_commands.h"

#include "app/main_window.h"
#include "app/product_config.h"
#include "engine/handles.h"
#include "engine/setup_engine.h"
#include "engine/text_format.h"
#include "setup/install.h"
#include "ui/folder_browser.h"
#include "ui/main_dialog.h"
#include "ui/options_dialog.h"

#include <cstring>

namespace {

// Enables or disables one control; a control the template lacks is skipped.
void EnableControl(HWND dialog, int id, bool enable) {
    HWND control = GetDlgItem(dialog, id);
    if (control) EnableWindow(control, enable ? TRUE : FALSE);
}

// 1000: starts an installation, or asks the running transfer to stop.
void OnInstall(HWND dialog) {
    if (setupEngine.IsBusy()) {
        setupEngine.cancelState.store(kCancelRequested);
        EnableControl(dialog, kIdInstall, false);
        return;
    }
    // Outside its transfer the install thread may be asking a question or
    // reporting a lack of space: the button has no other role until it ends.
    if (InstallThreadRunning()) return;

    DialogBoxParamA(appInstance, MAKEINTRESOURCEA(kOptionsDialogTemplate), mainDialogWnd,
                    OptionsDialogProc, 0);
    if (optionsState == kOptionsCancelled) return;

    ThreadHandle thread(CreateThread(nullptr, 0, InstallThread, nullptr, 0, &installThreadId));
    if (!thread) {
        installThreadId = 0;
        return;
    }
    // The thread marks itself running as its first act; wait for that (or
    // for its end) so that no press of 1000 can fall in between and start a
    // second installation. It touches no window before that mark.
    while (!InstallThreadRunning() && WaitForSingleObject(thread.Get(), 1) == WAIT_TIMEOUT) {
    }
    SetDlgItemTextA(dialog, kIdInstall, "中断");
}

// 1001: starts the installed game; the program ends once the shell has it.
void OnStartGame(HWND dialog) {
    if (setupEngine.LaunchProduct()) EndMainDialog(dialog);
}

// 1003: chooses the folder under which the product is installed.
void OnBrowse(HWND dialog) {
    folderBrowser.Browse(setupEngine.installParent, kFieldSize, 0, 0);
    // A drive root comes back as "D:\"; the install folder adds its own
    // backslash, so keep only "D:".
    if (std::strlen(setupEngine.installParent) == 3) setupEngine.installParent[2] = '\0';
    ShowTargetFolder(dialog);
}

// 1014: removes the installation after the user has confirmed it.
void OnUninstall(HWND dialog) {
    if (!setupEngine.Uninstall()) return;
    setupEngine.SetTransferRange(0, 0, 9999);
    EnableControl(dialog, kIdInstall, true);
    EnableControl(dialog, kIdUninstall, false);
    EnableControl(dialog, kIdStartGame, false);
    EnableControl(dialog, kIdBrowse, true);
}

// 1020: the manual lies in the folder above the source folder.
void OnManual() {
    char path[kLongPathSize];
    setupEngine.GetSourceDir(path, sizeof path);
    if (!CutAtLastBackslash(path)) return;
    char manual[kLongPathSize];
    if (!FormatPath(manual, sizeof manual, "%s\\manual\\manual.html", path)) return;
    SetupEngine::ShellOpen(manual, "");
}

}  // namespace

bool HandleSetupCommand(HWND dialog, int id) {
    switch (id) {
    case kIdInstall:
        OnInstall(dialog);
        return true;
    case kIdStartGame:
        OnStartGame(dialog);
        return true;
    case kIdBrowse:
        OnBrowse(dialog);
        return true;
    case kIdReadme:
        setupEngine.OpenReadme();
        return true;
    case kIdUninstall:
        OnUninstall(dialog);
        return true;
    case kIdManual:
        OnManual();
        return true;
    default:
        return false;
    }
}

void ApplySetupButtonState(HWND dialog, int installed) {
    const bool isInstalled = installed != 0;
    EnableControl(dialog, kIdInstall, !isInstalled);
    EnableControl(dialog, kIdUninstall, isInstalled);
    EnableControl(dialog, kIdStartGame, isInstalled);
    EnableControl(dialog, kIdBrowse, !isInstalled);
}
