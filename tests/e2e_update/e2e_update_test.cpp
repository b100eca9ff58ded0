// The real update.exe under Wine, started with CreateProcessA and driven
// through its windows: the question, Update, Cancel and Escape, the messages,
// the files it brings over, the single-instance rule and its resources.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "e2e_update/update_driver.h"
#include "ui/main_dialog.h"
#include "support/expected_texts.h"
#include "support/test_support.h"

namespace {

using namespace testing_support;
using e2e::Process;

constexpr int kIdUpdate = 1008;
constexpr int kIdQuestion = 1009;
constexpr const char kRecordKey[] = "SOFTWARE\\Quorvel\\Brindlemarch";

// 2019-01-01 and 2021-06-15 as FILETIMEs: old installed files, new update files.
constexpr uint64_t kOldTime = 131908320000000000ull;
constexpr uint64_t kNewTime = 132682464000000000ull;

FILETIME ToFileTime(uint64_t value) {
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

uint64_t LastWriteOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

bool WriteDated(const std::string& path, std::size_t size, uint32_t seed, uint64_t time) {
    if (!WriteFileSized(path, size, seed)) return false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const FILETIME t = ToFileTime(time);
    const bool ok = SetFileTime(file, &t, &t, &t) != FALSE;
    CloseHandle(file);
    return ok;
}

bool WriteRecord(const std::string& installDir) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRecordKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const char cd[] = "E:\\Brindlemarch";
    const DWORD type = 1;
    bool ok = RegSetValueExA(key, "Dir", 0, REG_SZ, reinterpret_cast<const BYTE*>(installDir.c_str()),
                             static_cast<DWORD>(installDir.size() + 1)) == ERROR_SUCCESS &&
              RegSetValueExA(key, "CD", 0, REG_SZ, reinterpret_cast<const BYTE*>(cd), sizeof cd) == ERROR_SUCCESS &&
              RegSetValueExA(key, "InstType", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&type), sizeof type) ==
                  ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

// A file of the installed game or of the update: name, size, content seed.
struct Item {
    const char* name;
    std::size_t size;
    uint32_t seed;
};

// The installed game: old files. The update brings new contents for three
// of them and one file the game does not have yet; readme.txt has no update.
const Item kInstalled[] = {
    {"Brindlemarch.exe", 40000, 1}, {"gfx_2.arc", 70000, 2}, {"scn_3.arc", 65536, 3}, {"readme.txt", 900, 4}};
const Item kUpdate[] = {
    {"Brindlemarch.exe", 41000, 11}, {"gfx_2.arc", 65537, 12}, {"scn_3.arc", 1, 13}, {"scn_4.arc", 131072, 14}};

// One temporary layout: update.exe with its "Brindlemarch" folder beside it,
// the installed game, and the registry record naming it.
class UpdateRun : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteProductKey();
        const std::string built = EnvValue("BRINDLE_BIN") + "\\update.exe";
        ASSERT_TRUE(FileExists(built)) << built;
        ASSERT_TRUE(CreateDirectoryA(appDir.c_str(), nullptr)) << appDir << " GLE=" << GetLastError();
        ASSERT_TRUE(CreateDirectoryA(updateDir.c_str(), nullptr)) << updateDir << " GLE=" << GetLastError();
        ASSERT_TRUE(CreateDirectoryA(gameDir.c_str(), nullptr)) << gameDir << " GLE=" << GetLastError();
        ASSERT_TRUE(CopyFileA(built.c_str(), program.c_str(), FALSE)) << "GLE=" << GetLastError();
        for (const Item& item : kInstalled) {
            ASSERT_TRUE(WriteDated(gameDir + "\\" + item.name, item.size, item.seed, kOldTime)) << item.name;
        }
        for (const Item& item : kUpdate) {
            ASSERT_TRUE(WriteDated(updateDir + "\\" + item.name, item.size, item.seed, kNewTime)) << item.name;
        }
    }
    void TearDown() override { DeleteProductKey(); }

    void Record() { ASSERT_TRUE(WriteRecord(gameDir)) << "GLE=" << GetLastError(); }

    // Starts update.exe and waits for its question.
    HWND StartAndWait(Process& process, const std::string& currentDir = std::string()) {
        EXPECT_TRUE(process.Start(program, currentDir.empty() ? root.Path() : currentDir))
            << program << " GLE=" << GetLastError();
        HWND dialog = e2e::WaitForDialog(process.Id(), expected::kUpdateCaption);
        EXPECT_NE(dialog, nullptr) << "no question dialog within " << e2e::kDeadlineMs << " ms";
        return dialog;
    }

    void ExpectInstalledUntouched() {
        for (const Item& item : kInstalled) {
            const std::string path = gameDir + "\\" + item.name;
            EXPECT_EQ(ReadFileBytes(path), MakeContent(item.size, item.seed)) << path;
            EXPECT_EQ(LastWriteOf(path), kOldTime) << path;
        }
        EXPECT_FALSE(FileExists(gameDir + "\\scn_4.arc"));
    }

    void ExpectUpdated() {
        for (const Item& item : kUpdate) {
            const std::string path = gameDir + "\\" + item.name;
            EXPECT_EQ(ReadFileBytes(path), MakeContent(item.size, item.seed)) << path;
            EXPECT_EQ(LastWriteOf(path), kNewTime) << path;
        }
        const std::string readme = gameDir + "\\readme.txt";
        EXPECT_EQ(ReadFileBytes(readme), MakeContent(900, 4)) << "a file without update changed";
        EXPECT_EQ(LastWriteOf(readme), kOldTime);
    }

    TempDir root{"e2e"};
    const std::string appDir = root / "app";
    const std::string updateDir = appDir + "\\Brindlemarch";
    const std::string gameDir = root / "game";
    const std::string program = appDir + "\\update.exe";
};

TEST(UpdateSetting, RunsUnderJapaneseCodePage) {
    ASSERT_EQ(GetACP(), 932u);
}

TEST_F(UpdateRun, QuestionAndCaptionReadAsTheProductsTexts) {
    Record();
    Process process;
    HWND dialog = StartAndWait(process);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(e2e::TextOf(dialog), expected::kUpdateCaption);
    EXPECT_EQ(e2e::ItemText(dialog, kIdQuestion), expected::kUpdateQuestion);
    EXPECT_EQ(e2e::ItemText(dialog, kIdUpdate), expected::kUpdateButton);
    EXPECT_EQ(e2e::ItemText(dialog, IDCANCEL), expected::kCancelButton);
    // No system menu, hence no close box: only the two buttons end it.
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_EQ(style & WS_SYSMENU, 0) << std::hex << style;
    EXPECT_NE(style & WS_CAPTION, 0) << std::hex << style;
    // Owned by the hidden main window of the program.
    HWND owner = GetWindow(dialog, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(e2e::TextOf(owner), "Brindlemarch");
    ASSERT_TRUE(e2e::Click(dialog, IDCANCEL)) << "GLE=" << GetLastError();
    EXPECT_EQ(process.WaitExit(), 0u);
}

// Under Wine the work area cannot be changed for another process, so the
// program is checked against the area it shares with us here, and the
// centring itself in-process below with areas of other shapes.
TEST_F(UpdateRun, DialogIsCentredInTheWorkArea) {
    Record();
    Process process;
    HWND dialog = StartAndWait(process);
    ASSERT_NE(dialog, nullptr);
    RECT work;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) << "GLE=" << GetLastError();
    RECT frame;
    ASSERT_TRUE(GetWindowRect(dialog, &frame));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    EXPECT_EQ(frame.left, (work.left + work.right - width) >> 1)
        << "work " << work.left << "," << work.top << "-" << work.right << "," << work.bottom;
    EXPECT_EQ(frame.top, (work.top + work.bottom - height) >> 1);
    // 187 x 51 dialog units: clearly more than a sliver, less than the screen.
    EXPECT_GT(width, 187);
    EXPECT_GT(height, 51);
    EXPECT_LT(width, work.right - work.left);
    e2e::Click(dialog, IDCANCEL);
    EXPECT_EQ(process.WaitExit(), 0u);
}

// CenterInWorkArea with a work area that is not the screen: a taskbar at
// the bottom moves the window up by half its height, one at the left moves
// it right; odd sums are halved downwards, negative ones too (a window
// larger than the area starts left of and above it).
struct WorkAreaCase {
    const char* name;
    int leftInset, topInset, rightInset, bottomInset;
    int width, height;
};
class CenterInWorkAreaTest : public ::testing::TestWithParam<WorkAreaCase> {
protected:
    void SetUp() override { ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &screenArea, 0)); }
    void TearDown() override { SystemParametersInfoA(SPI_SETWORKAREA, 0, &screenArea, 0); }
    RECT screenArea{};
};

TEST_P(CenterInWorkAreaTest, KeepsTheSizeAndCentresInTheArea) {
    const WorkAreaCase& c = GetParam();
    RECT work = {screenArea.left + c.leftInset, screenArea.top + c.topInset, screenArea.right - c.rightInset,
                 screenArea.bottom - c.bottomInset};
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETWORKAREA, 0, &work, 0)) << "GLE=" << GetLastError();
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 5, 7, c.width, c.height, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr) << "GLE=" << GetLastError();
    CenterInWorkArea(window);
    RECT frame;
    GetWindowRect(window, &frame);
    DestroyWindow(window);
    EXPECT_EQ(frame.right - frame.left, c.width);
    EXPECT_EQ(frame.bottom - frame.top, c.height);
    EXPECT_EQ(frame.left, (work.left + work.right - c.width) >> 1);
    EXPECT_EQ(frame.top, (work.top + work.bottom - c.height) >> 1);
}

INSTANTIATE_TEST_SUITE_P(Areas, CenterInWorkAreaTest,
                         ::testing::Values(WorkAreaCase{"WholeScreen", 0, 0, 0, 0, 300, 120},
                                           WorkAreaCase{"TaskbarBottom", 0, 0, 0, 240, 300, 120},
                                           WorkAreaCase{"TaskbarLeftOddSums", 61, 0, 0, 0, 301, 121},
                                           WorkAreaCase{"TaskbarTop", 0, 33, 0, 0, 290, 95},
                                           WorkAreaCase{"WiderAndTallerThanTheArea", 0, 0, 0, 0, 4001, 3001}),
                         [](const auto& info) { return std::string(info.param.name); });

// Update by the button and by Enter (the default button).
struct PressCase {
    const char* name;
    bool byKey;
};
class UpdatePress : public UpdateRun, public ::testing::WithParamInterface<PressCase> {};

TEST_P(UpdatePress, BringsFilesAndTimesOverAndEndsWithZero) {
    Record();
    Process process;
    HWND dialog = StartAndWait(process);
    ASSERT_NE(dialog, nullptr);
    const bool pressed = GetParam().byKey ? e2e::PressKey(dialog, VK_RETURN) : e2e::Click(dialog, kIdUpdate);
    ASSERT_TRUE(pressed) << "GLE=" << GetLastError();

    HWND done = e2e::WaitForDialog(process.Id(), expected::kCaptionFinished);
    ASSERT_NE(done, nullptr) << "no completion message; confirm box: "
                             << (e2e::FindDialog(process.Id(), expected::kCaptionConfirm) != nullptr);
    EXPECT_EQ(e2e::BoxText(done), expected::kUpdateDone);
    ExpectUpdated();

    ASSERT_TRUE(e2e::Click(done, IDOK)) << "GLE=" << GetLastError();
    EXPECT_EQ(process.WaitExit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Ways, UpdatePress, ::testing::Values(PressCase{"Button", false}, PressCase{"Enter", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Cancel and Escape end the program with code 0 and touch nothing, with or
// without a recorded installation.
struct EndCase {
    const char* name;
    bool byKey;
    bool recorded;
};
class UpdateEnd : public UpdateRun, public ::testing::WithParamInterface<EndCase> {};

TEST_P(UpdateEnd, EndsWithZeroAndLeavesTheGameAlone) {
    if (GetParam().recorded) Record();
    Process process;
    HWND dialog = StartAndWait(process);
    ASSERT_NE(dialog, nullptr);
    const bool pressed = GetParam().byKey ? e2e::PressKey(dialog, VK_ESCAPE) : e2e::Click(dialog, IDCANCEL);
    ASSERT_TRUE(pressed) << "GLE=" << GetLastError();
    EXPECT_EQ(process.WaitExit(), 0u);
    ExpectInstalledUntouched();
}

INSTANTIATE_TEST_SUITE_P(Ways, UpdateEnd,
                         ::testing::Values(EndCase{"Cancel", false, true}, EndCase{"Escape", true, true},
                                           EndCase{"CancelWithoutRecord", false, false},
                                           EndCase{"EscapeWithoutRecord", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateRun, WithoutRecordUpdateAsksToInstallAndTheDialogStays) {
    Process process;
    HWND dialog = StartAndWait(process);
    ASSERT_NE(dialog, nullptr);
    // Twice: after the first notice the dialog still takes Update.
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(e2e::Click(dialog, kIdUpdate)) << "round " << round << " GLE=" << GetLastError();
        HWND box = e2e::WaitForDialog(process.Id(), expected::kCaptionConfirm);
        ASSERT_NE(box, nullptr) << "round " << round;
        EXPECT_EQ(e2e::BoxText(box), expected::kNotInstalled);
        EXPECT_EQ(GetWindow(box, GW_OWNER), dialog) << "the notice belongs to the dialog";
        ASSERT_TRUE(e2e::Click(box, IDOK));
        ASSERT_TRUE(e2e::WaitForDialogGone(process.Id(), expected::kCaptionConfirm));
        EXPECT_TRUE(process.Running());
        EXPECT_TRUE(IsWindowVisible(dialog));
    }
    EXPECT_EQ(e2e::FindDialog(process.Id(), expected::kCaptionFinished), nullptr);
    ExpectInstalledUntouched();
    e2e::PressKey(dialog, VK_ESCAPE);
    EXPECT_EQ(process.WaitExit(), 0u);
}

TEST_F(UpdateRun, SecondStartEndsAtOnceShowingNothing) {
    Record();
    Process first;
    HWND dialog = StartAndWait(first);
    ASSERT_NE(dialog, nullptr);

    Process second;
    ASSERT_TRUE(second.Start(program, root.Path())) << "GLE=" << GetLastError();
    bool shown = false;
    const DWORD start = GetTickCount();
    while (second.Running() && GetTickCount() - start < e2e::kDeadlineMs) {
        shown = shown || e2e::HasVisibleWindow(second.Id());
        Sleep(10);
    }
    EXPECT_EQ(second.WaitExit(0), 0u);
    EXPECT_FALSE(shown) << "the second instance showed a window";
    // The first one is neither ended nor disturbed.
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(e2e::FindDialog(first.Id(), expected::kUpdateCaption), dialog);
    e2e::Click(dialog, IDCANCEL);
    EXPECT_EQ(first.WaitExit(), 0u);
}

// The update folder is the one beside the program, whichever folder the
// program is started in; a decoy "Brindlemarch" folder in the current
// folder must not be used.
class UpdateFolder : public UpdateRun, public ::testing::WithParamInterface<const char*> {};

TEST_P(UpdateFolder, IsFoundBesideTheProgram) {
    Record();
    const std::string decoy = root / "decoy";
    ASSERT_TRUE(CreateDirectoryA(decoy.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((decoy + "\\Brindlemarch").c_str(), nullptr));
    for (const Item& item : kUpdate) {
        ASSERT_TRUE(WriteDated(decoy + "\\Brindlemarch\\" + item.name, 500, 99, kOldTime));
    }
    const std::string where = GetParam();
    Process process;
    HWND dialog = StartAndWait(process, where == "decoy" ? decoy : where);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(e2e::Click(dialog, kIdUpdate));
    HWND done = e2e::WaitForDialog(process.Id(), expected::kCaptionFinished);
    ASSERT_NE(done, nullptr);
    ExpectUpdated();
    e2e::Click(done, IDOK);
    EXPECT_EQ(process.WaitExit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(CurrentFolders, UpdateFolder, ::testing::Values("decoy", "C:\\"),
                         [](const auto& info) { return std::string(info.index == 0 ? "Decoy" : "DriveRoot"); });

// An update that cannot be brought over: the failure message names the
// file, no completion message, later files stay as they were, exit code 0.
TEST_F(UpdateRun, InstalledFolderRemovedShowsTheFailureAndEnds) {
    Record();
    ASSERT_TRUE(RemoveTree(gameDir));
    Process process;
    HWND dialog = StartAndWait(process);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(e2e::Click(dialog, kIdUpdate));
    HWND box = e2e::WaitForDialog(process.Id(), expected::kCaptionConfirm);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(e2e::BoxText(box), std::string("Brindlemarch.exe") + expected::kUpdateFailedAfterName);
    EXPECT_EQ(e2e::FindDialog(process.Id(), expected::kCaptionFinished), nullptr);
    e2e::Click(box, IDOK);
    EXPECT_EQ(process.WaitExit(), 0u);
    EXPECT_FALSE(FolderExists(gameDir)) << "the update made a folder of its own";
    EXPECT_EQ(e2e::FindDialog(process.Id(), expected::kCaptionFinished), nullptr);
}

TEST_F(UpdateRun, InstalledFileInUseShowsTheFailureAndStopsThere) {
    Record();
    const std::string busy = gameDir + "\\gfx_2.arc";
    HANDLE held = CreateFileA(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << "GLE=" << GetLastError();
    Process process;
    HWND dialog = StartAndWait(process);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(e2e::Click(dialog, kIdUpdate));
    HWND box = e2e::WaitForDialog(process.Id(), expected::kCaptionConfirm);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(e2e::BoxText(box), std::string("gfx_2.arc") + expected::kUpdateFailedAfterName);
    e2e::Click(box, IDOK);
    EXPECT_EQ(process.WaitExit(), 0u);
    CloseHandle(held);
    // Before the failing file: done; the failing file and what follows: not.
    EXPECT_EQ(ReadFileBytes(gameDir + "\\Brindlemarch.exe"), MakeContent(41000, 11));
    EXPECT_EQ(ReadFileBytes(busy), MakeContent(70000, 2));
    EXPECT_EQ(ReadFileBytes(gameDir + "\\scn_3.arc"), MakeContent(65536, 3));
    EXPECT_FALSE(FileExists(gameDir + "\\scn_4.arc"));
}

// The resources inside the built program, read back as the system reads them.
class Resources : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string built = EnvValue("BRINDLE_BIN") + "\\update.exe";
        module = LoadLibraryExA(built.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << built << " GLE=" << GetLastError();
    }
    void TearDown() override {
        if (module != nullptr) FreeLibrary(module);
    }
    std::vector<unsigned char> Load(const char* type, int id) {
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
        if (found == nullptr) return {};
        HGLOBAL loaded = LoadResource(module, found);
        const auto* data = static_cast<const unsigned char*>(LockResource(loaded));
        return std::vector<unsigned char>(data, data + SizeofResource(module, found));
    }
    HMODULE module = nullptr;
};

// Reads an extended dialog template field by field.
class TemplateReader {
public:
    explicit TemplateReader(const std::vector<unsigned char>& data) : data_(data) {}
    uint16_t Word() { return Get<uint16_t>(); }
    uint32_t Dword() { return Get<uint32_t>(); }
    int16_t Short() { return Get<int16_t>(); }
    // A size-or-ordinal or a text: returned as code page 932 bytes, or
    // "#id" for an ordinal.
    std::string Text() {
        if (pos_ + 2 <= data_.size() && Peek() == 0xFFFF) {
            Word();
            return "#" + std::to_string(Word());
        }
        std::wstring wide;
        while (uint16_t c = Word()) wide.push_back(static_cast<wchar_t>(c));
        char bytes[512] = {};
        WideCharToMultiByte(932, 0, wide.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
        return bytes;
    }
    void AlignDword() { pos_ = (pos_ + 3) & ~std::size_t{3}; }
    bool Ok() const { return ok_; }

private:
    uint16_t Peek() const { return static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8)); }
    template <typename T>
    T Get() {
        T value{};
        if (pos_ + sizeof(T) > data_.size()) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, &data_[pos_], sizeof(T));
        pos_ += sizeof(T);
        return value;
    }
    const std::vector<unsigned char>& data_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// A control class, given by the predefined ordinal or by name, by name.
std::string ClassName(std::string text) {
    if (text == "#128") return "BUTTON";
    if (text == "#130") return "STATIC";
    CharUpperA(&text[0]);
    return text;
}

TEST_F(Resources, DialogTemplateHasTheTabledLayout) {
    const std::vector<unsigned char> data = Load(MAKEINTRESOURCEA(5), 105);  // RT_DIALOG
    ASSERT_FALSE(data.empty()) << "no dialog 105";
    TemplateReader t(data);
    ASSERT_EQ(t.Word(), 1);       // version
    ASSERT_EQ(t.Word(), 0xFFFF);  // extended template
    t.Dword();                    // help id
    EXPECT_EQ(t.Dword(), 0u);     // extended style
    EXPECT_EQ(t.Dword(), static_cast<uint32_t>(WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT));
    const uint16_t controls = t.Word();
    EXPECT_EQ(t.Short(), 0);
    EXPECT_EQ(t.Short(), 0);
    EXPECT_EQ(t.Short(), 187);
    EXPECT_EQ(t.Short(), 51);
    EXPECT_EQ(t.Text(), "");  // menu
    EXPECT_EQ(t.Text(), "");  // class
    EXPECT_EQ(t.Text(), expected::kTemplateCaption);
    EXPECT_EQ(t.Word(), 9);    // points
    EXPECT_EQ(t.Word(), 400);  // weight
    t.Word();                  // italic, charset
    EXPECT_EQ(t.Text(), expected::kDialogFont);

    struct Control {
        uint16_t id;
        std::string className;
        std::string text;
        uint32_t style;
        int16_t x, y, cx, cy;
    };
    const Control want[] = {
        {1008, "BUTTON", expected::kUpdateButton, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 7, 30, 78, 14},
        {IDCANCEL, "BUTTON", expected::kCancelButton, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 102, 30, 78,
         14},
        {1009, "STATIC", "Static", WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 7, 7, 173, 20},
    };
    ASSERT_EQ(controls, 3);
    for (const Control& c : want) {
        SCOPED_TRACE(c.id);
        t.AlignDword();
        t.Dword();                 // help id
        EXPECT_EQ(t.Dword(), 0u);  // extended style
        EXPECT_EQ(t.Dword(), c.style);
        EXPECT_EQ(t.Short(), c.x);
        EXPECT_EQ(t.Short(), c.y);
        EXPECT_EQ(t.Short(), c.cx);
        EXPECT_EQ(t.Short(), c.cy);
        EXPECT_EQ(t.Dword(), c.id);
        EXPECT_EQ(ClassName(t.Text()), c.className);
        EXPECT_EQ(t.Text(), c.text);
        t.Word();  // creation data
    }
    EXPECT_TRUE(t.Ok()) << "template shorter than its fields";
}

TEST_F(Resources, IconIsOneImageOf48By48At32Bits) {
    const std::vector<unsigned char> group = Load(MAKEINTRESOURCEA(14), 104);  // RT_GROUP_ICON
    ASSERT_EQ(group.size(), 6u + 14u) << "one directory entry";
    EXPECT_EQ(group[4] | (group[5] << 8), 1);  // images
    EXPECT_EQ(group[6], 48);                   // width
    EXPECT_EQ(group[7], 48);                   // height
    EXPECT_EQ(group[12] | (group[13] << 8), 32);  // bits per pixel
    const int imageId = group[18] | (group[19] << 8);
    const std::vector<unsigned char> image = Load(MAKEINTRESOURCEA(3), imageId);  // RT_ICON
    ASSERT_GE(image.size(), 40u + 48u * 48u * 4u);
    EXPECT_EQ(image[14] | (image[15] << 8), 32);
}

TEST_F(Resources, ManifestNamesTheTwoSystemsAndNothingElse) {
    const std::vector<unsigned char> data = Load(MAKEINTRESOURCEA(24), 1);  // RT_MANIFEST
    ASSERT_FALSE(data.empty());
    const std::string manifest(data.begin(), data.end());
    EXPECT_NE(manifest.find("{e2011457-1546-43c5-a5fe-008deee3d3f0}"), std::string::npos);
    EXPECT_NE(manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"), std::string::npos);
    EXPECT_EQ(manifest.find("requestedExecutionLevel"), std::string::npos);
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
}

}  // namespace
