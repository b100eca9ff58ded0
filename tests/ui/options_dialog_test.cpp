// The install options dialog run from template 109 of setup.exe's own
// resources, driven by messages posted from a timer inside its modal loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/product_config.h"
#include "engine/setup_engine.h"
#include "support/expected_texts.h"
#include "ui/main_dialog.h"
#include "ui/options_dialog.h"

namespace {

using Step = std::function<void(HWND)>;

// Runs the options dialog modally; a thread timer performs one step per
// tick on the open dialog. After the last step the dialog must have ended
// by itself; if it has not within the deadline it is closed and the run
// reported as hung.
class OptionsRun {
public:
    explicit OptionsRun(std::vector<Step> steps) : steps_(std::move(steps)) {}

    INT_PTR Run() {
        current_ = this;
        UINT_PTR timer = SetTimer(nullptr, 0, 15, OnTick);
        INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kOptionsDialogTemplate),
                                         nullptr, OptionsDialogProc, 0);
        KillTimer(nullptr, timer);
        current_ = nullptr;
        return result;
    }
    bool Hung() const { return hung_; }
    bool StepsDone() const { return next_ == steps_.size(); }

private:
    static BOOL CALLBACK FindDialog(HWND window, LPARAM out) {
        char cls[16] = {};
        GetClassNameA(window, cls, sizeof cls);
        if (std::string(cls) == "#32770" && IsWindowVisible(window)) {
            *reinterpret_cast<HWND*>(out) = window;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
        OptionsRun* self = current_;
        if (!self) return;
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) return;
        if (self->next_ < self->steps_.size()) {
            self->steps_[self->next_++](dialog);
            return;
        }
        // All steps done and the dialog still open: allow a few ticks for a
        // posted end, then give up.
        if (++self->idleTicks_ > 40) {
            self->hung_ = true;
            EndDialog(dialog, -2);
        }
    }

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    int idleTicks_ = 0;
    bool hung_ = false;
    static OptionsRun* current_;
};
OptionsRun* OptionsRun::current_ = nullptr;

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
std::string Text(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// Engine state after a start without a registration, all components chosen.
class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        appInstance = GetModuleHandleA(nullptr);
        setupEngine.SetTransferRange(0, 0, 9999);
        setupEngine.SetRequiredSpace(3000);
        productConfig.requiredMB = 3000;
        SetComponents(1, 1, 1);
        optionsState = 0;
    }
    static void SetComponents(unsigned char gfx, unsigned char bgm, unsigned char vox) {
        setupEngine.selected[kGfxArchiveIndex] = gfx;
        setupEngine.selected[kBgmArchiveIndex] = bgm;
        setupEngine.selected[kVoxArchiveIndex] = vox;
    }
    struct Range {
        int type, first, end;
        uint32_t mb;
    };
    static Range Engine() {
        return {setupEngine.instType, setupEngine.firstIndex, setupEngine.endIndex, setupEngine.requiredMB};
    }
};

std::string RangeText(int type, int first, int end, uint32_t mb) {
    return "type " + std::to_string(type) + " [" + std::to_string(first) + "," + std::to_string(end) + ") " +
           std::to_string(mb) + "MB";
}
#define EXPECT_ENGINE(type, first, end, mb)                                                              \
    EXPECT_EQ(RangeText(type, first, end, mb), RangeText(setupEngine.instType, setupEngine.firstIndex, \
                                                         setupEngine.endIndex, setupEngine.requiredMB))

TEST(EstimateRequiredMB, SumsTheChosenComponents) {
    struct Case {
        unsigned char gfx, bgm, vox;
        int32_t mb;
    } cases[] = {
        {0, 0, 0, 140},  {1, 0, 0, 1340}, {0, 1, 0, 360},  {0, 0, 1, 880},
        {1, 1, 0, 1560}, {1, 0, 1, 2080}, {0, 1, 1, 1100}, {1, 1, 1, 2300},
        // Only the value 1 counts as chosen.
        {2, 0xff, 0, 140},
    };
    for (const Case& c : cases) {
        setupEngine.selected[kGfxArchiveIndex] = c.gfx;
        setupEngine.selected[kBgmArchiveIndex] = c.bgm;
        setupEngine.selected[kVoxArchiveIndex] = c.vox;
        EXPECT_EQ(c.mb, EstimateRequiredMB()) << "gfx " << int(c.gfx) << " bgm " << int(c.bgm) << " vox " << int(c.vox);
    }
}

TEST_F(OptionsDialog, OpeningAndOkChangeNothing) {
    SetComponents(1, 0, 1);
    optionsState = 77;
    std::string caption, space;
    bool boxes[4] = {};
    int stateAtOpen = -1;
    OptionsRun run({[&](HWND d) {
                        char text[128] = {};
                        GetWindowTextA(d, text, sizeof text);
                        caption = text;
                        space = Text(d, kIdSpaceText);
                        boxes[0] = Checked(d, kIdAlwaysChecked);
                        boxes[1] = Checked(d, kIdGfxComponent);
                        boxes[2] = Checked(d, kIdBgmComponent);
                        boxes[3] = Checked(d, kIdVoxComponent);
                        stateAtOpen = optionsState;
                    },
                    [](HWND d) { Click(d, kIdOptionsOk); }});
    EXPECT_EQ(kIdOptionsOk, run.Run()) << "GLE=" << GetLastError();
    EXPECT_FALSE(run.Hung());
    EXPECT_EQ(expected::kOptionsCaption, caption);
    EXPECT_EQ(0, stateAtOpen);
    EXPECT_EQ(0, optionsState);
    EXPECT_TRUE(boxes[0]) << "1020 is checked at opening";
    EXPECT_TRUE(boxes[1]);
    EXPECT_FALSE(boxes[2]) << "bgm flag 0 shows unchecked";
    EXPECT_TRUE(boxes[3]);
    EXPECT_EQ("\x81\x5c", space) << "the space text keeps the template's text until the user acts";
    EXPECT_ENGINE(0, 0, 9999, 3000u);
    EXPECT_EQ(1, setupEngine.selected[kGfxArchiveIndex]);
    EXPECT_EQ(0, setupEngine.selected[kBgmArchiveIndex]);
    EXPECT_EQ(1, setupEngine.selected[kVoxArchiveIndex]);
}

TEST_F(OptionsDialog, ToggleAlternatesWholeListAndBaseFiles) {
    setupEngine.SetRequiredSpace(1234);
    struct Row {
        int state, type, end;
    } rows[] = {{1, 2, 9999}, {0, 1, 11}, {1, 2, 9999}};
    std::vector<std::string> seen;
    std::vector<Step> steps;
    for (const Row& r : rows) {
        steps.push_back([](HWND d) { Click(d, kIdTypeToggle); });
        steps.push_back([&seen, r](HWND d) {
            EXPECT_EQ(r.state, optionsState);
            EXPECT_ENGINE(r.type, 0, r.end, 3000u);
            EXPECT_EQ("3000M byte", Text(d, kIdSpaceText));
            seen.push_back(Text(d, kIdSpaceText));
        });
    }
    steps.push_back([](HWND d) { Click(d, kIdOptionsOk); });
    OptionsRun run(steps);
    EXPECT_EQ(kIdOptionsOk, run.Run());
    EXPECT_TRUE(run.StepsDone());
    EXPECT_EQ(3u, seen.size());
    EXPECT_EQ(1, optionsState) << "OK keeps the toggle position";
    // The toggle leaves the components and the configuration's estimate.
    EXPECT_EQ(3000, productConfig.requiredMB);
    EXPECT_EQ(1, setupEngine.selected[kGfxArchiveIndex]);
    EXPECT_EQ(1, setupEngine.selected[kBgmArchiveIndex]);
    EXPECT_EQ(1, setupEngine.selected[kVoxArchiveIndex]);
}

TEST_F(OptionsDialog, ComponentsAndToggleEachDecideTheRequiredSpace) {
    productConfig.requiredMB = 9;
    std::vector<Step> steps = {
        [](HWND d) { Click(d, kIdTypeToggle); },
        [](HWND d) { Click(d, kIdGfxComponent); },
        [](HWND d) {
            // A component change after a toggle replaces the type's size.
            EXPECT_EQ(0, setupEngine.selected[kGfxArchiveIndex]);
            EXPECT_FALSE(Checked(d, kIdGfxComponent));
            EXPECT_EQ("1100M", Text(d, kIdSpaceText));
            EXPECT_ENGINE(2, 0, 9999, 1100u);
            EXPECT_EQ(1100, productConfig.requiredMB);
            Click(d, kIdBgmComponent);
        },
        [](HWND d) { Click(d, kIdVoxComponent); },
        [](HWND d) {
            EXPECT_EQ("140M", Text(d, kIdSpaceText));
            EXPECT_EQ(140u, setupEngine.requiredMB);
            EXPECT_EQ(140, productConfig.requiredMB);
            for (int id : {kIdGfxComponent, kIdBgmComponent, kIdVoxComponent}) Click(d, id);
        },
        [](HWND d) {
            EXPECT_EQ("2300M", Text(d, kIdSpaceText));
            EXPECT_EQ(2300u, setupEngine.requiredMB);
            Click(d, kIdGfxComponent);
        },
        [](HWND d) {
            EXPECT_EQ(1100u, setupEngine.requiredMB);
            // A toggle after a component change puts the type's size back.
            Click(d, kIdTypeToggle);
        },
        [](HWND d) {
            EXPECT_EQ("3000M byte", Text(d, kIdSpaceText));
            EXPECT_ENGINE(1, 0, 11, 3000u);
            EXPECT_EQ(1100, productConfig.requiredMB) << "the toggle leaves the configuration's estimate";
            EXPECT_EQ(0, setupEngine.selected[kGfxArchiveIndex]);
            Click(d, kIdOptionsOk);
        },
    };
    OptionsRun run(steps);
    EXPECT_EQ(kIdOptionsOk, run.Run());
    EXPECT_TRUE(run.StepsDone());
    EXPECT_EQ(0, optionsState);
}

TEST_F(OptionsDialog, CancelKeepsChangesAndMarksCancelled) {
    OptionsRun run({[](HWND d) { Click(d, kIdTypeToggle); }, [](HWND d) { Click(d, kIdBgmComponent); },
                    [](HWND d) { Click(d, kIdOptionsCancel); }});
    EXPECT_EQ(kIdOptionsCancel, run.Run());
    EXPECT_EQ(kOptionsCancelled, optionsState);
    EXPECT_ENGINE(2, 0, 9999, 2080u);
    EXPECT_EQ(0, setupEngine.selected[kBgmArchiveIndex]);

    // The next opening starts from the first toggle position again and shows
    // what the engine kept.
    bool bgmShown = true;
    int stateAtOpen = -1;
    OptionsRun again({[&](HWND d) {
                          stateAtOpen = optionsState;
                          bgmShown = Checked(d, kIdBgmComponent);
                      },
                      [](HWND d) { Click(d, kIdTypeToggle); }, [](HWND d) { Click(d, kIdOptionsOk); }});
    EXPECT_EQ(kIdOptionsOk, again.Run());
    EXPECT_EQ(0, stateAtOpen);
    EXPECT_FALSE(bgmShown);
    EXPECT_EQ(1, optionsState);
    EXPECT_ENGINE(2, 0, 9999, 3000u);
}

TEST_F(OptionsDialog, EscapeAndCloseCommandDoNotEndIt) {
    bool openAfter = false;
    OptionsRun run({
        [](HWND d) {
            PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            PostMessageA(GetFocus() ? GetFocus() : d, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0);
        },
        [](HWND) {},
        [](HWND) {},
        [&](HWND d) {
            openAfter = IsWindowVisible(d) != FALSE;
            Click(d, kIdOptionsOk);
        },
    });
    EXPECT_EQ(kIdOptionsOk, run.Run());
    EXPECT_TRUE(openAfter);
    EXPECT_EQ(0, optionsState);
    EXPECT_ENGINE(0, 0, 9999, 3000u);
}

TEST_F(OptionsDialog, OpensCentredInTheWorkArea) {
    RECT frame = {}, work = {};
    OptionsRun run({[&](HWND d) {
                        GetWindowRect(d, &frame);
                        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
                    },
                    [](HWND d) { Click(d, kIdOptionsOk); }});
    run.Run();
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    EXPECT_EQ((work.left + work.right - width) >> 1, frame.left);
    EXPECT_EQ((work.top + work.bottom - height) >> 1, frame.top);
}

}  // namespace
