// The main dialog: the update question, the Update and Cancel commands, and
// the setup commands where the template provides their controls.
#include "ui/main_dialog.h"

#include "app/product_config.h"
#include "engine/handles.h"
#include "engine/setup_engine.h"
#include "engine/text_format.h"
#include "setup/install.h"
#include "ui/setup_commands.h"

HWND mainDialogWnd = nullptr;

namespace {

constexpr INT_PTR kDialogResult = 2;
constexpr COLORREF kTargetBackground = 0xD8E9EC;  // red 236, green 233, blue 216
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0x000000;

// One bold font for 1017 and 1018 and one brush behind 1004, made on first
// use and kept for the rest of the program.
GdiObject boldFont;
GdiObject targetBrush;
// Update shows its closing message box while the dialog is still live; a
// second Update from there must not start another transfer.
bool updateRunning = false;

HGDIOBJ BoldFont() {
    if (!boldFont) {
        boldFont.Reset(CreateFontA(16, 8, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, FIXED_PITCH, nullptr));
    }
    return boldFont.Get();
}

HGDIOBJ TargetBrush() {
    if (!targetBrush) targetBrush.Reset(CreateSolidBrush(kTargetBackground));
    return targetBrush.Get();
}

BOOL OnInitDialog(HWND dialog) {
    mainDialogWnd = dialog;

    char text[kMessageSize];
    FormatMessageText(text, sizeof text, "%s　を\nアップデートしますか？", productConfig.productTitle);
    SetDlgItemTextA(dialog, kIdQuestion, text);
    FormatMessageText(text, sizeof text, "%s Updata", productConfig.productTitle);
    SendMessageA(dialog, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));

    CenterInWorkArea(dialog);
    ApplySetupButtonState(dialog, setupEngine.installed);
    ShowTargetFolder(dialog);
    return TRUE;  // the focus goes to the first control
}

void OnUpdate(HWND dialog) {
    // One transfer at a time: the copy streams and block buffer exist once.
    if (updateRunning || InstallThreadRunning()) return;
    if (setupEngine.installed == 0) {
        MessageBoxA(dialog,
                    "インストールがされてませんでした。\nインストールを行ってからアップデートしてください。",
                    "確認", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    updateRunning = true;
    // Completed or not, the update has told the user; the program ends.
    setupEngine.ApplyUpdate();
    updateRunning = false;
    EndMainDialog(dialog);
}

BOOL OnCommand(HWND dialog, int id) {
    switch (id) {
    case kIdUpdate:
        OnUpdate(dialog);
        break;
    case IDCANCEL:
    case kIdExit:
        // Leaving mid-install would end the process without the rollback:
        // Escape reaches here even while the install thread has disabled 2.
        if (!InstallThreadRunning()) EndMainDialog(dialog);
        break;
    case kIdInstall:
    case kIdStartGame:
    case kIdBrowse:
    case kIdReadme:
    case kIdUninstall:
    case kIdManual:
        HandleSetupCommand(dialog, id);
        break;
    default:
        break;
    }
    return TRUE;
}

INT_PTR BoldText(HDC dc, COLORREF colour) {
    SelectObject(dc, BoldFont());
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

INT_PTR OnStaticColour(HWND dialog, HDC dc, HWND control) {
    if (control == GetDlgItem(dialog, kIdTargetText)) {
        SetBkColor(dc, kTargetBackground);
        return reinterpret_cast<INT_PTR>(TargetBrush());
    }
    if (control == GetDlgItem(dialog, kIdBoldWhite)) return BoldText(dc, kWhite);
    if (control == GetDlgItem(dialog, kIdBoldBlack)) return BoldText(dc, kBlack);
    return FALSE;  // the platform's default colours
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_CTLCOLORSTATIC:
        return OnStaticColour(dialog, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default:
        return FALSE;
    }
}

void CenterInWorkArea(HWND window) {
    RECT work;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
        work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    RECT frame;
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // Halved by an arithmetic shift: a work area left of or above the
    // primary screen rounds towards minus infinity.
    const int left = (work.left + work.right - width) >> 1;
    const int top = (work.top + work.bottom - height) >> 1;
    MoveWindow(window, left, top, width, height, TRUE);
}

void EndMainDialog(HWND dialog) {
    EndDialog(dialog, kDialogResult);
    PostQuitMessage(0);
}

void ShowTargetFolder(HWND dialog) {
    char path[kLongPathSize];
    // A path that does not fit shows nothing rather than a shorter, wrong one.
    FormatPath(path, sizeof path, "%s\\%s\\%s", setupEngine.installParent, productConfig.companyName,
               productConfig.productFolder);
    SetDlgItemTextA(dialog, kIdTargetText, path);
}
