// Start-up of the program: the single-instance test, the hidden main window
// that owns everything the program shows, the main dialog and the last
// message loop.
#include "app/main_window.h"

#include <commctrl.h>

#include <cctype>

#include "app/product_config.h"
#include "engine/setup_engine.h"
#include "ui/folder_browser.h"
#include "ui/main_dialog.h"

HWND mainWnd = nullptr;
HINSTANCE appInstance = nullptr;

namespace {

// Whether a dialog template names the progress bar's window class.
bool TemplateUsesProgressBar(HINSTANCE instance, int templateId) {
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));  // RT_DIALOG
    if (found == nullptr) return false;
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(instance, found)));
    const DWORD size = SizeofResource(instance, found);
    static const char kProgressClass[] = "msctls_progress32";
    const DWORD length = sizeof kProgressClass - 1;
    // Texts in a template are word-aligned UTF-16.
    for (DWORD at = 0; bytes != nullptr && at + 2 * length <= size; at += 2) {
        DWORD i = 0;
        while (i < length && bytes[at + 2 * i + 1] == 0 &&
               std::tolower(bytes[at + 2 * i]) == static_cast<unsigned char>(kProgressClass[i])) {
            ++i;
        }
        if (i == length) return true;
    }
    return false;
}

// The common controls library is loaded only for a template with a progress
// bar (the setup front end's): loading it costs the updater a noticeable
// part of its start-up time. It then stays loaded for the dialog's controls.
void PrepareCommonControls(HINSTANCE instance) {
    if (!TemplateUsesProgressBar(instance, kMainDialogTemplate)) return;
    HMODULE library = LoadLibraryA("comctl32.dll");
    if (library == nullptr) return;
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    using AnyFunction = void (*)();
    const auto init = reinterpret_cast<InitFunction>(
        reinterpret_cast<AnyFunction>(GetProcAddress(library, "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    if (init != nullptr) init(&controls);
}

}  // namespace

bool CreateMainWindow(HINSTANCE instance, int showCommand) {
    // A running instance is known by its hidden main window; it is left alone.
    if (FindWindowA(productConfig.windowClassName, productConfig.productTitle) != nullptr) return false;

    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kProductIcon));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = productConfig.windowClassName;
    if (RegisterClassA(&windowClass) == 0) return false;

    HWND window = CreateWindowExA(0, productConfig.windowClassName, productConfig.productTitle, WS_POPUP,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return false;
    ShowWindow(window, showCommand);

    mainWnd = window;
    appInstance = instance;
    return true;
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunProgram(HINSTANCE instance, int showCommand) {
    if (!CreateMainWindow(instance, showCommand)) return 0;

    // The engine's copy of the list must already hold the game's real name.
    productConfig.installFiles[kExecutableIndex] = productConfig.executable;
    setupEngine.Initialize(productConfig.installFiles, productConfig.updateFiles, productConfig.volumeLabels,
                           nullptr, productConfig.companyName, productConfig.productTitle,
                           productConfig.productFolder, static_cast<uint32_t>(productConfig.requiredMB));
    setupEngine.SetProgressControl(kIdProgress);
    folderBrowser.SetOwner(mainWnd);

    PrepareCommonControls(instance);

    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(kMainDialogTemplate), mainWnd, MainDialogProc, 0);
    // Without a dialog nobody would ever post the quit message.
    if (result == -1 || mainDialogWnd == nullptr) return 0;

    // The dialog posted the quit message as it ended; take it from the queue.
    MSG message;
    for (;;) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) continue;
        if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
