// The install options dialog (template 109).
#pragma once

#include <windows.h>

#include <cstdint>

enum OptionsControl : int {
    kIdSpaceText = 1011,
    kIdOptionsOk = 1012,
    kIdOptionsCancel = 1013,
    kIdTypeToggle = 1015,
    kIdAlwaysChecked = 1020,
    kIdGfxComponent = 1021,
    kIdBgmComponent = 1022,
    kIdVoxComponent = 1023,
};

constexpr int32_t kOptionsCancelled = 99;
extern int32_t optionsState;

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
int32_t EstimateRequiredMB();
