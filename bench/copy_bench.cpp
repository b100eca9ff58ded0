// Copy speed: CopyOneFile against the platform's CopyFileA on the same files
// in the same run, and ApplyUpdate against a plain loop of CopyFileA,
// SetFileAttributesA and SetFileTime doing the same work.
//
// Run under Wine from the source folder (rounds: 6 unless given):
//   scripts/wine-run.sh build/bench/copy_bench.exe [rounds]
// It writes up to about 650 MiB of test files into the temporary folder and a
// product folder beside itself, and removes them at the end.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/product_config.h"
#include "engine/setup_engine.h"
#include "engine/text_format.h"
#include "bench/bench_support.h"
#include "support/window_driver.h"

namespace {

using bench::ProgramFolder;
using bench::Seconds;
using bench::TempFolder;
using bench::WriteFilled;

constexpr uint32_t kMiB = 1024 * 1024;
constexpr int kLargeCount = 3;
constexpr uint32_t kLargeSize = 64 * kMiB;
constexpr int kSmallCount = 300;
constexpr uint32_t kSmallSize = 64 * 1024;

void RemoveFolder(const std::string& folder) {
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &data));
    if (find) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                std::string file = folder + "\\" + data.cFileName;
                SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(file.c_str());
            }
        } while (FindNextFileA(find.Get(), &data));
    }
    find.Reset();
    RemoveDirectoryA(folder.c_str());
}

struct FileSet {
    const char* label;
    std::vector<std::string> names;
    double bytes = 0;
};

// Copies every file of the set from one folder to another; seconds taken,
// or a negative value when a copy failed.
double CopySet(SetupEngine& engine, const FileSet& set, const std::string& from,
               const std::string& to, bool useCopyOneFile) {
    double start = Seconds();
    for (const std::string& name : set.names) {
        std::string source = from + "\\" + name;
        std::string destination = to + "\\" + name;
        bool ok = useCopyOneFile
                      ? engine.CopyOneFile(destination.c_str(), source.c_str()) == CopyResult::kCopied
                      : CopyFileA(source.c_str(), destination.c_str(), FALSE) != FALSE;
        if (!ok) {
            std::printf("copy of %s failed, GLE=%lu\n", source.c_str(), GetLastError());
            return -1;
        }
    }
    return Seconds() - start;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double MiBPerSecond(double bytes, double seconds) {
    return seconds > 0 ? bytes / kMiB / seconds : 0;
}

// Presses OK on the message boxes this process shows, from its own thread,
// and notes when the last one appeared.
class BoxPresser {
public:
    BoxPresser() : presser_(IDOK, Options(this)) {}

    double SeenAt() const { return seenAt_.load(); }
    int Pressed() const { return pressed_.load(); }

private:
    static window_driver::BoxPresserOptions Options(BoxPresser* self) {
        window_driver::BoxPresserOptions options;
        options.messageBoxesOnly = false;
        options.pollMs = 2;
        options.closeDeadlineMs = 2000;
        options.onSeen = [self] {
            self->seenAt_ = Seconds();
            ++self->pressed_;
        };
        return options;
    }

    std::atomic<double> seenAt_{0};
    std::atomic<int> pressed_{0};
    // Last: its thread starts after the counters are made and ends first.
    window_driver::BoxPresser presser_;
};

struct UpdateFile {
    const char* name;
    uint32_t size;
};
// A realistic update: a few large archives (two of them in both lists, so
// copied twice), some small files.
const UpdateFile kUpdateFiles[] = {
    {"gfx.arc", 64 * kMiB}, {"vox.arc", 48 * kMiB},  {"gfx_2.arc", 32 * kMiB},
    {"bgm_2.arc", 16 * kMiB}, {"ogg.dll", 200 * 1024}, {"vorbis.dll", 150 * 1024},
    {"readme.txt", 12 * 1024}, {"scn_3.arc", 64 * 1024}, {"scn_4.arc", 64 * 1024},
    {"scn_5.arc", 3 * kMiB},  {"Setting.exe", 300 * 1024},
};

// The same walk as the update, with the platform's calls only, ending with
// the same completion box. Seconds until the box appeared.
double PlainUpdate(const SetupEngine& engine, const std::string& sourceFolder) {
    BoxPresser presser;
    double start = Seconds();
    for (FileList list : {engine.fileList, engine.updateList}) {
        for (int i = 0; list[i][0] != '\0'; ++i) {
            std::string source = sourceFolder + "\\" + list[i];
            std::string destination = std::string(engine.installDir) + "\\" + list[i];
            SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!CopyFileA(source.c_str(), destination.c_str(), FALSE)) continue;
            FileHandle from(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            FileHandle to(CreateFileA(destination.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
            FILETIME c, a, w;
            if (from && to && GetFileTime(from.Get(), &c, &a, &w)) SetFileTime(to.Get(), &c, &a, &w);
        }
    }
    MessageBoxA(nullptr, "done", "bench", MB_OK | MB_ICONEXCLAMATION);
    return presser.SeenAt() - start;
}

bool RunCopyBench(int rounds) {
    std::string source = TempFolder("src");
    std::string toCopyOne = TempFolder("one");
    std::string toCopyFile = TempFolder("cfa");
    for (const std::string& f : {source, toCopyOne, toCopyFile}) CreateDirectoryA(f.c_str(), nullptr);

    FileSet large{"large", {}};
    FileSet small{"small", {}};
    bool ok = true;
    for (int i = 0; i < kLargeCount && ok; ++i) {
        large.names.push_back("large" + std::to_string(i) + ".bin");
        ok = WriteFilled(source + "\\" + large.names.back(), kLargeSize, 100 + i);
        large.bytes += kLargeSize;
    }
    for (int i = 0; i < kSmallCount && ok; ++i) {
        small.names.push_back("small" + std::to_string(i) + ".bin");
        ok = WriteFilled(source + "\\" + small.names.back(), kSmallSize, 1000 + i);
        small.bytes += kSmallSize;
    }
    if (!ok) std::printf("could not write the source files, GLE=%lu\n", GetLastError());

    SetupEngine engine;
    std::printf("CopyOneFile against CopyFileA, %d rounds, alternating order\n", rounds);
    for (const FileSet* set : {&large, &small}) {
        if (!ok) break;
        double timeOne = 0, timeFile = 0;
        double bestOne = 1e30, bestFile = 1e30;
        std::vector<double> ratios;
        std::printf("%s: %zu files, %.1f MiB per pass\n", set->label, set->names.size(), set->bytes / kMiB);
        for (int round = 0; round < rounds && ok; ++round) {
            double one = 0, file = 0;
            for (int turn = 0; turn < 2; ++turn) {
                bool copyOneTurn = (turn == 0) == (round % 2 == 0);
                double t = CopySet(engine, *set, source, copyOneTurn ? toCopyOne : toCopyFile, copyOneTurn);
                (copyOneTurn ? one : file) = t;
                ok = ok && t >= 0;
            }
            timeOne += one;
            timeFile += file;
            bestOne = std::min(bestOne, one);
            bestFile = std::min(bestFile, file);
            if (one > 0) ratios.push_back(file / one);
            std::printf("  round %d: CopyOneFile %8.1f MiB/s   CopyFileA %8.1f MiB/s   ratio %.3f\n", round + 1,
                        MiBPerSecond(set->bytes, one), MiBPerSecond(set->bytes, file),
                        one > 0 ? file / one : 0);
        }
        if (ok) {
            std::printf("  all:     CopyOneFile %8.1f MiB/s   CopyFileA %8.1f MiB/s   ratio %.3f   median ratio %.3f\n",
                        MiBPerSecond(set->bytes * rounds, timeOne), MiBPerSecond(set->bytes * rounds, timeFile),
                        timeFile / timeOne, Median(ratios));
            std::printf("  best:    CopyOneFile %8.1f MiB/s   CopyFileA %8.1f MiB/s   ratio %.3f\n",
                        MiBPerSecond(set->bytes, bestOne), MiBPerSecond(set->bytes, bestFile), bestFile / bestOne);
        }
    }
    for (const std::string& f : {source, toCopyOne, toCopyFile}) RemoveFolder(f);
    return ok;
}

bool RunUpdateBench(int rounds) {
    std::string productSource = ProgramFolder() + "\\" + productConfig.productFolder;
    std::string installed = TempFolder("inst");
    CreateDirectoryA(productSource.c_str(), nullptr);
    CreateDirectoryA(installed.c_str(), nullptr);
    bool ok = true;
    double bytes = 0;
    uint32_t seed = 7;
    for (const UpdateFile& f : kUpdateFiles) {
        ok = ok && WriteFilled(productSource + "\\" + f.name, f.size, ++seed);
        bool inBoth = std::strstr(f.name, "_2.arc") != nullptr;
        bytes += static_cast<double>(f.size) * (inBoth ? 2 : 1);
    }
    if (!ok) std::printf("could not write the update files, GLE=%lu\n", GetLastError());

    SetupEngine engine;
    engine.fileList = SetupEngine::DuplicateList(nullptr, productConfig.installFiles, nullptr);
    engine.updateList = SetupEngine::DuplicateList(nullptr, productConfig.updateFiles, nullptr);
    CopyText(engine.productFolder, sizeof engine.productFolder, productConfig.productFolder);
    CopyText(engine.installDir, sizeof engine.installDir, installed.c_str());

    std::printf("ApplyUpdate against CopyFileA + SetFileAttributesA + SetFileTime, %.1f MiB per update\n",
                bytes / kMiB);
    // One untimed pass of each first: the first message box of a process
    // loads the dialog machinery.
    {
        BoxPresser presser;
        ok = ok && engine.ApplyUpdate();
    }
    if (ok) PlainUpdate(engine, productSource);
    double timeApply = 0, timePlain = 0;
    double bestApply = 1e30, bestPlain = 1e30;
    std::vector<double> ratios;
    for (int round = 0; round < rounds && ok; ++round) {
        double apply = 0, plain = 0;
        for (int turn = 0; turn < 2 && ok; ++turn) {
            if ((turn == 0) == (round % 2 == 0)) {
                BoxPresser presser;
                double start = Seconds();
                ok = engine.ApplyUpdate();
                // The work is done when the completion box appears.
                apply = presser.SeenAt() - start;
                if (!ok || presser.Pressed() != 1) {
                    std::printf("ApplyUpdate failed (boxes pressed: %d)\n", presser.Pressed());
                    ok = false;
                }
            } else {
                plain = PlainUpdate(engine, productSource);
            }
        }
        timeApply += apply;
        timePlain += plain;
        bestApply = std::min(bestApply, apply);
        bestPlain = std::min(bestPlain, plain);
        if (apply > 0) ratios.push_back(plain / apply);
        std::printf("  round %d: ApplyUpdate %7.3f s   plain loop %7.3f s   ratio %.3f\n", round + 1, apply, plain,
                    apply > 0 ? plain / apply : 0);
    }
    if (ok) {
        std::printf("  all:     ApplyUpdate %8.1f MiB/s   plain loop %8.1f MiB/s   ratio %.3f   median ratio %.3f\n",
                    MiBPerSecond(bytes * rounds, timeApply), MiBPerSecond(bytes * rounds, timePlain),
                    timePlain / timeApply, Median(ratios));
        std::printf("  best:    ApplyUpdate %8.1f MiB/s   plain loop %8.1f MiB/s   ratio %.3f\n",
                    MiBPerSecond(bytes, bestApply), MiBPerSecond(bytes, bestPlain), bestPlain / bestApply);
    }
    RemoveFolder(productSource);
    RemoveFolder(installed);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 6;
    if (rounds < 1) rounds = 1;
    std::printf("(ratio = platform time / own time; 1.0 means equally fast; \"best\" compares the fastest\n"
                " pass of each, the figure least disturbed by other load on the machine)\n");
    bool ok = RunCopyBench(rounds);
    ok = RunUpdateBench(rounds) && ok;
    return ok ? 0 : 1;
}
