// The setup dialog template of setup.exe and the commands that need no
// other window: the button states and the abort during a transfer.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/main_window.h"
#include "engine/setup_engine.h"
#include "ui/main_dialog.h"
#include "ui/options_dialog.h"
#include "ui/setup_commands.h"

namespace {

INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The setup dialog made from template 105, without its procedure.
class SetupTemplate : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        appInstance = GetModuleHandleA(nullptr);
        dialog_ = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(kMainDialogTemplate), nullptr, PlainProc, 0);
        ASSERT_NE(nullptr, dialog_) << "GLE=" << GetLastError();
    }
    void TearDown() override {
        if (dialog_) DestroyWindow(dialog_);
    }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE; }
    HWND dialog_ = nullptr;
};

TEST_F(SetupTemplate, CarriesEverySetupControl) {
    struct Control {
        int id;
        const char* cls;
    } controls[] = {
        {IDCANCEL, "Button"},     {kIdInstall, "Button"},       {kIdStartGame, "Button"},
        {kIdExit, "Button"},      {kIdBrowse, "Button"},        {kIdTargetText, "Static"},
        {kIdProgress, "msctls_progress32"}, {kIdReadme, "Button"}, {kIdUninstall, "Button"},
        {kIdBoldWhite, "Static"}, {kIdBoldBlack, "Static"},     {kIdStatusLine0, "Static"},
        {kIdManual, "Button"},    {kIdStatusLine1, "Static"},
    };
    for (const Control& c : controls) {
        HWND control = GetDlgItem(dialog_, c.id);
        ASSERT_NE(nullptr, control) << "id " << c.id;
        char cls[64] = {};
        GetClassNameA(control, cls, sizeof cls);
        EXPECT_STRCASEEQ(c.cls, cls) << "id " << c.id;
        EXPECT_TRUE(GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) << "id " << c.id;
    }
    // The dialog shows everything inside its client area.
    RECT client;
    GetClientRect(dialog_, &client);
    for (const Control& c : controls) {
        RECT r;
        GetWindowRect(GetDlgItem(dialog_, c.id), &r);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom) << "id " << c.id;
    }
}

TEST_F(SetupTemplate, ButtonsFollowTheProductState) {
    struct Row {
        int installed;
        bool install, uninstall, start, browse;
    } rows[] = {{1, false, true, true, false}, {0, true, false, false, true}, {1, false, true, true, false}};
    for (const Row& r : rows) {
        ApplySetupButtonState(dialog_, r.installed);
        EXPECT_EQ(r.install, Enabled(kIdInstall)) << "installed " << r.installed;
        EXPECT_EQ(r.uninstall, Enabled(kIdUninstall)) << "installed " << r.installed;
        EXPECT_EQ(r.start, Enabled(kIdStartGame)) << "installed " << r.installed;
        EXPECT_EQ(r.browse, Enabled(kIdBrowse)) << "installed " << r.installed;
    }
}

TEST_F(SetupTemplate, InstallDuringATransferOnlyRequestsCancellation) {
    optionsState = 5;
    setupEngine.busy = 1;
    setupEngine.cancelState = kCancelNone;
    EXPECT_TRUE(HandleSetupCommand(dialog_, kIdInstall));
    setupEngine.busy = 0;
    EXPECT_EQ(kCancelRequested, setupEngine.cancelState.load());
    EXPECT_FALSE(Enabled(kIdInstall));
    EXPECT_EQ(5, optionsState) << "no options dialog was run";
    setupEngine.cancelState = kCancelNone;
}

TEST_F(SetupTemplate, OtherIdsAreNotSetupCommands) {
    for (int id : {int{IDCANCEL}, int{kIdExit}, int{kIdUpdate}, int{kIdTargetText}, 1011, 1015, 1022}) {
        EXPECT_FALSE(HandleSetupCommand(dialog_, id)) << "id " << id;
    }
}

}  // namespace
