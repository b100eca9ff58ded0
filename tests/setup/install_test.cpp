// The install sequence through the install thread: folder composition, the
// space check, the folder question, a cancelled transfer, a failed
// registration and program group, the buttons after each outcome.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "app/product_config.h"
#include "engine/setup_engine.h"
#include "engine/text_format.h"
#include "setup/install.h"
#include "setup/setup_test_dialog.h"
#include "support/expected_texts.h"
#include "support/test_support.h"
#include "transfer/status_line.h"

using namespace testing_support;
using namespace setup_test;

namespace {

std::string RecordedDir() {
    char dir[MAX_PATH] = {};
    DWORD size = sizeof dir;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, productConfig.registryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
    RegQueryValueExA(key, "Dir", nullptr, nullptr, reinterpret_cast<BYTE*>(dir), &size);
    RegCloseKey(key);
    return dir;
}

// Which buttons are usable after the thread, by outcome.
struct ButtonState {
    int id;
    bool afterSuccess;
    bool afterFailure;
};
constexpr ButtonState kButtons[] = {
    {1000, false, true}, {1014, true, false}, {1001, true, false}, {1006, true, true},
    {1020, true, true},  {2, true, true},     {1003, false, true},
};

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(dialog.Handle(), nullptr);
        RemoveGroupTree();
        DeleteProductKey();
        LoadProduct(setupEngine, "");
        CopyText(setupEngine.sourceDir, sizeof setupEngine.sourceDir, source.Path().c_str());
        CopyText(setupEngine.installParent, sizeof setupEngine.installParent, parent.Path().c_str());
        setupEngine.requiredMB = 0;
        setupEngine.installed = 0;
        setupEngine.dialogWnd = nullptr;
        setupEngine.SetProgressControl(1005);
        setupEngine.SetTransferRange(2, 0, 9999);
        std::memset(setupEngine.selected, 1, sizeof setupEngine.selected);
        for (int i = 0; i < kInstallFileCount; ++i) {
            ASSERT_TRUE(WriteFileSized(source / setupEngine.fileList[i], 2000 + i, i)) << "GLE=" << GetLastError();
        }
        installDir = parent / "Quorvel\\Brindlemarch";
        dialog.SetText(1000, "abort");
    }
    void TearDown() override {
        RemoveGroupTree();
        DeleteProductKey();
    }

    void MakeInstallDir() {
        ASSERT_TRUE(CreateDirectoryA((parent / "Quorvel").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(installDir.c_str(), nullptr));
    }
    void RunThread() {
        ASSERT_TRUE(RunInstallThread(120000)) << "the install thread did not end";
        EXPECT_FALSE(InstallThreadRunning());
        EXPECT_EQ(dialog.Text(1000), expected::kInstallCaption);
    }
    void ExpectButtons(bool success) {
        for (const ButtonState& b : kButtons) {
            EXPECT_EQ(dialog.Enabled(b.id), success ? b.afterSuccess : b.afterFailure) << "button " << b.id;
        }
    }
    void ExpectNoListedFile() {
        for (int i = 0; i < kInstallFileCount; ++i) {
            EXPECT_FALSE(FileExists(installDir + "\\" + setupEngine.fileList[i])) << setupEngine.fileList[i];
        }
    }
    static std::vector<std::string> Texts(const BoxPresser& boxes) {
        std::vector<std::string> texts;
        for (const SeenBox& box : boxes.Seen()) texts.push_back(box.text);
        return texts;
    }

    TestDialog dialog;
    TempDir source{"isrc"};
    TempDir parent{"iparent"};
    std::string installDir;
};

// --- the install folder and the space check --------------------------------------

// The space message for drive and required, with any free-space figure.
bool IsSpaceMessage(const std::string& text, const char* drive, uint32_t required) {
    const std::string format = expected::kNoSpaceFormat;
    const std::size_t figure = format.find("%d");
    const std::string head = Format(format.substr(0, figure).c_str(), drive);
    const std::string tail = Format(format.substr(figure + 2).c_str(), static_cast<int>(required));
    if (text.size() <= head.size() + tail.size()) return false;
    if (text.compare(0, head.size(), head) != 0) return false;
    if (text.compare(text.size() - tail.size(), tail.size(), tail) != 0) return false;
    const std::string digits = text.substr(head.size(), text.size() - head.size() - tail.size());
    return digits.find_first_not_of("0123456789") == std::string::npos;
}

struct FolderCase {
    const char* label;
    std::string parentIn;
    std::string parentAfter;
    std::string installDir;
    const char* drive;
};

TEST_F(InstallTest, InstallFolderIsComposedBelowTheParent) {
    const std::string p = parent.Path();
    const FolderCase cases[] = {
        {"plain parent", p, p, p + "\\Quorvel\\Brindlemarch", "C:\\"},
        {"trailing backslash", p + "\\", p, p + "\\Quorvel\\Brindlemarch", "C:\\"},
        {"drive root of two characters", "z:", "z:", "z:\\Quorvel\\Brindlemarch", "z:\\"},
        {"drive root with backslash", "z:\\", "z:", "z:\\Quorvel\\Brindlemarch", "z:\\"},
        // 0x5C as the second byte of a double-byte character is no backslash.
        {"name ending in \x83\x5c", p + "\\\x83\x5c", p + "\\\x83\x5c", p + "\\\x83\x5c\\Quorvel\\Brindlemarch", "C:\\"},
    };
    for (const FolderCase& c : cases) {
        CopyText(setupEngine.installParent, sizeof setupEngine.installParent, c.parentIn.c_str());
        setupEngine.requiredMB = 0xFFFFFFFFu;  // stops at the space check
        BoxPresser boxes;
        EXPECT_FALSE(setupEngine.Install()) << c.label;
        EXPECT_EQ(setupEngine.installParent, c.parentAfter) << c.label;
        EXPECT_EQ(setupEngine.installDir, c.installDir) << c.label;
        std::vector<SeenBox> seen = boxes.Seen();
        ASSERT_EQ(seen.size(), 1u) << c.label << "\n" << boxes.Describe();
        // The free figure of a shared disk moves while other programs write:
        // here only the drive text and the required space are compared (the
        // small-volume test checks the figure).
        EXPECT_TRUE(IsSpaceMessage(seen[0].text, c.drive, 0xFFFFFFFFu)) << c.label << ": " << seen[0].text;
        EXPECT_EQ(seen[0].caption, expected::kCaptionConfirm);
    }
}

TEST_F(InstallTest, InstallFolderThatDoesNotFitIsReportedCut) {
    std::string longParent = "c:\\" + std::string(245, 'p');
    CopyText(setupEngine.installParent, sizeof setupEngine.installParent, longParent.c_str());
    BoxPresser boxes;
    EXPECT_FALSE(setupEngine.Install());
    EXPECT_STREQ(setupEngine.installDir, "") << "never a cut install folder";
    std::vector<SeenBox> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u) << boxes.Describe();
    EXPECT_EQ(seen[0].text.size(), 255u) << "cut to its 256-byte buffer";
    EXPECT_EQ(seen[0].text.compare(0, longParent.size(), longParent), 0);
}

TEST(FreeSpaceTest, VolumeThatCannotBeQueriedHasNoSpace) {
    EXPECT_EQ(SetupEngine::FreeSpaceMB("c:\\no such folder\\below"), 0u);
    EXPECT_GT(SetupEngine::FreeSpaceMB("c:\\"), 0u);
}

// --- the folder question ---------------------------------------------------------

struct PrepareCase {
    const char* label;
    int answer;
    bool fileInTheWay;  // a file where the company folder would go
};
void PrintTo(const PrepareCase& c, std::ostream* os) {
    *os << c.label;
}

class InstallPrepareTest : public InstallTest, public ::testing::WithParamInterface<PrepareCase> {};

TEST_P(InstallPrepareTest, FolderNotPreparedFailsWithBothMessages) {
    const PrepareCase& c = GetParam();
    if (c.fileInTheWay) {
        ASSERT_TRUE(WriteFileSized(parent / "Quorvel", 1, 1));
    }
    BoxPresser boxes(c.answer);
    RunThread();
    std::vector<std::string> expectedTexts = {Format(expected::kCreateQuestionFormat, installDir.c_str()),
                                              Format(expected::kNotCreatedFormat, installDir.c_str()),
                                              expected::kInstallFailed};
    EXPECT_EQ(Texts(boxes), expectedTexts) << boxes.Describe();
    EXPECT_EQ(FolderExists(parent / "Quorvel"), false);
    EXPECT_FALSE(ProductKeyExists());
    EXPECT_EQ(setupEngine.installed, 0);
    ExpectButtons(false);
}

INSTANTIATE_TEST_SUITE_P(Prepare, InstallPrepareTest,
                         ::testing::Values(PrepareCase{"question declined", IDNO, false},
                                           PrepareCase{"a file in the way", IDYES, true}));

// --- complete installations ------------------------------------------------------

TEST_F(InstallTest, CompleteInstallationAfterTheFolderQuestion) {
    BoxPresser boxes(IDYES);
    RunThread();
    std::vector<std::string> expectedTexts = {Format(expected::kCreateQuestionFormat, installDir.c_str()),
                                              expected::kInstallDone};
    EXPECT_EQ(Texts(boxes), expectedTexts) << boxes.Describe();
    EXPECT_EQ(boxes.Seen().back().caption, expected::kCaptionFinished);
    for (int i = 0; i < kInstallFileCount; ++i) {
        const char* name = setupEngine.fileList[i];
        EXPECT_TRUE(ReadFileBytes(installDir + "\\" + name) == ReadFileBytes(source / name)) << name;
    }
    EXPECT_EQ(RecordedDir(), installDir);
    ShortcutInfo game = LoadShortcut(GroupFolder() + "\\Brindlemarch.lnk");
    EXPECT_TRUE(game.loaded);
    EXPECT_EQ(game.path, installDir + "\\Brindlemarch.exe");
    EXPECT_EQ(setupEngine.installed, 1);
    EXPECT_EQ(dialog.Text(1019), "") << "line 0 is emptied after the completion message";
    ExpectButtons(true);
}

TEST_F(InstallTest, ExistingFolderIsUsedWithoutAQuestion) {
    MakeInstallDir();
    BoxPresser boxes(IDNO);  // a question would stop the installation
    RunThread();
    EXPECT_EQ(Texts(boxes), std::vector<std::string>{expected::kInstallDone}) << boxes.Describe();
    EXPECT_EQ(setupEngine.installed, 1);
    ExpectButtons(true);
}

// --- failures and what they undo ---------------------------------------------------

TEST_F(InstallTest, AbortButtonCancelsAndRemovesTheCopiedFiles) {
    MakeInstallDir();
    ASSERT_TRUE(WriteFileSized(source / "gfx.arc", 32u << 20, 9));
    ASSERT_TRUE(WriteFileBytes(installDir + "\\save.dat", {'s'}));
    std::atomic<bool> clicked{false};
    std::thread abort([&] {
        DWORD start = GetTickCount();
        while (setupEngine.bytesCopied.load() < (1u << 20) || !setupEngine.IsBusy()) {
            if (GetTickCount() - start > 60000) return;
        }
        PostMessageA(GetDlgItem(dialog.Handle(), 1000), BM_CLICK, 0, 0);
        clicked = true;
    });
    BoxPresser boxes;
    RunThread();
    abort.join();
    ASSERT_TRUE(clicked);
    EXPECT_NE(setupEngine.cancelState.load(), kCancelNone);
    EXPECT_EQ(Texts(boxes), std::vector<std::string>{expected::kInstallFailed}) << boxes.Describe();
    EXPECT_EQ(boxes.Seen().at(0).caption, expected::kCaptionConfirm);
    ExpectNoListedFile();
    EXPECT_TRUE(FileExists(installDir + "\\save.dat")) << "only listed files are removed";
    EXPECT_TRUE(FolderExists(installDir)) << "folders stay";
    EXPECT_FALSE(ProductKeyExists());
    EXPECT_FALSE(FolderExists(GroupFolder()));
    EXPECT_EQ(setupEngine.installed, 0);
    ExpectButtons(false);
}

TEST_F(InstallTest, FailedRegistrationRemovesTheCopiedFiles) {
    MakeInstallDir();
    // A volatile company key takes no lasting product key below it.
    HKEY company = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvel", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &company, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(company);
    BoxPresser boxes;
    RunThread();
    EXPECT_EQ(Texts(boxes), std::vector<std::string>{expected::kInstallFailed}) << boxes.Describe();
    ExpectNoListedFile();
    EXPECT_FALSE(ProductKeyExists());
    EXPECT_FALSE(FolderExists(GroupFolder()));
    EXPECT_EQ(dialog.Text(1019), expected::kWritingRegistry);
    EXPECT_EQ(setupEngine.installed, 0);
    ExpectButtons(false);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvel");
}

TEST_F(InstallTest, FailedProgramGroupKeepsFilesAndRecord) {
    MakeInstallDir();
    // A folder in the place of the first shortcut file.
    ASSERT_TRUE(CreateDirectoryA((ProgramsFolder() + "\\Quorvel").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(GroupFolder().c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((GroupFolder() + "\\Brindlemarch.lnk").c_str(), nullptr));
    BoxPresser boxes;
    RunThread();
    EXPECT_EQ(Texts(boxes), std::vector<std::string>{expected::kInstallFailed}) << boxes.Describe();
    for (int i = 0; i < kInstallFileCount; ++i) {
        EXPECT_TRUE(FileExists(installDir + "\\" + setupEngine.fileList[i])) << setupEngine.fileList[i];
    }
    EXPECT_EQ(RecordedDir(), installDir);
    EXPECT_EQ(dialog.Text(1019), expected::kRegisteringMenu);
    EXPECT_EQ(setupEngine.installed, 0);
    ExpectButtons(false);
}

// --- a small volume (drive f:, see the layout script) -------------------------------

class SmallVolumeTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        ASSERT_TRUE(FolderExists("f:\\")) << "needs the layout with the small drive f:";
        RemoveTree("f:\\Quorvel");
        CopyText(setupEngine.installParent, sizeof setupEngine.installParent, "f:\\");
        installDir = "f:\\Quorvel\\Brindlemarch";
    }
    void TearDown() override {
        RemoveTree("f:\\Quorvel");
        InstallTest::TearDown();
    }
};

TEST_F(SmallVolumeTest, FreeSpaceEqualPassesOneMoreFails) {
    const uint32_t freeMB = SetupEngine::FreeSpaceMB("f:");
    ASSERT_GT(freeMB, 0u);
    struct Case {
        uint32_t required;
        std::string firstText;
    } cases[] = {
        {freeMB, Format(expected::kCreateQuestionFormat, installDir.c_str())},
        {freeMB + 1, Format(expected::kNoSpaceFormat, "f:\\", static_cast<int>(freeMB), static_cast<int>(freeMB + 1))},
    };
    for (const Case& c : cases) {
        setupEngine.requiredMB = c.required;
        BoxPresser boxes(IDNO);  // the question, when it comes, stops the installation
        EXPECT_FALSE(setupEngine.Install()) << "required " << c.required;
        ASSERT_FALSE(boxes.Seen().empty()) << "required " << c.required;
        EXPECT_EQ(boxes.Seen()[0].text, c.firstText) << "required " << c.required;
    }
}

TEST_F(SmallVolumeTest, FullDiskDuringTheTransferFailsAndRemovesTheFiles) {
    ASSERT_TRUE(WriteFileSized(source / "gfx.arc", 1u << 20, 3));
    ASSERT_TRUE(WriteFileSized(source / "vox.arc", 3u << 20, 4));
    BoxPresser boxes(IDYES);
    RunThread();
    std::vector<std::string> expectedTexts = {Format(expected::kCreateQuestionFormat, installDir.c_str()),
                                              expected::kInstallFailed};
    EXPECT_EQ(Texts(boxes), expectedTexts) << boxes.Describe();
    EXPECT_TRUE(setupEngine.copyFailed.load());
    ExpectNoListedFile();
    EXPECT_FALSE(ProductKeyExists());
    EXPECT_EQ(setupEngine.installed, 0);
    ExpectButtons(false);
}

}  // namespace
