// The product's program group in the all-users Start menu: a company
// folder, a product folder in it, and three shortcuts.
#include "setup/program_group.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>

#include "app/product_config.h"
#include "engine/setup_engine.h"
#include "engine/text_format.h"

namespace {

// Names of the second and third shortcut; the first is named after the
// product.
constexpr const char* kReadmeLink = "README";
constexpr const char* kUninstallLink = "アンインストール";

bool ListHasIndex(FileList list, int index) {
    if (list == nullptr) return false;
    for (int i = 0; i <= index; ++i) {
        if (list[i][0] == '\0') return false;
    }
    return true;
}

}  // namespace

bool GetSpecialFolder(int id, char* out, int size) {
    if (size <= 0) return false;
    char folder[MAX_PATH] = {};
    std::memset(out, 0, static_cast<std::size_t>(size));
    BOOL found = SHGetSpecialFolderPathA(nullptr, folder, id, FALSE);
    // A path that does not fit the caller's buffer is no usable folder.
    if (!found || !CopyText(out, static_cast<std::size_t>(size), folder)) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool SetupEngine::CreateShortcut(const char* linkFolder, const char* targetFolder, const char* targetFile,
                                 const char* linkName) {
    ComApartment apartment;
    if (!apartment.Usable()) return false;

    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.PutVoid()))) {
        return false;
    }
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid()))) return false;

    char path[kFieldSize];
    if (!FormatPath(path, sizeof path, "%s\\%s", targetFolder, targetFile)) return false;
    link->SetPath(path);
    link->SetWorkingDirectory(targetFolder);
    link->SetIconLocation(nullptr, 0);
    link->SetHotkey(0);
    link->SetDescription("");
    link->SetShowCmd(SW_SHOW);

    if (!FormatPath(path, sizeof path, "%s\\%s.lnk", linkFolder, linkName)) return false;
    wchar_t widePath[kFieldSize];
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path, -1, widePath, kFieldSize) == 0) return false;
    HRESULT saved = file->Save(widePath, TRUE);

    link.Reset();
    file.Reset();
    return saved == S_OK;
}

bool SetupEngine::CreateProgramGroup(int which) {
    std::memset(shortcutRoot, 0, sizeof shortcutRoot);
    int id;
    switch (which) {
        case 0: id = kCommonStartMenu; break;
        case 1: id = kCommonPrograms; break;
        default: return false;
    }
    // Without its special folder the group would land at the current
    // drive's root: nothing is created then.
    if (!GetSpecialFolder(id, shortcutRoot, sizeof shortcutRoot)) return false;
    if (!ListHasIndex(fileList, kUninstallerIndex)) return false;

    char group[kFieldSize];
    if (!FormatPath(group, sizeof group, "%s\\%s", shortcutRoot, companyName)) return false;
    CreateDirectoryA(group, nullptr);  // an existing folder is fine
    char company[kFieldSize];
    CopyText(company, sizeof company, group);
    if (!FormatPath(group, sizeof group, "%s\\%s", company, productName)) return false;
    CreateDirectoryA(group, nullptr);

    if (!CreateShortcut(group, installDir, fileList[kExecutableIndex], productName)) return false;
    if (!CreateShortcut(group, installDir, fileList[kReadmeIndex], kReadmeLink)) return false;
    return CreateShortcut(group, installDir, fileList[kUninstallerIndex], kUninstallLink);
}

void SetupEngine::RemoveProgramGroup() {
    if (!GetSpecialFolder(kCommonPrograms, shortcutRoot, sizeof shortcutRoot)) return;

    char path[kFieldSize];
    for (const char* link : {static_cast<const char*>(productName), kReadmeLink, kUninstallLink}) {
        if (FormatPath(path, sizeof path, "%s\\%s\\%s\\%s.lnk", shortcutRoot, companyName, productName, link)) {
            DeleteFileA(path);
        }
    }
    // Each folder goes only when it is empty.
    if (FormatPath(path, sizeof path, "%s\\%s\\%s", shortcutRoot, companyName, productName)) {
        RemoveDirectoryA(path);
    }
    if (FormatPath(path, sizeof path, "%s\\%s", shortcutRoot, companyName)) RemoveDirectoryA(path);
}
