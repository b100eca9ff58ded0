// Presses the message boxes the test process itself shows, from a thread of
// its own, and keeps their texts for the test to check.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace transfer_test {

struct ShownBox {
    std::string caption;
    std::string text;
};

class BoxPresser {
public:
    BoxPresser();
    ~BoxPresser();
    BoxPresser(const BoxPresser&) = delete;
    BoxPresser& operator=(const BoxPresser&) = delete;

    // Stops watching and returns every box that was pressed, in order.
    std::vector<ShownBox> Finish();
    // True when a box did not go away within the deadline after its press.
    bool Stuck() const { return stuck_.load(); }

private:
    void Run();

    std::atomic<bool> stop_{false};
    std::atomic<bool> stuck_{false};
    std::mutex mutex_;
    std::vector<ShownBox> boxes_;
    std::thread thread_;
};

}  // namespace transfer_test
