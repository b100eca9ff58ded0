#include "setup/setup_test_dialog.h"

#include <commctrl.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "engine/handles.h"
#include "app/product_config.h"
#include "engine/setup_engine.h"
#include "engine/text_format.h"
#include "setup/program_group.h"
#include "support/test_support.h"
#include "setup/install.h"
#include "ui/main_dialog.h"

namespace setup_test {

namespace {

// The Install button is the abort button while a transfer runs.
INT_PTR CALLBACK TestDialogProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == 1000 && setupEngine.IsBusy()) setupEngine.cancelState = kCancelRequested;
            return TRUE;
        default:
            return FALSE;
    }
}

DWORD WINAPI RunFunction(LPVOID parameter) {
    (*static_cast<const std::function<void()>*>(parameter))();
    return 0;
}

// Waits for a thread while handling this thread's messages.
bool WaitPumping(HANDLE thread, DWORD timeoutMs) {
    return PumpUntil([thread] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, timeoutMs);
}

}  // namespace

TestDialog::TestDialog() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    window_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kTestDialogTemplate), nullptr,
                                 TestDialogProc, 0);
    // Left hidden: a visible bar repaints on every step, which under the
    // emulated platform costs milliseconds per unit.
    mainDialogWnd = window_;
}

TestDialog::~TestDialog() {
    mainDialogWnd = nullptr;
    if (window_ != nullptr) DestroyWindow(window_);
}

std::string TestDialog::Text(int id) const {
    char text[1024] = {};
    GetDlgItemTextA(window_, id, text, sizeof text);
    return text;
}

void TestDialog::SetText(int id, const char* text) const {
    SetDlgItemTextA(window_, id, text);
}

bool TestDialog::Enabled(int id) const {
    return IsWindowEnabled(GetDlgItem(window_, id)) != FALSE;
}

int TestDialog::ProgressPosition() const {
    return static_cast<int>(SendDlgItemMessageA(window_, 1005, PBM_GETPOS, 0, 0));
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

bool RunWhilePumping(const std::function<void()>& work, DWORD timeoutMs) {
    ThreadHandle thread(CreateThread(nullptr, 0, RunFunction, const_cast<std::function<void()>*>(&work), 0,
                                     nullptr));
    if (!thread) return false;
    if (WaitPumping(thread.Get(), timeoutMs)) return true;
    // The work outlives this call: it must not see the function go away.
    thread.Release();
    std::fprintf(stderr, "thread still running after %lu ms\n", static_cast<unsigned long>(timeoutMs));
    std::fflush(stderr);
    ExitProcess(3);
}

bool RunInstallThread(DWORD timeoutMs) {
    DWORD id = 0;
    ThreadHandle thread(CreateThread(nullptr, 0, InstallThread, nullptr, CREATE_SUSPENDED, &id));
    if (!thread) return false;
    installThreadId = id;
    ResumeThread(thread.Get());
    return WaitPumping(thread.Get(), timeoutMs);
}

void LoadProduct(SetupEngine& engine, const std::string& installDir) {
    std::vector<const char*> names(productConfig.installFiles, productConfig.installFiles + kInstallFileCount + 1);
    names[kExecutableIndex] = productConfig.executable;
    engine.fileList = SetupEngine::DuplicateList(engine.fileList, names.data(), nullptr);
    engine.updateList = SetupEngine::DuplicateList(engine.updateList, productConfig.updateFiles, nullptr);
    CopyText(engine.companyName, sizeof engine.companyName, productConfig.companyName);
    CopyText(engine.productName, sizeof engine.productName, productConfig.productTitle);
    CopyText(engine.productFolder, sizeof engine.productFolder, productConfig.productFolder);
    CopyText(engine.installDir, sizeof engine.installDir, installDir.c_str());
}

std::string ProgramsFolder() {
    char folder[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, folder, kCommonPrograms, FALSE);
    return folder;
}

std::string GroupFolder() {
    return ProgramsFolder() + "\\" + productConfig.companyName + "\\" + productConfig.productTitle;
}

void RemoveGroupTree() {
    testing_support::RemoveTree(ProgramsFolder() + "\\" + productConfig.companyName);
}

ShortcutInfo LoadShortcut(const std::string& linkFile) {
    ShortcutInfo info{false, "", ""};
    ComApartment apartment;
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid())))
        return info;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid()))) return info;
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, wide, MAX_PATH);
    if (FAILED(file->Load(wide, STGM_READ))) return info;
    char text[MAX_PATH] = {};
    link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
    info.path = text;
    text[0] = '\0';
    link->GetWorkingDirectory(text, sizeof text);
    info.workingDir = text;
    info.loaded = true;
    return info;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!find) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(find.Get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

std::string Format(const char* format, ...) {
    char text[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

}  // namespace setup_test
