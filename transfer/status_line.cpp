// The two status lines shown during an installation. The worker hands over
// the name of the file it copies; the install thread's polling loop turns
// the spinner and counts the elapsed seconds.
#include "transfer/status_line.h"

#include <mmsystem.h>

#include <atomic>
#include <cstring>

#include "engine/setup_engine.h"
#include "engine/text_format.h"
#include "ui/main_dialog.h"

namespace {

// Full-width spinner characters, shown in this order and then again.
constexpr const char* kSpinner[4] = {"｜", "／", "―", "＼"};
constexpr int32_t kSpinnerCounterMask = 0x1FFFF;  // the file text is rewritten once per 131072 calls
constexpr DWORD kSecond = 1000;

// The name of the file being copied. The worker writes it, the install
// thread reads it; the lock keeps a reader from seeing half a name.
class SharedName {
public:
    void Set(const char* name) {
        AcquireSRWLockExclusive(&lock_);
        CopyText(text_, sizeof text_, name);
        present_.store(name[0] != '\0', std::memory_order_release);
        ReleaseSRWLockExclusive(&lock_);
    }
    void Get(char* out, std::size_t size) {
        AcquireSRWLockShared(&lock_);
        CopyText(out, size, text_);
        ReleaseSRWLockShared(&lock_);
    }
    // Cheap test for the polling loop, without taking the lock.
    bool Present() const { return present_.load(std::memory_order_acquire); }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    char text_[kLongPathSize] = {};
    std::atomic<bool> present_{false};
};

SharedName currentFileName;
std::atomic<int32_t> spinnerIndex{0};
std::atomic<int32_t> spinnerCounter{0};
std::atomic<uint32_t> clockTick{0};
std::atomic<int32_t> elapsedHours{0};
std::atomic<int32_t> elapsedMinutes{0};
std::atomic<int32_t> elapsedSeconds{0};
std::atomic<MillisecondClock> clockSource{nullptr};

DWORD Now() {
    MillisecondClock clock = clockSource.load();
    return clock != nullptr ? clock() : timeGetTime();
}

// Adds one second to the shown time; minutes and seconds run 0 to 59.
void CountSecond() {
    int32_t seconds = elapsedSeconds.load() + 1;
    if (seconds > 59) {
        seconds = 0;
        int32_t minutes = elapsedMinutes.load() + 1;
        if (minutes > 59) {
            minutes = 0;
            elapsedHours.fetch_add(1);
        }
        elapsedMinutes.store(minutes);
    }
    elapsedSeconds.store(seconds);
}

}  // namespace

void SetStatusText(const char* text, int line) {
    if (line != 0 && line != 1) return;
    SetDlgItemTextA(mainDialogWnd, line == 0 ? kIdStatusLine0 : kIdStatusLine1, text);
}

void UpdateStatusLine() {
    if (!currentFileName.Present()) return;

    if (spinnerCounter.load() == 0) {
        char name[kLongPathSize];
        currentFileName.Get(name, sizeof name);
        int32_t index = spinnerIndex.load();
        char text[kLongPathSize];
        FormatMessageText(text, sizeof text, "%s %s", name, kSpinner[index & 3]);
        spinnerIndex.store((index + 1) & 3);
        SetStatusText(text, 0);
    }
    spinnerCounter.store((spinnerCounter.load() + 1) & kSpinnerCounterMask);

    uint32_t tick = clockTick.load();
    if (Now() - tick <= kSecond) return;  // unsigned: the timer's wrap-around does no harm
    // The boundary moves by exactly one second; a reset by a new worker in
    // between wins.
    if (!clockTick.compare_exchange_strong(tick, tick + kSecond)) return;
    CountSecond();
    char text[kLongPathSize];
    FormatMessageText(text, sizeof text, "%d:%02d:%02d", static_cast<int>(elapsedHours.load()),
                      static_cast<int>(elapsedMinutes.load()), static_cast<int>(elapsedSeconds.load()));
    SetStatusText(text, 1);
}

void SetCurrentFileName(const char* name) {
    currentFileName.Set(name);
}

void GetCurrentFileName(char* out, int size) {
    if (size > 0) currentFileName.Get(out, static_cast<std::size_t>(size));
}

void ResetElapsedClock() {
    elapsedHours.store(0);
    elapsedMinutes.store(0);
    elapsedSeconds.store(0);
    clockTick.store(Now());
}

void SetStatusClock(MillisecondClock clock) {
    clockSource.store(clock);
}

StatusLineState GetStatusLineState() {
    return StatusLineState{spinnerIndex.load(), spinnerCounter.load(), elapsedHours.load(),
                           elapsedMinutes.load(), elapsedSeconds.load()};
}

void ResetStatusLineForTest() {
    currentFileName.Set("");
    spinnerIndex.store(0);
    spinnerCounter.store(0);
    elapsedHours.store(0);
    elapsedMinutes.store(0);
    elapsedSeconds.store(0);
    clockTick.store(Now());
}
