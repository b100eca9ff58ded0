// The install options dialog: install type and optional data archives.
#include "ui/options_dialog.h"

#include "app/product_config.h"
#include "engine/setup_engine.h"
#include "ui/main_dialog.h"

int32_t optionsState = 0;

namespace {

// Space in MiB that each optional archive adds, and the base without them.
constexpr int32_t kBaseMB = 140;
constexpr int32_t kGfxMB = 1200;
constexpr int32_t kBgmMB = 220;
constexpr int32_t kVoxMB = 740;

// Index of fileList whose selection flag each component box controls.
int ComponentIndex(int id) {
    switch (id) {
    case kIdGfxComponent:
        return kGfxArchiveIndex;
    case kIdBgmComponent:
        return kBgmArchiveIndex;
    default:
        return kVoxArchiveIndex;
    }
}

bool IsSelected(int index) { return setupEngine.selected[index] == 1; }

void ShowSpace(HWND dialog, const char* format, int32_t mb) {
    char text[32];
    wsprintfA(text, format, static_cast<int>(mb));
    SetDlgItemTextA(dialog, kIdSpaceText, text);
}

void OnInitDialog(HWND dialog) {
    SetWindowTextA(dialog, "インストールする項目の選択");
    CenterInWorkArea(dialog);
    optionsState = 0;
    CheckDlgButton(dialog, kIdAlwaysChecked, BST_CHECKED);
    for (int id : {kIdGfxComponent, kIdBgmComponent, kIdVoxComponent}) {
        if (IsSelected(ComponentIndex(id))) CheckDlgButton(dialog, id, BST_CHECKED);
    }
}

// 1015: switches between the whole list (type 2) and the base files (type 1).
void OnToggleType(HWND dialog) {
    optionsState = (optionsState & 1) ^ 1;
    int32_t mb;
    if (optionsState == 1) {
        setupEngine.SetTransferRange(2, 0, 9999);
        mb = productConfig.type2SizeMB;
    } else {
        setupEngine.SetTransferRange(1, 0, 11);
        mb = productConfig.type1SizeMB;
    }
    setupEngine.SetRequiredSpace(static_cast<uint32_t>(mb));
    ShowSpace(dialog, "%dM byte", mb);
}

// 1021..1023: one optional archive switched on or off.
void OnComponent(HWND dialog, int id) {
    const bool checked = IsDlgButtonChecked(dialog, id) == BST_CHECKED;
    setupEngine.selected[ComponentIndex(id)] = checked ? 1 : 0;
    const int32_t mb = EstimateRequiredMB();
    productConfig.requiredMB = mb;
    setupEngine.SetRequiredSpace(static_cast<uint32_t>(mb));
    ShowSpace(dialog, "%dM", mb);
}

void OnCommand(HWND dialog, int id) {
    switch (id) {
    case kIdOptionsOk:
        EndDialog(dialog, kIdOptionsOk);
        break;
    case kIdOptionsCancel:
        optionsState = kOptionsCancelled;
        EndDialog(dialog, kIdOptionsCancel);
        break;
    case kIdTypeToggle:
        OnToggleType(dialog);
        break;
    case kIdGfxComponent:
    case kIdBgmComponent:
    case kIdVoxComponent:
        OnComponent(dialog, id);
        break;
    default:
        // Escape and the close box (IDCANCEL) leave the dialog open.
        break;
    }
}

}  // namespace

int32_t EstimateRequiredMB() {
    int32_t mb = IsSelected(kGfxArchiveIndex) ? kBaseMB + kGfxMB : kBaseMB;
    if (IsSelected(kBgmArchiveIndex)) mb += kBgmMB;
    if (IsSelected(kVoxArchiveIndex)) mb += kVoxMB;
    return mb;
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}
