// Install transfer speed: RunTransfer, with its polling loop spinning on
// the calling thread, against a plain CopyFileA loop over the same files in
// the same run; also the CPU time the polling thread spent.
//
// Run under Wine from the source folder:
//   WINE_ROOT=$PWD/build-X/wine scripts/wine-run.sh build-X/bench/install_bench.exe [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/setup_engine.h"
#include "engine/text_format.h"
#include "bench/bench_support.h"

namespace {

using bench::ProgramFolder;
using bench::Seconds;
using bench::TempFolder;
using bench::WriteFilled;

constexpr uint32_t kMiB = 1024 * 1024;
constexpr int kLargeCount = 3;
constexpr uint32_t kLargeSize = 64 * kMiB;
// The selection flags cover 256 list entries: a few hundred small files
// that fit beside the large ones.
constexpr int kSmallCount = 250;
constexpr uint32_t kSmallSize = 64 * 1024;

// CPU time (user + kernel) of the calling thread, in seconds.
double ThreadCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0.0;
    auto value = [](const FILETIME& t) {
        return (static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
    };
    return value(kernel) + value(user);
}

void EmptyFolder(const std::string& folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) DeleteFileA((folder + "\\" + name).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string source = TempFolder("src");
    const std::string plainTarget = TempFolder("plain");
    const std::string transferTarget = TempFolder("transfer");
    const std::string blockTarget = TempFolder("block");
    const std::string waitTarget = TempFolder("wait");

    std::vector<std::string> names;
    for (int i = 0; i < kLargeCount; ++i) names.push_back("large" + std::to_string(i) + ".arc");
    for (int i = 0; i < kSmallCount; ++i) names.push_back("small" + std::to_string(i) + ".arc");
    double totalMiB = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        uint32_t size = i < kLargeCount ? kLargeSize : kSmallSize;
        if (!WriteFilled(source + "\\" + names[i], size, static_cast<uint32_t>(i + 1))) {
            std::fprintf(stderr, "cannot write %s\n", names[i].c_str());
            return 1;
        }
        totalMiB += size / static_cast<double>(kMiB);
    }

    std::vector<const char*> list;
    for (const std::string& name : names) list.push_back(name.c_str());
    list.push_back(nullptr);
    SetupEngine engine;  // no dialog window: the transfer steps no bar here
    engine.fileList = SetupEngine::DuplicateList(nullptr, list.data(), nullptr);
    CopyText(engine.sourceDir, sizeof engine.sourceDir, source.c_str());
    CopyText(engine.installDir, sizeof engine.installDir, transferTarget.c_str());

    // Alternating rounds; each round copies the whole set once each way into
    // fresh folders' emptied files.
    std::printf("files: %d x %u MiB + %d x %u KiB = %.1f MiB, %d rounds\n", kLargeCount, kLargeSize / kMiB,
                kSmallCount, kSmallSize / 1024, totalMiB, rounds);
    std::printf("round  CopyFileA  CopyOneFile  worker,waited  RunTransfer (MB/s)  ratio  polling thread CPU\n");
    std::vector<double> ratios;
    std::vector<double> pollingShares;  // RunTransfer against the same worker waited for
    bool completed = true;
    for (int round = 0; round < rounds; ++round) {
        EmptyFolder(plainTarget, names);
        EmptyFolder(blockTarget, names);
        EmptyFolder(transferTarget, names);
        EmptyFolder(waitTarget, names);

        double transferSeconds = 0;
        double pollingCpu = 0;
        auto runTransfer = [&] {
            const double cpuBefore = ThreadCpuSeconds();
            const double start = Seconds();
            completed = engine.RunTransfer() && completed;
            transferSeconds = Seconds() - start;
            pollingCpu = ThreadCpuSeconds() - cpuBefore;
        };
        if (round % 2 == 1) runTransfer();
        double start = Seconds();
        for (const std::string& name : names) {
            CopyFileA((source + "\\" + name).c_str(), (plainTarget + "\\" + name).c_str(), FALSE);
        }
        const double plainSeconds = Seconds() - start;
        // The block copy alone, on this thread: the worker's work without the
        // thread and the polling loop around it.
        start = Seconds();
        for (const std::string& name : names) {
            engine.CopyOneFile((blockTarget + "\\" + name).c_str(), (source + "\\" + name).c_str());
        }
        const double blockSeconds = Seconds() - start;
        // The same worker thread, waited for without polling: what the
        // polling loop itself costs.
        CopyText(engine.installDir, sizeof engine.installDir, waitTarget.c_str());
        engine.cancelState = kCancelNone;
        start = Seconds();
        {
            ThreadHandle worker(CreateThread(nullptr, 0, SetupEngine::TransferWorker, &engine, 0, nullptr));
            WaitForSingleObject(worker.Get(), INFINITE);
        }
        const double waitSeconds = Seconds() - start;
        CopyText(engine.installDir, sizeof engine.installDir, transferTarget.c_str());
        if (round % 2 == 0) runTransfer();

        const double ratio = plainSeconds / transferSeconds;
        ratios.push_back(ratio);
        pollingShares.push_back(waitSeconds / transferSeconds);
        std::printf("%5d  %9.1f  %11.1f  %13.1f  %11.1f         %5.2f  %.2f s (%.0f%% of its wall time)\n",
                    round + 1, totalMiB / plainSeconds, totalMiB / blockSeconds, totalMiB / waitSeconds,
                    totalMiB / transferSeconds, ratio, pollingCpu,
                    100.0 * pollingCpu / transferSeconds);
    }
    std::sort(ratios.begin(), ratios.end());
    std::sort(pollingShares.begin(), pollingShares.end());
    std::printf("median ratio RunTransfer / CopyFileA throughput: %.2f (%s)\n", ratios[ratios.size() / 2],
                completed ? "every transfer completed" : "a transfer FAILED");
    std::printf("median ratio RunTransfer / worker waited for without polling: %.2f\n",
                pollingShares[pollingShares.size() / 2]);

    EmptyFolder(source, names);
    EmptyFolder(plainTarget, names);
    EmptyFolder(transferTarget, names);
    EmptyFolder(blockTarget, names);
    EmptyFolder(waitTarget, names);
    RemoveDirectoryA(blockTarget.c_str());
    RemoveDirectoryA(waitTarget.c_str());
    RemoveDirectoryA(source.c_str());
    RemoveDirectoryA(plainTarget.c_str());
    RemoveDirectoryA(transferTarget.c_str());
    return completed ? 0 : 1;
}
