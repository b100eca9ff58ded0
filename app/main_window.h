// The hidden main window that owns everything the program shows.
#pragma once

#include <windows.h>

extern HWND mainWnd;
extern HINSTANCE appInstance;

// Single-instance test, class registration and creation of the hidden main
// window. False when another instance runs or the window cannot be made.
bool CreateMainWindow(HINSTANCE instance, int showCommand);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The whole program: start-up, the main dialog, the last message loop.
int RunProgram(HINSTANCE instance, int showCommand);
