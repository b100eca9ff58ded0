// The main dialog (template 105): the update question and, where the
// template provides them, the setup commands.
#pragma once

#include <windows.h>

constexpr int kMainDialogTemplate = 105;
constexpr int kOptionsDialogTemplate = 109;
constexpr int kProductIcon = 104;

// Control ids of the main dialog.
enum MainDialogControl : int {
    kIdInstall = 1000,
    kIdStartGame = 1001,
    kIdExit = 1002,
    kIdBrowse = 1003,
    kIdTargetText = 1004,
    kIdProgress = 1005,
    kIdReadme = 1006,
    kIdUpdate = 1008,
    kIdQuestion = 1009,
    kIdUninstall = 1014,
    kIdBoldWhite = 1017,
    kIdBoldBlack = 1018,
    kIdStatusLine0 = 1019,
    kIdManual = 1020,
    kIdStatusLine1 = 1021,
};

extern HWND mainDialogWnd;

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Moves a window to the centre of the desktop work area, keeping its size.
void CenterInWorkArea(HWND window);

// Ends the main dialog and asks the program to quit (exit code 0).
void EndMainDialog(HWND dialog);

// Sets the text of 1004 from installParent, company and product folder.
void ShowTargetFolder(HWND dialog);
