// The update: which files are brought over, their attributes and times,
// the messages, and the faults that must stop it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/product_config.h"
#include "engine/setup_engine.h"
#include "engine/text_format.h"
#include "support/expected_texts.h"
#include "support/test_support.h"
#include "support/window_driver.h"
#include "transfer/transfer_fixture.h"

namespace {

using testing_support::FileExists;
using testing_support::MakeContent;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileSized;
using window_driver::SeenBox;

struct UpdateRun {
    bool completed = false;
    std::vector<SeenBox> boxes;
    bool stuck = false;
};

std::string FailedText(const std::string& name) {
    return name + expected::kUpdateFailedAfterName;
}

// An engine configured like the updater's, whose update folder is a fresh
// sub-folder of the test program's folder (named apart from the product
// title, as the update looks it up by the folder name).
class Update : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        folderName = "bm_update_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
        updateFolder = testing_support::ProgramFolder() + "\\" + folderName;
        ASSERT_TRUE(CreateDirectoryA(updateFolder.c_str(), nullptr)) << "GLE=" << GetLastError();

        std::vector<const char*> installFiles;
        for (int i = 0; productConfig.installFiles[i] != nullptr; ++i) installFiles.push_back(productConfig.installFiles[i]);
        installFiles[0] = productConfig.executable;
        installFiles.push_back(nullptr);
        engine.fileList = SetupEngine::DuplicateList(nullptr, installFiles.data(), nullptr);
        engine.updateList = SetupEngine::DuplicateList(nullptr, productConfig.updateFiles, nullptr);
        CopyText(engine.productName, sizeof engine.productName, productConfig.productTitle);
        CopyText(engine.productFolder, sizeof engine.productFolder, folderName.c_str());
        CopyText(engine.installDir, sizeof engine.installDir, installed.Path().c_str());
    }
    void TearDown() override { testing_support::RemoveTree(updateFolder); }

    // A new file in the update folder; its content follows from seed.
    void Deliver(const std::string& name, uint32_t size, uint32_t seed) {
        ASSERT_TRUE(WriteFileSized(updateFolder + "\\" + name, size, seed)) << name;
    }
    // An installed file of the old version, with attributes.
    void Install(const std::string& name, uint32_t size, uint32_t seed, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        ASSERT_TRUE(WriteFileSized(installed / name, size, seed)) << name;
        ASSERT_TRUE(SetFileAttributesA((installed / name).c_str(), attributes)) << name;
        ASSERT_EQ(Attributes(name) & attributes & kKeptBits, attributes & kKeptBits) << name << " attributes not kept";
    }
    std::vector<char> InstalledBytes(const std::string& name) { return ReadFileBytes(installed / name); }
    DWORD Attributes(const std::string& name) { return GetFileAttributesA((installed / name).c_str()); }
    // The attributes an update clears (the platform adds "archive" to any
    // plain file by itself).
    DWORD ClearedBits(const std::string& name) { return Attributes(name) & kKeptBits; }
    static constexpr DWORD kKeptBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

    UpdateRun RunUpdate() {
        // Presses OK on any dialog of the process; one that stays is
        // pressed again now and then, and closed after 10 s.
        window_driver::BoxPresserOptions options;
        options.messageBoxesOnly = false;
        options.closeDeadlineMs = 10000;
        options.closeWhenStuck = true;
        options.repressMs = 500;
        window_driver::BoxPresser presser(IDOK, options);  // OK boxes only
        UpdateRun run;
        run.completed = engine.ApplyUpdate();
        run.boxes = presser.Finish();
        run.stuck = presser.Stuck();
        return run;
    }
    void ExpectCompleted(const UpdateRun& run) {
        EXPECT_TRUE(run.completed);
        ASSERT_EQ(run.boxes.size(), 1u);
        EXPECT_EQ(run.boxes[0].text, expected::kUpdateDone);
        EXPECT_EQ(run.boxes[0].caption, expected::kCaptionFinished);
        EXPECT_FALSE(run.stuck);
    }
    void ExpectFailedAt(const UpdateRun& run, const std::string& name) {
        EXPECT_FALSE(run.completed);
        ASSERT_EQ(run.boxes.size(), 1u) << "expected only the failure message";
        EXPECT_EQ(run.boxes[0].text, FailedText(name));
        EXPECT_EQ(run.boxes[0].caption, expected::kCaptionConfirm);
        EXPECT_FALSE(run.stuck);
    }

    SetupEngine engine;
    TempDir installed{"installed"};
    std::string folderName;
    std::string updateFolder;
};

TEST_F(Update, OnlyTheDeliveredFileChangesAndEveryAttributeBecomesNormal) {
    Install("scn_3.arc", 3000, 1, FILE_ATTRIBUTE_HIDDEN);
    Install("gfx.arc", 70000, 2, FILE_ATTRIBUTE_SYSTEM);
    Install("readme.txt", 100, 3, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    Deliver("scn_3.arc", 200000, 4);
    // The program's folder counts, not the current one.
    TempDir elsewhere("cwd");
    SetCurrentDirectoryA(elsewhere.Path().c_str());

    UpdateRun run = RunUpdate();
    SetCurrentDirectoryA(testing_support::ProgramFolder().c_str());

    ExpectCompleted(run);
    EXPECT_EQ(InstalledBytes("scn_3.arc"), MakeContent(200000, 4));
    EXPECT_EQ(InstalledBytes("gfx.arc"), MakeContent(70000, 2));
    EXPECT_EQ(InstalledBytes("readme.txt"), MakeContent(100, 3));
    for (const char* name : {"scn_3.arc", "gfx.arc", "readme.txt"}) {
        EXPECT_EQ(ClearedBits(name), 0u) << name;
    }
    EXPECT_EQ(std::string(engine.sourceDir), testing_support::ProgramFolder());
}

TEST_F(Update, NoFilesAtAllStillCompletes) {
    Install("gfx.arc", 500, 5);
    ExpectCompleted(RunUpdate());
    EXPECT_EQ(InstalledBytes("gfx.arc"), MakeContent(500, 5));
}

// Every delivered name of both lists is copied, names in both lists twice;
// a file not installed yet is created.
TEST_F(Update, CopiesEachListInTurn) {
    struct File {
        const char* name;
        uint32_t size;
        int copies;
    } files[] = {
        {"Brindlemarch.exe", 3000, 1}, {"gfx.arc", 3 * 65536 + 1, 1}, {"gfx_2.arc", 65536, 2},
        {"scn_2.arc", 10, 2},          {"scn_6.arc", 70000, 1},       {"debuglog.txt", 0, 1},
    };
    uint32_t seed = 20;
    uint64_t expectedBytes = 0;
    for (const File& f : files) {
        Deliver(f.name, f.size, ++seed);
        Install(f.name, 1234, seed + 100);
        expectedBytes += uint64_t(f.size) * f.copies;
    }
    Deliver("not_listed.arc", 100, 1);
    engine.bytesCopied = 0;

    ExpectCompleted(RunUpdate());

    seed = 20;
    for (const File& f : files) EXPECT_EQ(InstalledBytes(f.name), MakeContent(f.size, ++seed)) << f.name;
    EXPECT_EQ(engine.bytesCopied.load(), expectedBytes);
    EXPECT_FALSE(FileExists(installed / "not_listed.arc"));
}

TEST_F(Update, CreatesAFileThatIsNotInstalled) {
    Deliver("scn_4.arc", 5000, 6);
    ExpectCompleted(RunUpdate());
    EXPECT_EQ(InstalledBytes("scn_4.arc"), MakeContent(5000, 6));
}

// The copy takes its source's times slot for slot, for the slots the
// platform keeps at all.
TEST_F(Update, GivesTheCopyTheSourceTimes) {
    transfer_test::KeptSlots kept = transfer_test::ProbeKeptTimes(installed.Path());
    ASSERT_TRUE(kept.written) << "the platform keeps no last-write time";
    Deliver("scn_5.arc", 70000, 7);
    std::string source = updateFolder + "\\scn_5.arc";
    transfer_test::FileTimes given{transfer_test::TimeOf(2003, 1, 1), transfer_test::TimeOf(2004, 2, 2),
                                   transfer_test::TimeOf(2005, 3, 3)};
    ASSERT_TRUE(transfer_test::WriteTimes(source, given)) << "GLE=" << GetLastError();
    Install("scn_5.arc", 10, 8);

    ExpectCompleted(RunUpdate());

    // Reading the source may have moved its access time: compare with what
    // it holds now.
    transfer_test::FileTimes from, to;
    ASSERT_TRUE(transfer_test::ReadTimes(source, &from));
    ASSERT_TRUE(transfer_test::ReadTimes(installed / "scn_5.arc", &to));
    EXPECT_EQ(CompareFileTime(&to.written, &given.written), 0);
    EXPECT_EQ(CompareFileTime(&to.written, &from.written), 0);
    if (kept.accessed) {
        EXPECT_EQ(CompareFileTime(&to.accessed, &from.accessed), 0);
    }
    if (kept.created) {
        EXPECT_EQ(CompareFileTime(&to.created, &from.created), 0);
    }
}

// A file that is delivered but cannot be brought over stops the update at
// that file with a message naming it: files before it are updated, files
// after it are left alone, and no completion is announced.
TEST_F(Update, StopsAtAFileThatCannotBeBroughtOver) {
    enum Fault { kInstalledHeld, kSourceHeld };
    struct Case {
        const char* what;
        Fault fault;
    } cases[] = {{"installed file held open without sharing", kInstalledHeld},
                 {"delivered file held open without sharing", kSourceHeld}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Install("gfx.arc", 100, 30);
        Install("vox.arc", 100, 31);
        Install("ogg.dll", 100, 32);
        Deliver("gfx.arc", 70000, 40);
        Deliver("vox.arc", 70000, 41);
        Deliver("ogg.dll", 70000, 42);
        std::string held = c.fault == kInstalledHeld ? installed / "vox.arc" : updateFolder + "\\vox.arc";
        FileHandle holder = transfer_test::HoldWithoutSharing(held);
        ASSERT_TRUE(holder) << "GLE=" << GetLastError();

        UpdateRun run = RunUpdate();
        holder.Reset();

        ExpectFailedAt(run, "vox.arc");
        EXPECT_EQ(InstalledBytes("gfx.arc"), MakeContent(70000, 40));
        EXPECT_EQ(InstalledBytes("vox.arc"), MakeContent(100, 31));
        EXPECT_EQ(InstalledBytes("ogg.dll"), MakeContent(100, 32));
    }
}

TEST_F(Update, StopsWhenTheInstalledFolderIsGone) {
    Deliver("vox.arc", 100, 50);
    Deliver("scn_3.arc", 100, 51);
    ASSERT_TRUE(testing_support::RemoveTree(installed.Path()));

    ExpectFailedAt(RunUpdate(), "vox.arc");
    EXPECT_FALSE(testing_support::FolderExists(installed.Path()));
}

// --- as a normal user ----------------------------------------------------------

class UpdateAsUser : public Update {
protected:
    void SetUp() override {
        Update::SetUp();
        if (!transfer_test::ReadOnlyIsEnforced()) {
            if (transfer_test::HasArgument("--require-read-only")) FAIL() << "read-only files are writable here";
            GTEST_SKIP() << "read-only files are writable for this user";
        }
    }
};

// A read-only installed file takes the new contents: its attribute is
// cleared before the copy, not after.
TEST_F(UpdateAsUser, ReadOnlyInstalledFileIsUpdated) {
    Install("scn_3.arc", 100, 60, FILE_ATTRIBUTE_READONLY);
    Install("ogg.dll", 100, 61, FILE_ATTRIBUTE_READONLY);
    Deliver("scn_3.arc", 90000, 62);

    ExpectCompleted(RunUpdate());

    EXPECT_EQ(InstalledBytes("scn_3.arc"), MakeContent(90000, 62));
    EXPECT_EQ(InstalledBytes("ogg.dll"), MakeContent(100, 61));
    EXPECT_EQ(ClearedBits("scn_3.arc"), 0u);
    EXPECT_EQ(ClearedBits("ogg.dll"), 0u);
}

// --- a disk that fills up (drive F:, 1 MiB) ----------------------------------------

TEST_F(Update, FullDiskStopsTheUpdate) {
    std::string folder = "F:\\installed";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        << "drive F: is missing, GLE=" << GetLastError();
    CopyText(engine.installDir, sizeof engine.installDir, folder.c_str());
    ASSERT_TRUE(WriteFileSized(folder + "\\ogg.dll", 100, 70));
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("F:\\", &available, &total, &free));
    ASSERT_LT(available.QuadPart, 64ull * 1024 * 1024) << "drive F: is not the small test drive";
    // gfx.arc comes first in the list and misses by a few bytes only.
    Deliver("gfx.arc", static_cast<uint32_t>(available.QuadPart) + 500, 71);
    Deliver("ogg.dll", 100, 72);

    UpdateRun run = RunUpdate();

    ExpectFailedAt(run, "gfx.arc");
    EXPECT_EQ(ReadFileBytes(folder + "\\ogg.dll"), MakeContent(100, 70));
    testing_support::RemoveTree(folder);
}

}  // namespace
