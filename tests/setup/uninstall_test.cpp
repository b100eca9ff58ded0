// Uninstall: the question, what is removed and what stays, files that
// cannot go, a record already gone; and the folder guard of the file
// removal.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/product_config.h"
#include "engine/setup_engine.h"
#include "setup/setup_test_dialog.h"
#include "support/expected_texts.h"
#include "support/test_support.h"

using namespace testing_support;
using namespace setup_test;

namespace {

// Every name of both lists, once.
std::vector<std::string> ListedNames() {
    std::vector<std::string> names;
    for (int i = 0; i < kInstallFileCount; ++i) {
        names.push_back(i == kExecutableIndex ? productConfig.executable : productConfig.installFiles[i]);
    }
    for (int i = 0; i < kUpdateFileCount; ++i) {
        std::string name = productConfig.updateFiles[i];
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    return names;
}

class UninstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveGroupTree();
        DeleteProductKey();
        LoadProduct(engine, installDir.Path());
        for (const std::string& name : ListedNames()) ASSERT_TRUE(WriteFileSized(installDir / name, 300, 5)) << name;
        ASSERT_TRUE(WriteFileSized(installDir / "save.dat", 10, 1));
        ASSERT_TRUE(CreateDirectoryA((installDir / "screenshots").c_str(), nullptr));
        ASSERT_TRUE(engine.WriteRegistration());
        ASSERT_TRUE(engine.CreateProgramGroup(1));
        engine.installed = 1;
    }
    void TearDown() override {
        RemoveGroupTree();
        DeleteProductKey();
    }

    void ExpectListedGone() {
        for (const std::string& name : ListedNames()) EXPECT_FALSE(FileExists(installDir / name)) << name;
    }

    TempDir installDir{"uninst"};
    SetupEngine engine;
};

TEST_F(UninstallTest, AnsweringNoLeavesEverything) {
    BoxPresser boxes(IDNO);
    EXPECT_FALSE(engine.Uninstall());
    std::vector<SeenBox> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u) << boxes.Describe();
    EXPECT_EQ(seen[0].text, expected::kUninstallQuestion);
    EXPECT_EQ(seen[0].caption, expected::kCaptionConfirm);
    for (const std::string& name : ListedNames()) EXPECT_TRUE(FileExists(installDir / name)) << name;
    EXPECT_TRUE(FileExists(GroupFolder() + "\\Brindlemarch.lnk"));
    EXPECT_TRUE(ProductKeyExists());
    EXPECT_EQ(engine.installed, 1);
}

TEST_F(UninstallTest, RemovesListedFilesGroupAndRecordAndKeepsTheRest) {
    ASSERT_TRUE(SetFileAttributesA((installDir / "debuglog.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    BoxPresser boxes(IDYES);
    EXPECT_TRUE(engine.Uninstall());
    std::vector<SeenBox> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 2u) << boxes.Describe();
    EXPECT_EQ(seen[1].text, expected::kUninstallDone);
    EXPECT_EQ(seen[1].caption, expected::kCaptionFinished);
    ExpectListedGone();
    EXPECT_TRUE(FileExists(installDir / "save.dat"));
    EXPECT_TRUE(FolderExists(installDir / "screenshots"));
    EXPECT_FALSE(FolderExists(ProgramsFolder() + "\\Quorvel"));
    EXPECT_FALSE(ProductKeyExists());
    EXPECT_EQ(engine.installed, 0);
}

TEST_F(UninstallTest, FileHeldOpenStaysAndCompletionIsStillShown) {
    const std::string held = installDir / "gfx.arc";
    HANDLE file = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "GLE=" << GetLastError();
    BoxPresser boxes(IDYES);
    bool result = engine.Uninstall();
    CloseHandle(file);
    EXPECT_TRUE(result);
    std::vector<SeenBox> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 2u) << boxes.Describe();
    EXPECT_EQ(seen[1].text, expected::kUninstallDone);
    EXPECT_TRUE(FileExists(held));
    EXPECT_FALSE(FileExists(installDir / "vox.arc"));
    EXPECT_EQ(engine.installed, 0);
}

TEST_F(UninstallTest, RecordAlreadyGoneRemovesFilesButReportsNothing) {
    DeleteProductKey();
    BoxPresser boxes(IDYES);
    EXPECT_FALSE(engine.Uninstall());
    EXPECT_EQ(boxes.Seen().size(), 1u) << boxes.Describe();
    ExpectListedGone();
    EXPECT_FALSE(FolderExists(ProgramsFolder() + "\\Quorvel"));
    EXPECT_EQ(engine.installed, 1);
}

TEST(DeleteInstalledFilesTest, EmptyOrRelativeFolderDeletesNothing) {
    TempDir work("cwd");
    SetupEngine engine;
    LoadProduct(engine, "");
    ASSERT_TRUE(CreateDirectoryA((work / "sub").c_str(), nullptr));
    for (const char* name : {"gfx.arc", "readme.txt"}) {
        ASSERT_TRUE(WriteFileSized(work / name, 10, 1));
        ASSERT_TRUE(WriteFileSized((work / "sub") + "\\" + name, 10, 1));
    }
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(work.Path().c_str()));
    for (const char* folder : {"", ".", "sub", "sub\\..", "\\"}) {
        EXPECT_TRUE(engine.DeleteInstalledFiles(folder)) << "'" << folder << "'";
    }
    SetCurrentDirectoryA(previous);
    for (const char* name : {"gfx.arc", "readme.txt"}) {
        EXPECT_TRUE(FileExists(work / name)) << name;
        EXPECT_TRUE(FileExists((work / "sub") + "\\" + name)) << name;
    }
}

}  // namespace
