// The shell's folder picker, used to choose the folder the product goes under.
#include "ui/folder_browser.h"

#include <shlobj.h>

#include <cstring>

#include "engine/handles.h"
#include "engine/setup_engine.h"
#include "engine/text_format.h"

FolderBrowser folderBrowser;

namespace {

UINT FlagsForMode(int mode) {
    switch (mode) {
    case 0:
        return BIF_VALIDATE;
    case 1:
        return BIF_VALIDATE | BIF_EDITBOX;
    case 2:
        return BIF_VALIDATE | BIF_EDITBOX | BIF_STATUSTEXT;
    default:
        return 0;
    }
}

}  // namespace

int FolderBrowser::Browse(char* buffer, int length, int mode, int appendBackslash) {
    // The picker writes the chosen folder's display name into a MAX_PATH
    // buffer of its own: the caller's buffer may be shorter, and a cancelled
    // picker leaves it untouched. The callback reads the caller's buffer
    // (the folder to preselect) only while the picker opens.
    char displayName[MAX_PATH] = {};

    BROWSEINFOA info = {};
    info.hwndOwner = owner_;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = "フォルダを選択してください";
    info.ulFlags = FlagsForMode(mode);
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(buffer);

    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (!item) return 0;

    ComPtr<IMalloc> allocator;
    if (FAILED(SHGetMalloc(allocator.Put())) || !allocator) {
        MessageBoxA(owner_, "SHGetMalloc Error", "Error", MB_OK);
        // The item still has to go back to the shell's allocator.
        CoTaskMemFree(item);
        return 0;
    }

    char path[kLongPathSize] = {};
    if (!SHGetPathFromIDListA(item, path)) path[0] = '\0';
    const std::size_t used = std::strlen(path);
    if (appendBackslash && used > 0 && path[used - 1] != '\\') {
        CopyText(path + used, sizeof path - used, "\\");
    }
    allocator->Free(item);
    // A path that does not fit the caller's buffer is not stored cut short.
    if (length <= 0 || std::strlen(path) >= static_cast<std::size_t>(length)) return 0;
    CopyText(buffer, static_cast<std::size_t>(length), path);
    return 1;
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    switch (message) {
    case BFFM_INITIALIZED:
        SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
        return 0;
    case BFFM_VALIDATEFAILEDA:
        MessageBoxA(window, "不正なフォルダです", "Error", MB_OK);
        return 1;
    default:
        return 0;
    }
}
