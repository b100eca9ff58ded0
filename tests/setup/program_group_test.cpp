// The Start-menu program group: creation in order, shortcuts that load back
// with their target and working folder, repeated creation, paths that do
// not fit, and removal beside foreign files.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "app/product_config.h"
#include "engine/setup_engine.h"
#include "setup/program_group.h"
#include "setup/setup_test_dialog.h"
#include "support/expected_texts.h"
#include "support/test_support.h"

using namespace testing_support;
using namespace setup_test;

namespace {

const std::string kUninstallLink = std::string(expected::kUninstallLinkName) + ".lnk";

class ProgramGroupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(ProgramsFolder().empty());
        RemoveGroupTree();
        LoadProduct(engine, installDir.Path());
    }
    void TearDown() override { RemoveGroupTree(); }

    TempDir installDir{"inst"};
    SetupEngine engine;
};

TEST_F(ProgramGroupTest, LookupOfAnUnknownFolderFailsEmpty) {
    char out[MAX_PATH];
    std::memset(out, 'x', sizeof out);
    EXPECT_FALSE(GetSpecialFolder(0x7F, out, sizeof out));
    EXPECT_STREQ(out, "");
}

TEST_F(ProgramGroupTest, UnknownFolderKindCreatesNothing) {
    std::memset(engine.shortcutRoot, 'x', sizeof engine.shortcutRoot - 1);
    EXPECT_FALSE(engine.CreateProgramGroup(2));
    EXPECT_STREQ(engine.shortcutRoot, "");
    EXPECT_FALSE(FolderExists(ProgramsFolder() + "\\Quorvel"));
    EXPECT_FALSE(FolderExists("\\Quorvel")) << "nothing at the current drive's root";
}

struct FolderCase {
    int which;
    int csidl;
};
void PrintTo(const FolderCase& c, std::ostream* os) {
    *os << "kind " << c.which << ", folder id " << c.csidl;
}

class ProgramGroupFolderTest : public ProgramGroupTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(ProgramGroupFolderTest, ThreeShortcutsLoadBackWithTargetAndWorkingFolder) {
    char root[MAX_PATH] = {};
    ASSERT_TRUE(GetSpecialFolder(GetParam().csidl, root, sizeof root));
    const std::string group = std::string(root) + "\\Quorvel\\Brindlemarch";
    RemoveTree(std::string(root) + "\\Quorvel");

    ASSERT_TRUE(engine.CreateProgramGroup(GetParam().which));
    EXPECT_STREQ(engine.shortcutRoot, root);
    std::vector<std::string> expectedFiles = {"Brindlemarch.lnk", "README.lnk", kUninstallLink};
    std::sort(expectedFiles.begin(), expectedFiles.end());
    EXPECT_EQ(FilesIn(group), expectedFiles);

    struct Link {
        std::string file;
        const char* target;
    } links[] = {{"Brindlemarch.lnk", "Brindlemarch.exe"}, {"README.lnk", "readme.txt"}, {kUninstallLink, "uninst.exe"}};
    for (const Link& link : links) {
        ShortcutInfo info = LoadShortcut(group + "\\" + link.file);
        ASSERT_TRUE(info.loaded) << link.file;
        EXPECT_STREQ(info.path.c_str(), (installDir / link.target).c_str()) << link.file;
        EXPECT_STREQ(info.workingDir.c_str(), installDir.Path().c_str()) << link.file;
    }
    RemoveTree(std::string(root) + "\\Quorvel");
}

INSTANTIATE_TEST_SUITE_P(Folders, ProgramGroupFolderTest,
                         ::testing::Values(FolderCase{0, 22}, FolderCase{1, 23}));

TEST_F(ProgramGroupTest, CreatingAgainLeavesTheSameThreeFiles) {
    ASSERT_TRUE(engine.CreateProgramGroup(1));
    std::vector<std::string> first = FilesIn(GroupFolder());
    ASSERT_TRUE(engine.CreateProgramGroup(1));
    EXPECT_EQ(FilesIn(GroupFolder()), first);
    EXPECT_EQ(first.size(), 3u);
}

TEST_F(ProgramGroupTest, StopsAtTheFirstShortcutThatCannotBeSaved) {
    // A folder in the place of the second shortcut file.
    ASSERT_TRUE(CreateDirectoryA((ProgramsFolder() + "\\Quorvel").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(GroupFolder().c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((GroupFolder() + "\\README.lnk").c_str(), nullptr));

    EXPECT_FALSE(engine.CreateProgramGroup(1));
    EXPECT_TRUE(FileExists(GroupFolder() + "\\Brindlemarch.lnk")) << "the first was made before";
    EXPECT_FALSE(FileExists(GroupFolder() + "\\" + kUninstallLink)) << "the third was not tried";
}

TEST_F(ProgramGroupTest, TargetThatDoesNotFitFailsWithoutAShortcut) {
    // installDir + "\Brindlemarch.exe" takes 17 more bytes; 259 fit.
    struct Case {
        std::size_t length;
        bool fits;
    } cases[] = {{242, true}, {243, false}};
    for (const Case& c : cases) {
        RemoveGroupTree();
        std::string dir = "c:\\" + std::string(c.length - 3, 'i');
        LoadProduct(engine, dir);
        EXPECT_EQ(engine.CreateProgramGroup(1), c.fits) << "installDir of " << c.length;
        EXPECT_EQ(FileExists(GroupFolder() + "\\Brindlemarch.lnk"), c.fits) << "installDir of " << c.length;
    }
}

struct RemovalCase {
    const char* label;
    const char* foreignFile;    // below the Programs folder, or nullptr
    const char* foreignFolder;  // below the Programs folder, or nullptr
    bool groupStays;
    bool companyStays;
};
void PrintTo(const RemovalCase& c, std::ostream* os) {
    *os << c.label;
}

class ProgramGroupRemovalTest : public ProgramGroupTest, public ::testing::WithParamInterface<RemovalCase> {};

TEST_P(ProgramGroupRemovalTest, RemovesShortcutsAndEmptyFoldersOnly) {
    const RemovalCase& c = GetParam();
    ASSERT_TRUE(engine.CreateProgramGroup(1));
    const std::string programs = ProgramsFolder();
    if (c.foreignFolder != nullptr) {
        ASSERT_TRUE(CreateDirectoryA((programs + c.foreignFolder).c_str(), nullptr));
    }
    if (c.foreignFile != nullptr) {
        ASSERT_TRUE(WriteFileSized(programs + c.foreignFile, 10, 1));
    }

    engine.RemoveProgramGroup();
    EXPECT_FALSE(FileExists(GroupFolder() + "\\Brindlemarch.lnk")) << c.label;
    EXPECT_FALSE(FileExists(GroupFolder() + "\\README.lnk")) << c.label;
    EXPECT_FALSE(FileExists(GroupFolder() + "\\" + kUninstallLink)) << c.label;
    EXPECT_EQ(FolderExists(GroupFolder()), c.groupStays) << c.label;
    EXPECT_EQ(FolderExists(programs + "\\Quorvel"), c.companyStays) << c.label;
    if (c.foreignFile != nullptr) {
        EXPECT_TRUE(FileExists(programs + c.foreignFile)) << c.label;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Removal, ProgramGroupRemovalTest,
    ::testing::Values(RemovalCase{"nothing foreign", nullptr, nullptr, false, false},
                      RemovalCase{"a foreign file in the group", "\\Quorvel\\Brindlemarch\\notes.txt", nullptr,
                                  true, true},
                      RemovalCase{"another product's group", nullptr, "\\Quorvel\\Other", false, true}));

TEST_F(ProgramGroupTest, RemovalWithNothingThereDoesNothing) {
    engine.RemoveProgramGroup();
    EXPECT_FALSE(FolderExists(ProgramsFolder() + "\\Quorvel"));
}

}  // namespace
