// The install transfer: progress units, the index window, selection,
// missing sources, failed copies and the cancellation handshake; the
// status lines with their spinner and clock.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "app/product_config.h"
#include "engine/setup_engine.h"
#include "engine/text_format.h"
#include "setup/setup_test_dialog.h"
#include "support/expected_texts.h"
#include "support/test_support.h"
#include "transfer/status_line.h"

using namespace testing_support;
using setup_test::TestDialog;

namespace {

std::atomic<DWORD> fakeNow{0};
DWORD FakeClock() {
    return fakeNow.load();
}

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(dialog.Handle(), nullptr) << "GLE=" << GetLastError();
        SetStatusClock(nullptr);
        ResetStatusLineForTest();
        CopyText(engine.sourceDir, sizeof engine.sourceDir, source.Path().c_str());
        CopyText(engine.installDir, sizeof engine.installDir, target.Path().c_str());
        engine.dialogWnd = dialog.Handle();
        engine.SetProgressControl(1005);
    }
    void TearDown() override { SetStatusClock(nullptr); }

    void UseList(std::vector<const char*> names) {
        names.push_back(nullptr);
        engine.fileList = SetupEngine::DuplicateList(engine.fileList, names.data(), nullptr);
    }
    void MakeSource(const char* name, std::size_t size, uint32_t seed = 1) {
        ASSERT_TRUE(WriteFileSized(source / name, size, seed)) << name << " GLE=" << GetLastError();
    }
    // The copy equals its source.
    void ExpectCopied(const char* name) {
        bool ok = false;
        std::vector<char> copy = ReadFileBytes(target / name, &ok);
        ASSERT_TRUE(ok) << name << " was not copied";
        EXPECT_TRUE(copy == ReadFileBytes(source / name)) << name << " differs from its source";
    }

    TestDialog dialog;
    TempDir source{"src"};
    TempDir target{"dst"};
    SetupEngine engine;
};

// --- progress units -----------------------------------------------------------

struct UnitsCase {
    const char* label;
    std::vector<std::size_t> sizes;  // one source file each; empty: no source exists
    uint32_t bytesPerUnit;
    int32_t units;
    int barPosition;  // -1: not checked (the bar runs past its range)
    bool withWindow;
};

void PrintTo(const UnitsCase& c, std::ostream* os) {
    *os << c.label;
}

class TransferUnitsTest : public TransferTest, public ::testing::WithParamInterface<UnitsCase> {};

TEST_P(TransferUnitsTest, EndsAtTheExpectedUnitCount) {
    const UnitsCase& c = GetParam();
    const char* names[] = {"a.arc", "b.arc", "c.arc"};
    UseList({names[0], names[1], names[2]});
    for (std::size_t i = 0; i < c.sizes.size(); ++i) MakeSource(names[i], c.sizes[i], static_cast<uint32_t>(i + 7));
    if (!c.withWindow) engine.dialogWnd = nullptr;

    ASSERT_TRUE(engine.RunTransfer()) << c.label;
    EXPECT_EQ(engine.bytesPerUnit, c.bytesPerUnit) << c.label;
    EXPECT_EQ(engine.unitsShown.load(), c.units) << c.label;
    if (c.barPosition >= 0) {
        EXPECT_EQ(dialog.ProgressPosition(), c.barPosition) << c.label;
    }
    for (std::size_t i = 0; i < c.sizes.size(); ++i) ExpectCopied(names[i]);
    EXPECT_EQ(engine.busy.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Totals, TransferUnitsTest,
    ::testing::Values(UnitsCase{"exactly 1,000,000 bytes", {400000, 350000, 250000}, 1000, 1000, 1000, true},
                      UnitsCase{"1,234,567 bytes", {1000000, 234567}, 1234, 1000, 1000, true},
                      UnitsCase{"3 MiB + 1 byte", {3u << 20, 1}, 3145, 1000, 1000, true},
                      UnitsCase{"1000 bytes", {600, 400}, 1, 1000, 1000, true},
                      UnitsCase{"1999 bytes end above 1000 units", {1999}, 1, 1999, -1, true},
                      UnitsCase{"999 bytes: no unit, bar filled at the end", {500, 499}, 0, 1000, 1000, true},
                      UnitsCase{"no source at all", {}, 0, 1000, 1000, true},
                      UnitsCase{"no window for the bar", {400000, 600000}, 1000, 1000, -1, false}));

TEST_F(TransferTest, BarNeverMovesBackButFollowsALowerCount) {
    engine.ResetProgress(1000);
    engine.bytesPerUnit = 10;
    struct Step {
        uint32_t bytes;
        int32_t shown;
        int bar;
    } steps[] = {{500, 50, 50}, {300, 30, 50}, {450, 45, 65}, {450, 45, 65}};
    for (const Step& s : steps) {
        engine.bytesCopied = s.bytes;
        engine.AdvanceProgress();
        EXPECT_EQ(engine.unitsShown.load(), s.shown) << "bytes " << s.bytes;
        EXPECT_EQ(dialog.ProgressPosition(), s.bar) << "bytes " << s.bytes;
    }
}

// --- which files are copied --------------------------------------------------------

TEST_F(TransferTest, IndexWindowOfTheProductList) {
    std::vector<const char*> names(productConfig.installFiles, productConfig.installFiles + kInstallFileCount);
    UseList(names);
    for (int i = 0; i < kInstallFileCount; ++i) MakeSource(names[i], 100 + i, i);

    struct Window {
        int end;
        int copied;
    } windows[] = {{11, 11}, {9999, kInstallFileCount}};
    for (const Window& w : windows) {
        RemoveTree(target.Path());
        CreateDirectoryA(target.Path().c_str(), nullptr);
        engine.SetTransferRange(1, 0, w.end);
        uint32_t expected = 0;
        for (int i = 0; i < w.copied; ++i) expected += 100 + i;
        EXPECT_EQ(engine.SelectedBytes(), expected) << "endIndex " << w.end;
        ASSERT_TRUE(engine.RunTransfer()) << "endIndex " << w.end;
        for (int i = 0; i < kInstallFileCount; ++i) {
            EXPECT_EQ(FileExists(target / names[i]), i < w.copied) << "endIndex " << w.end << " index " << i;
        }
    }
}

TEST_F(TransferTest, DeselectedAndMissingFilesArePassedOver) {
    std::vector<const char*> names(productConfig.installFiles, productConfig.installFiles + kInstallFileCount);
    UseList(names);
    const int deselected[] = {kGfxArchiveIndex, kVoxArchiveIndex, kBgmArchiveIndex};
    const int missing = 3;
    uint32_t expected = 0;
    for (int i = 0; i < kInstallFileCount; ++i) {
        if (i == missing) continue;
        MakeSource(names[i], 1000 + i, i);
        expected += 1000 + i;
    }
    for (int i : deselected) {
        engine.selected[i] = 0;
        expected -= 1000 + i;
    }

    EXPECT_EQ(engine.SelectedBytes(), expected);
    ASSERT_TRUE(engine.RunTransfer()) << "a missing source is no failure";
    EXPECT_FALSE(engine.copyFailed.load());
    for (int i = 0; i < kInstallFileCount; ++i) {
        bool wanted = i != missing && engine.selected[i] == 1;
        EXPECT_EQ(FileExists(target / names[i]), wanted) << names[i];
    }
}

TEST_F(TransferTest, FailedCopyFailsTheTransferAndStopsIt) {
    UseList({"a.arc", "b.arc"});
    MakeSource("a.arc", 5000);
    MakeSource("b.arc", 5000);
    // The destination folder does not exist: the first copy cannot be made.
    CopyText(engine.installDir, sizeof engine.installDir, (target / "missing").c_str());

    EXPECT_FALSE(engine.RunTransfer());
    EXPECT_TRUE(engine.copyFailed.load());
    EXPECT_EQ(engine.cancelState.load(), kCancelNone);
}

TEST_F(TransferTest, PathThatDoesNotFitIsAFailedCopyNotACutName) {
    // A real folder deep enough that the long name no longer fits beside it.
    std::string deep = target.Path();
    while (deep.size() < 200) {
        deep += "\\dddddddddddddddddddd";
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << deep << " GLE=" << GetLastError();
    }
    CopyText(engine.installDir, sizeof engine.installDir, deep.c_str());
    const std::string longName(100, 'n');
    UseList({"short.arc", longName.c_str()});
    MakeSource("short.arc", 3000);

    EXPECT_FALSE(engine.RunTransfer());
    EXPECT_TRUE(engine.copyFailed.load());
    EXPECT_TRUE(FileExists(deep + "\\short.arc"));
    // Nothing but the short name was written: no file under a cut name.
    WIN32_FIND_DATAA found;
    int files = 0;
    HANDLE find = FindFirstFileA((deep + "\\*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
    } while (FindNextFileA(find, &found));
    FindClose(find);
    EXPECT_EQ(files, 1);
}

// --- cancellation ------------------------------------------------------------

// Asks for a cancellation, as the abort button does, once the copy has
// moved at least the given number of bytes.
class CancelWhenCopied {
public:
    CancelWhenCopied(SetupEngine& engine, uint32_t bytes)
        : thread_([&engine, bytes, this] {
              DWORD start = GetTickCount();
              while (engine.bytesCopied.load() < bytes || engine.busy.load() == 0) {
                  if (GetTickCount() - start > 20000) return;
              }
              engine.cancelState = kCancelRequested;
              fired_ = true;
          }) {}
    ~CancelWhenCopied() {
        if (thread_.joinable()) thread_.join();
    }
    bool Fired() {
        thread_.join();
        thread_ = std::thread();
        return fired_;
    }

private:
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

constexpr std::size_t kBigFile = 32u << 20;

TEST_F(TransferTest, CancelDuringAFileThatAnotherFollows) {
    UseList({"big.arc", "next.arc"});
    MakeSource("big.arc", kBigFile);
    MakeSource("next.arc", 4000);
    CancelWhenCopied cancel(engine, 1u << 20);

    EXPECT_FALSE(engine.RunTransfer());
    ASSERT_TRUE(cancel.Fired());
    EXPECT_EQ(engine.cancelState.load(), kCancelWorkerStopped);
    uint32_t size = SetupEngine::GetFileSizeOf((target / "big.arc").c_str());
    EXPECT_LT(size, kBigFile);
    EXPECT_EQ(size % 65536, 0u) << "size " << size;
    EXPECT_FALSE(FileExists(target / "next.arc"));
}

TEST_F(TransferTest, CancelDuringTheLastFile) {
    UseList({"small.arc", "big.arc"});
    MakeSource("small.arc", 4000);
    MakeSource("big.arc", kBigFile);
    CancelWhenCopied cancel(engine, 4000 + (1u << 20));

    EXPECT_FALSE(engine.RunTransfer());
    ASSERT_TRUE(cancel.Fired());
    EXPECT_EQ(engine.cancelState.load(), kCancelCopyStopped);
    ExpectCopied("small.arc");
    EXPECT_LT(SetupEngine::GetFileSizeOf((target / "big.arc").c_str()), kBigFile);
}

TEST_F(TransferTest, CancelAfterTheLastFileStillFails) {
    UseList({"big.arc"});
    MakeSource("big.arc", kBigFile);
    engine.dialogWnd = nullptr;
    engine.progressCtrlId = 0;  // no bar: only the status text can hold the polling thread
    // The polling thread is held in its first status text, which waits for
    // this thread, while the worker copies everything and ends.
    SetCurrentFileName("held");
    std::atomic<bool> done{false};
    bool result = true;
    std::thread transfer([&] {
        result = engine.RunTransfer();
        done = true;
    });
    DWORD start = GetTickCount();
    while (!(engine.busy.load() == 0 && engine.bytesCopied.load() == kBigFile) && GetTickCount() - start < 30000) {
        Sleep(1);
    }
    bool held = !done.load();
    engine.cancelState = kCancelRequested;
    bool ended = setup_test::PumpUntil([&] { return done.load(); }, 30000);
    if (!ended) std::abort();  // the transfer thread would outlive the engine
    transfer.join();
    ASSERT_TRUE(held) << "the transfer was not held in its status text";

    EXPECT_FALSE(result);
    EXPECT_EQ(engine.cancelState.load(), kCancelRequested);
    ExpectCopied("big.arc");
}

TEST_F(TransferTest, EarlierRequestDoesNotCancelANewTransfer) {
    UseList({"a.arc"});
    MakeSource("a.arc", 70000);
    engine.cancelState = kCancelWorkerStopped;  // left from an earlier transfer
    EXPECT_TRUE(engine.RunTransfer());
    ExpectCopied("a.arc");
}

// --- status lines --------------------------------------------------------------

class StatusLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(dialog.Handle(), nullptr);
        fakeNow = 5000;
        SetStatusClock(FakeClock);
        ResetStatusLineForTest();
        ResetElapsedClock();
    }
    void TearDown() override { SetStatusClock(nullptr); }

    TestDialog dialog;
};

TEST_F(StatusLineTest, NothingMovesWithoutAFileName) {
    dialog.SetText(1019, "line0");
    dialog.SetText(1021, "line1");
    fakeNow = 90000;
    for (int i = 0; i < 10; ++i) UpdateStatusLine();
    EXPECT_EQ(dialog.Text(1019), "line0");
    EXPECT_EQ(dialog.Text(1021), "line1");
    StatusLineState s = GetStatusLineState();
    EXPECT_EQ(s.spinnerIndex, 0);
    EXPECT_EQ(s.spinnerCounter, 0);
    EXPECT_EQ(s.seconds, 0);
}

TEST_F(StatusLineTest, SpinnerTurnsInOrderAndWraps) {
    SetCurrentFileName("gfx.arc");
    const std::string spinner = expected::kSpinnerChars;
    std::vector<std::string> shown;
    for (int rewrite = 0; rewrite < 6; ++rewrite) {
        UpdateStatusLine();
        shown.push_back(dialog.Text(1019));
        for (int i = 1; i < 0x20000; ++i) UpdateStatusLine();  // the text is rewritten once per 131072 calls
    }
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(shown[i], "gfx.arc " + spinner.substr((i % 4) * 2, 2)) << "rewrite " << i;
    }
    // In between the text stays: only a counter back at 0 rewrites it.
    UpdateStatusLine();
    dialog.SetText(1019, "kept");
    UpdateStatusLine();
    EXPECT_EQ(dialog.Text(1019), "kept");
}

TEST_F(StatusLineTest, ClockCountsSecondsStrictlyAfterEachBoundary) {
    SetCurrentFileName("a");
    dialog.SetText(1021, "");
    fakeNow = 5000 + 1000;
    UpdateStatusLine();
    EXPECT_EQ(dialog.Text(1021), "") << "one second exactly is not yet counted";
    fakeNow = 5000 + 1001;
    UpdateStatusLine();
    EXPECT_EQ(dialog.Text(1021), "0:00:01");
    UpdateStatusLine();
    EXPECT_EQ(dialog.Text(1021), "0:00:01") << "the boundary moved to 6000, not to now";
}

TEST_F(StatusLineTest, ClockCatchesUpOneSecondPerCallToOneHourOneMinuteOneSecond) {
    SetCurrentFileName("a");
    fakeNow = 5000 + 3661 * 1000 + 1;
    for (int call = 0; call < 3661; ++call) UpdateStatusLine();
    EXPECT_EQ(dialog.Text(1021), "1:01:01");
    StatusLineState s = GetStatusLineState();
    EXPECT_EQ(s.hours, 1);
    EXPECT_EQ(s.minutes, 1);
    EXPECT_EQ(s.seconds, 1);
    UpdateStatusLine();  // caught up: no further second
    EXPECT_EQ(dialog.Text(1021), "1:01:01");
}

TEST_F(StatusLineTest, ClockSurvivesTheTimerWrapAround) {
    fakeNow = 0xFFFFFC00u;
    ResetElapsedClock();
    SetCurrentFileName("a");
    fakeNow = 0x00000002u;  // 1026 ms later, after the wrap
    UpdateStatusLine();
    EXPECT_EQ(dialog.Text(1021), "0:00:01");
}

TEST_F(StatusLineTest, ReaderNeverSeesHalfAName) {
    const std::string longName(1000, 'L');
    const std::string shortName(10, 's');
    SetCurrentFileName(shortName.c_str());
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        while (!stop) {
            SetCurrentFileName(longName.c_str());
            SetCurrentFileName(shortName.c_str());
        }
    });
    int torn = 0;
    std::string example;
    char name[kLongPathSize];
    for (int i = 0; i < 200000; ++i) {
        GetCurrentFileName(name, sizeof name);
        std::string seen = name;
        if (seen != longName && seen != shortName) {
            ++torn;
            example = seen;
        }
    }
    stop = true;
    writer.join();
    EXPECT_EQ(torn, 0) << "e.g. " << example.size() << " bytes: " << example.substr(0, 40);
}

}  // namespace
