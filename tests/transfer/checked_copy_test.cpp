// The checked copy of one file: contents, byte count, cancellation, the
// size check with its fallback, and files that cannot be opened.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "engine/setup_engine.h"
#include "support/test_support.h"
#include "transfer/transfer_fixture.h"

namespace {

using testing_support::FileExists;
using testing_support::MakeContent;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;
using testing_support::WriteFileSized;
using transfer_test::kBlock;

constexpr uint32_t kBase = 1000003;  // bytesCopied of earlier files

class CheckedCopy : public ::testing::Test {
protected:
    void SetUp() override {
        engine.bytesCopied = kBase;
        ASSERT_TRUE(WriteFileSized(old, 5000, 99)) << "GLE=" << GetLastError();
    }
    std::vector<char> Old() const { return MakeContent(5000, 99); }

    SetupEngine engine;
    TempDir dir{"copy"};
    std::string source = dir / "source.bin";
    std::string destination = dir / "destination.bin";
    std::string old = dir / "old.bin";  // a destination that already exists
};

// Whole copies: every size near a block boundary, over an existing longer
// file, counted exactly once, with both streams closed afterwards.
TEST_F(CheckedCopy, CopiesEverySizeExactly) {
    const uint32_t sizes[] = {0, 1, kBlock - 1, kBlock, kBlock + 1, 3 * 1024 * 1024 + 17};
    for (uint32_t size : sizes) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(WriteFileSized(source, size, size + 1));
        ASSERT_TRUE(WriteFileSized(destination, 5000, 7));
        engine.bytesCopied = kBase;

        EXPECT_EQ(engine.CopyOneFile(destination.c_str(), source.c_str()), CopyResult::kCopied);

        EXPECT_EQ(ReadFileBytes(destination), MakeContent(size, size + 1));
        EXPECT_EQ(engine.bytesCopied.load(), kBase + size);
        EXPECT_EQ(engine.cancelState.load(), kCancelNone);
        EXPECT_TRUE(transfer_test::NotHeldOpen(source));
        EXPECT_TRUE(transfer_test::NotHeldOpen(destination));
    }
}

TEST_F(CheckedCopy, CreatesAMissingDestination) {
    ASSERT_TRUE(WriteFileSized(source, kBlock * 2 + 5, 3));
    EXPECT_EQ(engine.CopyOneFile(destination.c_str(), source.c_str()), CopyResult::kCopied);
    EXPECT_EQ(ReadFileBytes(destination), MakeContent(kBlock * 2 + 5, 3));
}

TEST_F(CheckedCopy, CancelRequestOnEntryLeavesAnEmptyDestination) {
    ASSERT_TRUE(WriteFileSized(source, kBlock * 3, 4));
    engine.cancelState = kCancelRequested;

    EXPECT_EQ(engine.CopyOneFile(old.c_str(), source.c_str()), CopyResult::kCopied);

    bool readable = false;
    EXPECT_TRUE(ReadFileBytes(old, &readable).empty());
    EXPECT_TRUE(readable);
    EXPECT_EQ(engine.cancelState.load(), kCancelCopyStopped);
    EXPECT_EQ(engine.bytesCopied.load(), kBase);
    EXPECT_TRUE(transfer_test::NotHeldOpen(source));
    EXPECT_TRUE(transfer_test::NotHeldOpen(old));
}

// Only a request (1) stops the loop; a transfer already stopping copies
// the whole file and keeps its state.
TEST_F(CheckedCopy, StoppedStatesCopyTheWholeFile) {
    for (int32_t state : {kCancelCopyStopped, kCancelWorkerStopped}) {
        SCOPED_TRACE(state);
        const uint32_t size = kBlock * 4 + 321;
        ASSERT_TRUE(WriteFileSized(source, size, 5));
        engine.cancelState = state;
        engine.bytesCopied = kBase;

        EXPECT_EQ(engine.CopyOneFile(destination.c_str(), source.c_str()), CopyResult::kCopied);

        EXPECT_EQ(ReadFileBytes(destination), MakeContent(size, 5));
        EXPECT_EQ(engine.cancelState.load(), state);
        EXPECT_EQ(engine.bytesCopied.load(), kBase + size);
    }
}

// A source that the test feeds block by block: the test knows exactly
// where the copy loop stands when it asks for cancellation.
class CheckedCopyCancel : public CheckedCopy {
protected:
    void StartCopy() {
        ASSERT_TRUE(pipe.Valid()) << "GLE=" << GetLastError();
        copier = std::thread([this] { result = engine.CopyOneFile(destination.c_str(), pipe.Path().c_str()); });
        ASSERT_TRUE(pipe.WaitForReader()) << "GLE=" << GetLastError();
    }
    void FinishCopy() {
        pipe.Close();
        copier.join();
    }
    void TearDown() override {
        if (copier.joinable()) FinishCopy();
    }

    transfer_test::PipeSource pipe;
    std::thread copier;
    CopyResult result = CopyResult::kFailed;
    std::vector<char> data = MakeContent(kBlock * 4, 11);
};

TEST_F(CheckedCopyCancel, RequestDuringACopyStopsAfterTheCurrentBlock) {
    StartCopy();
    // Block 1 whole, block 2 but for its last byte: the loop has passed its
    // test after block 1 and waits inside the read of block 2.
    ASSERT_TRUE(pipe.Send(data.data(), 2 * kBlock - 1));
    engine.cancelState = kCancelRequested;
    ASSERT_TRUE(pipe.Send(data.data() + 2 * kBlock - 1, 1));
    FinishCopy();

    EXPECT_EQ(result, CopyResult::kCopied);
    EXPECT_EQ(engine.cancelState.load(), kCancelCopyStopped);
    EXPECT_EQ(ReadFileBytes(destination), std::vector<char>(data.begin(), data.begin() + 2 * kBlock));
    EXPECT_EQ(engine.bytesCopied.load(), kBase + 2 * kBlock);
}

TEST_F(CheckedCopyCancel, RequestDuringTheLastShortBlockIsLeftForTheNextCopy) {
    StartCopy();
    ASSERT_TRUE(pipe.Send(data.data(), kBlock + 100));
    engine.cancelState = kCancelRequested;
    FinishCopy();  // end of file: block 2 stays short

    EXPECT_EQ(result, CopyResult::kCopied);
    EXPECT_EQ(engine.cancelState.load(), kCancelRequested);
    EXPECT_EQ(ReadFileBytes(destination), std::vector<char>(data.begin(), data.begin() + kBlock + 100));
    EXPECT_EQ(engine.bytesCopied.load(), kBase + kBlock + 100);
}

// A missing source is no error: the caller passes it over.
TEST_F(CheckedCopy, MissingSourceIsPassedOver) {
    const std::string missing[] = {dir / "absent.bin", dir / "absent_folder\\source.bin"};
    for (const std::string& path : missing) {
        SCOPED_TRACE(path);
        EXPECT_EQ(engine.CopyOneFile(old.c_str(), path.c_str()), CopyResult::kNoSource);
        EXPECT_EQ(ReadFileBytes(old), Old());
        EXPECT_EQ(engine.bytesCopied.load(), kBase);
        EXPECT_EQ(engine.cancelState.load(), kCancelNone);
    }
}

TEST_F(CheckedCopy, SourceThatExistsButCannotBeOpenedFails) {
    ASSERT_TRUE(WriteFileSized(source, 300, 6));
    std::string folder = dir / "a_folder";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << "GLE=" << GetLastError();
    struct Case {
        const char* what;
        std::string path;
        bool hold;
    } cases[] = {{"held open without sharing", source, true}, {"a folder", folder, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileHandle held;
        if (c.hold) held = transfer_test::HoldWithoutSharing(c.path);
        ASSERT_EQ(held.Valid(), c.hold) << "GLE=" << GetLastError();

        EXPECT_EQ(engine.CopyOneFile(destination.c_str(), c.path.c_str()), CopyResult::kFailed);
        EXPECT_FALSE(FileExists(destination)) << "the destination was created";
        EXPECT_EQ(engine.bytesCopied.load(), kBase);
    }
}

TEST_F(CheckedCopy, DestinationThatCannotBeOpenedFailsAndIsLeftAlone) {
    ASSERT_TRUE(WriteFileSized(source, kBlock + 9, 8));
    std::string folder = dir / "a_folder";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << "GLE=" << GetLastError();
    struct Case {
        const char* what;
        std::string path;
        bool hold;
    } cases[] = {
        {"folder missing", dir / "absent_folder\\destination.bin", false},
        {"held open without sharing", old, true},
        {"a folder", folder, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileHandle held;
        if (c.hold) held = transfer_test::HoldWithoutSharing(c.path);
        ASSERT_EQ(held.Valid(), c.hold) << "GLE=" << GetLastError();

        EXPECT_EQ(engine.CopyOneFile(c.path.c_str(), source.c_str()), CopyResult::kFailed);
        EXPECT_EQ(engine.bytesCopied.load(), kBase);
        EXPECT_TRUE(transfer_test::NotHeldOpen(source)) << "the source stream stayed open";
        held.Reset();
        if (c.hold) {
            EXPECT_EQ(ReadFileBytes(old), Old());
        }
    }
}

TEST(FileSize, MeasuresTheFileOrGivesZero) {
    TempDir dir("size");
    for (uint32_t size : {0u, 1u, kBlock + 1, 5u * 1024 * 1024 + 3}) {
        std::string path = dir / ("f" + std::to_string(size));
        ASSERT_TRUE(WriteFileSized(path, size, 1));
        EXPECT_EQ(SetupEngine::GetFileSizeOf(path.c_str()), size);
    }
    EXPECT_EQ(SetupEngine::GetFileSizeOf((dir / "absent").c_str()), 0u);
    EXPECT_EQ(SetupEngine::GetFileSizeOf((dir / "absent\\f").c_str()), 0u);

    // Held open by someone else, even sharing reads: the measuring open
    // shares nothing, so the size reads as 0.
    std::string held = dir / "held";
    ASSERT_TRUE(WriteFileSized(held, 4000, 2));
    FileHandle other(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(other) << "GLE=" << GetLastError();
    EXPECT_EQ(SetupEngine::GetFileSizeOf(held.c_str()), 0u);
    other.Reset();
    EXPECT_EQ(SetupEngine::GetFileSizeOf(held.c_str()), 4000u);
}

// --- as a normal user ----------------------------------------------------------

class CheckedCopyAsUser : public CheckedCopy {
protected:
    void SetUp() override {
        CheckedCopy::SetUp();
        if (!transfer_test::ReadOnlyIsEnforced()) {
            if (transfer_test::HasArgument("--require-read-only")) FAIL() << "read-only files are writable here";
            GTEST_SKIP() << "read-only files are writable for this user";
        }
    }
};

TEST_F(CheckedCopyAsUser, ReadOnlyDestinationFailsAndKeepsItsContents) {
    ASSERT_TRUE(WriteFileSized(source, kBlock * 2, 9));
    ASSERT_TRUE(SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(engine.CopyOneFile(old.c_str(), source.c_str()), CopyResult::kFailed);

    EXPECT_EQ(ReadFileBytes(old), Old());
    EXPECT_EQ(GetFileAttributesA(old.c_str()) & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY));
    SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// --- a disk that fills up (drive F:, 1 MiB) ----------------------------------------

class CheckedCopyFullDisk : public CheckedCopy {
protected:
    void SetUp() override {
        CheckedCopy::SetUp();
        ULARGE_INTEGER available{}, total{}, free{};
        ASSERT_TRUE(GetDiskFreeSpaceExA("F:\\", &available, &total, &free))
            << "drive F: is missing, GLE=" << GetLastError();
        ASSERT_LT(available.QuadPart, 64ull * 1024 * 1024) << "drive F: is not the small test drive";
        room = static_cast<uint32_t>(available.QuadPart);
    }
    void TearDown() override { DeleteFileA(onFull.c_str()); }

    uint32_t room = 0;
    std::string onFull = "F:\\copy.bin";
};

// Copies that do not fit fail, however little is missing; the count for
// the file is its source size, as after any fallback copy.
TEST_F(CheckedCopyFullDisk, CopyThatDoesNotFitFails) {
    for (uint32_t over : {100u, 1000u, kBlock + 5000}) {
        SCOPED_TRACE(over);
        const uint32_t size = room + over;
        ASSERT_TRUE(WriteFileSized(source, size, over));
        DeleteFileA(onFull.c_str());
        engine.bytesCopied = kBase;

        EXPECT_EQ(engine.CopyOneFile(onFull.c_str(), source.c_str()), CopyResult::kFailed);

        EXPECT_EQ(engine.bytesCopied.load(), kBase + size);
        EXPECT_EQ(engine.cancelState.load(), kCancelNone);
        EXPECT_NE(SetupEngine::GetFileSizeOf(onFull.c_str()), size);
    }
}

TEST_F(CheckedCopyFullDisk, CopyThatFitsSucceeds) {
    const uint32_t size = room - 8192;
    ASSERT_TRUE(WriteFileSized(source, size, 12));
    EXPECT_EQ(engine.CopyOneFile(onFull.c_str(), source.c_str()), CopyResult::kCopied);
    EXPECT_EQ(ReadFileBytes(onFull), MakeContent(size, 12));
    EXPECT_EQ(engine.bytesCopied.load(), kBase + size);
}

}  // namespace
