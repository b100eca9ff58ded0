// Start-up time: from CreateProcessA to the program's dialog being visible,
// update.exe against a minimal program showing a dialog of the same size,
// alternating in the same run. Each started program is then cancelled and
// waited for, so that the next start finds no running instance.
//
// Run under Wine from the source folder:
//   WINE_ROOT=build-X/wine scripts/wine-run.sh build-X/bench/startup_bench.exe [rounds [program]]
// program replaces build-X/bin/update.exe (a Windows path), for trying variants.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/handles.h"
#include "bench/bench_support.h"
#include "support/window_driver.h"

namespace {

using bench::ProgramFolder;
using bench::Seconds;

// Seconds from the start of program to its visible dialog; negative on failure.
double TimeToDialog(const std::string& program, const std::string& folder) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + program + "\"";
    const double start = Seconds();
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info)) {
        std::printf("cannot start %s (GLE=%lu)\n", program.c_str(), GetLastError());
        return -1;
    }
    ThreadHandle process(info.hProcess);
    ThreadHandle thread(info.hThread);
    HWND found = nullptr;
    double shown = -1;
    while (Seconds() - start < 60) {
        found = window_driver::FindDialog(info.dwProcessId);
        if (found != nullptr) {
            shown = Seconds() - start;
            break;
        }
        if (WaitForSingleObject(process.Get(), 1) == WAIT_OBJECT_0) break;
    }
    if (found != nullptr) PostMessageA(found, WM_COMMAND, IDCANCEL, 0);
    if (WaitForSingleObject(process.Get(), 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.Get(), 1);
        WaitForSingleObject(process.Get(), 5000);
    }
    return shown;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Mean(const std::vector<double>& values) {
    double sum = 0;
    for (double v : values) sum += v;
    return sum / static_cast<double>(values.size());
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::string here = ProgramFolder();
    const std::string update = argc > 2 ? std::string(argv[2]) : here + "\\..\\bin\\update.exe";
    const std::string minimal = here + "\\startup_minimal_dialog.exe";

    // One unmeasured start of each warms the server and the file cache.
    if (TimeToDialog(update, here) < 0 || TimeToDialog(minimal, here) < 0) return 1;

    std::vector<double> updateTimes, minimalTimes;
    for (int round = 0; round < rounds; ++round) {
        const double u = TimeToDialog(update, here);
        const double m = TimeToDialog(minimal, here);
        if (u < 0 || m < 0) return 1;
        updateTimes.push_back(u);
        minimalTimes.push_back(m);
    }
    std::printf("start to visible dialog, %d rounds alternating\n", rounds);
    std::printf("  %s\n", update.c_str());
    std::printf("  update.exe              median %7.1f ms  mean %7.1f ms  min %7.1f ms\n",
                Median(updateTimes) * 1000, Mean(updateTimes) * 1000,
                *std::min_element(updateTimes.begin(), updateTimes.end()) * 1000);
    std::printf("  minimal dialog program  median %7.1f ms  mean %7.1f ms  min %7.1f ms\n",
                Median(minimalTimes) * 1000, Mean(minimalTimes) * 1000,
                *std::min_element(minimalTimes.begin(), minimalTimes.end()) * 1000);
    std::printf("  ratio (median)          %.2f  (goal: at most 1.20)\n", Median(updateTimes) / Median(minimalTimes));
    return 0;
}
