// Finding and driving dialog windows from outside their code: the windows of
// a started program, or the message boxes the calling process shows itself.
// Needs no test framework, so the benchmark programs use it too.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace window_driver {

// Milliseconds a window may take to answer WM_GETTEXT.
constexpr DWORD kTextTimeoutMs = 30000;
// The static control holding the text of a message box.
constexpr int kBoxTextId = 0xFFFF;

using Match = std::function<bool(HWND)>;

// Whether window is a visible dialog-class (#32770) window.
bool IsVisibleDialog(HWND window);
// The first visible top-level window of process pid (any class) that
// satisfies match (every one when match is empty); null when none.
HWND FindWindowOf(DWORD pid, const Match& match = Match());
// The first visible dialog-class window of pid that satisfies match.
HWND FindDialog(DWORD pid, const Match& match = Match());
// Polls FindDialog every pollMs until the deadline; null then.
HWND WaitForDialog(DWORD pid, const Match& match, DWORD deadlineMs, DWORD pollMs = 20);
// Polls until FindDialog finds nothing; false at the deadline.
bool WaitForDialogGone(DWORD pid, const Match& match, DWORD deadlineMs, DWORD pollMs = 20);

// Text of a window, also of another process (WM_GETTEXT), as bytes; empty
// when it does not answer within timeoutMs or window is null.
std::string TextOf(HWND window, DWORD timeoutMs = kTextTimeoutMs, UINT flags = SMTO_ABORTIFHUNG);
// The text of a message box (its static kBoxTextId); empty when none.
std::string BoxText(HWND box);

// Windows with exactly this caption (code page 932 bytes).
Match WithCaption(const std::string& caption);
// Message boxes whose text contains part.
Match BoxContaining(const std::string& part);
// Windows holding the static kBoxTextId.
Match IsMessageBox();

// Clicks a button of a dialog: posted, never sent, so a box the click opens
// does not block the caller. False when there is no such button.
bool Click(HWND dialog, int id);

struct SeenBox {
    std::string caption;
    std::string text;
    int pressed;  // IDOK, or the Yes/No answer
};

struct BoxPresserOptions {
    // Only windows with the static kBoxTextId; otherwise every visible
    // dialog window of the process counts as a box.
    bool messageBoxesOnly = true;
    // Pause between looks for a box and for its closing.
    DWORD pollMs = 5;
    // How long a pressed box may stay; after that Stuck() holds and the box
    // is closed (closeWhenStuck) or looked at again as a new box.
    DWORD closeDeadlineMs = 5000;
    bool closeWhenStuck = false;
    // Presses again every repressMs while the box stays (0: press once), in
    // case the first press came before the box could take it.
    DWORD repressMs = 0;
    // Called on the presser's thread as soon as a box is found.
    std::function<void()> onSeen;
};

// Answers every message box of the calling process from a thread of its own:
// OK boxes with IDOK, Yes/No questions with yesNoAnswer. Records what each
// box said, in order.
class BoxPresser {
public:
    explicit BoxPresser(int yesNoAnswer = IDYES, BoxPresserOptions options = BoxPresserOptions());
    ~BoxPresser();
    BoxPresser(const BoxPresser&) = delete;
    BoxPresser& operator=(const BoxPresser&) = delete;

    std::vector<SeenBox> Seen() const;
    // Stops watching and returns every box seen.
    std::vector<SeenBox> Finish();
    // True when a box did not go away within the deadline after its press.
    bool Stuck() const { return stuck_.load(); }
    // Every box seen, one per line, for failure messages.
    std::string Describe() const;

private:
    void Loop();
    void PressUntilGone(HWND box, int button);

    const int yesNoAnswer_;
    const BoxPresserOptions options_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> stuck_{false};
    mutable std::mutex mutex_;
    std::vector<SeenBox> seen_;
    std::thread thread_;
};

}  // namespace window_driver
