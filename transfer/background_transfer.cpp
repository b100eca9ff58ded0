// The install transfer: a worker thread copies the selected files of the
// main list while the calling thread moves the progress bar and keeps the
// status lines up to date.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "engine/setup_engine.h"
#include "engine/text_format.h"
#include "transfer/status_line.h"
#include "ui/main_dialog.h"

namespace {

constexpr uint16_t kProgressUnits = 1000;

// Number of names in an owned list, up to its empty terminator.
int ListLength(FileList list) {
    int n = 0;
    while (list != nullptr && list[n][0] != '\0') ++n;
    return n;
}

// Walks the index window [firstIndex, endIndex) of the main list, calling
// visit(i) for every index; visit returns false to stop the walk. The walk
// also stops at the list's end and at the last selection flag.
template <typename Visit>
void WalkWindow(const SetupEngine& engine, int first, int end, Visit visit) {
    FileList list = engine.fileList;
    if (list == nullptr || first < 0 || first > ListLength(list)) return;
    for (int i = first; i < kSelectionSlots && list[i][0] != '\0'; ++i) {
        if (i == end) return;
        if (!visit(i)) return;
    }
}

// The progress bar: the control of the engine's dialog window or, since
// start-up gives the engine none, of the main dialog, so that the bar the
// user sees moves. Without either there is none to reach.
HWND ProgressBar(HWND dialog, int id) {
    if (dialog == nullptr) dialog = mainDialogWnd;
    return dialog != nullptr ? GetDlgItem(dialog, id) : nullptr;
}

// Steps the bar up to units; the bar never moves back, but the shown count
// follows a lower value so that later growth steps again from there.
void ShowUnits(SetupEngine& engine, int32_t units) {
    engine.unitsDone = units;
    int32_t shown = engine.unitsShown.load();
    if (units == shown) return;
    for (int32_t d = units - shown; d > 0; --d) engine.StepProgress();
    engine.unitsShown = units;
}

}  // namespace

uint32_t SetupEngine::SelectedBytes() const {
    uint32_t total = 0;
    WalkWindow(*this, firstIndex, endIndex, [&](int i) {
        if (selected[i] == 1) {
            char source[kFieldSize];
            // A source path that does not fit names no file: it counts 0.
            if (FormatPath(source, sizeof source, "%s\\%s", sourceDir, fileList[i])) {
                total += GetFileSizeOf(source);
            }
        }
        return true;
    });
    return total;
}

DWORD WINAPI SetupEngine::TransferWorker(LPVOID param) {
    SetupEngine& engine = *static_cast<SetupEngine*>(param);
    const int first = engine.firstIndex;
    const int end = engine.endIndex;
    engine.busy = 1;
    ResetElapsedClock();

    WalkWindow(engine, first, end, [&](int i) {
        int32_t stopped = kCancelCopyStopped;
        if (engine.cancelState.compare_exchange_strong(stopped, kCancelWorkerStopped)) return false;
        if (engine.selected[i] != 1) return true;

        const char* name = engine.fileList[i];
        char destination[kFieldSize];
        char source[kFieldSize];
        bool fits = FormatPath(destination, sizeof destination, "%s\\%s", engine.installDir, name) &&
                    FormatPath(source, sizeof source, "%s\\%s", engine.sourceDir, name);
        SetCurrentFileName(name);
        // A copy that could not be made whole fails the transfer; the
        // worker copies nothing further. A missing source is passed over.
        if (!fits || engine.CopyOneFile(destination, source) == CopyResult::kFailed) {
            engine.copyFailed = true;
            return false;
        }
        return true;
    });

    engine.busy = 0;
    return GetCurrentThreadId();
}

bool SetupEngine::RunTransfer() {
    uint32_t total = SelectedBytes();
    ResetProgress(kProgressUnits);

    busy = 1;
    cancelState = kCancelNone;
    copyFailed = false;
    bytesCopied = 0;
    bytesPerUnit = total / kProgressUnits;
    unitsDone = 0;
    unitsShown = 0;

    DWORD id = 0;
    ThreadHandle worker(CreateThread(nullptr, 0, TransferWorker, this, 0, &id));
    if (!worker) {
        workerThreadId = 0;
        busy = 0;
        return false;
    }
    workerThreadId = id;
    worker.Reset();  // nothing waits for the worker

    while (busy.load() != 0) {
        UpdateStatusLine();
        AdvanceProgress();
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            Sleep(0);
        }
    }

    AdvanceProgress();
    // Below 1000 selected bytes there is no unit to count by: the bar is
    // filled once the transfer has ended.
    if (bytesPerUnit == 0) ShowUnits(*this, kProgressUnits);

    return cancelState.load() <= kCancelNone && !copyFailed.load();
}

void SetupEngine::ResetProgress(uint16_t range) {
    HWND bar = ProgressBar(dialogWnd, progressCtrlId);
    if (bar == nullptr) return;
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, range));
    SendMessageA(bar, PBM_SETSTEP, 1, 0);
    SendMessageA(bar, PBM_SETPOS, 0, 0);
}

void SetupEngine::StepProgress() {
    HWND bar = ProgressBar(dialogWnd, progressCtrlId);
    if (bar != nullptr) SendMessageA(bar, PBM_STEPIT, 0, 0);
}

void SetupEngine::AdvanceProgress() {
    if (bytesPerUnit == 0) return;  // no division; RunTransfer fills the bar at the end
    ShowUnits(*this, static_cast<int32_t>(bytesCopied.load() / bytesPerUnit));
}

void SetupEngine::ShowStatus(const char* text) {
    SetStatusText(text, 0);
}
