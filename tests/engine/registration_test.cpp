// The installation record against the real registry (HKLM, 32-bit view).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/setup_engine.h"
#include "support/test_support.h"

namespace {

const char kKey[] = "SOFTWARE\\Quorvel\\Brindlemarch";

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::DeleteProductKey();
        engine = std::make_unique<SetupEngine>();
    }
    void TearDown() override {
        engine.reset();
        HKEY sub;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &sub) == ERROR_SUCCESS) {
            RegDeleteKeyA(sub, "Sub");
            RegCloseKey(sub);
        }
        testing_support::DeleteProductKey();
    }

    // Writes one raw value under the product key.
    static void PutValue(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &key, nullptr));
        LONG rc = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
        ASSERT_EQ(ERROR_SUCCESS, rc) << name;
    }
    static void PutText(const char* name, const char* text) {
        PutValue(name, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
    }
    static void PutFullRecord(const char* dir, const char* cd, int32_t type) {
        PutText("Dir", dir);
        PutText("CD", cd);
        PutValue("InstType", REG_DWORD, &type, sizeof type);
    }
    // Raw bytes of a stored value; empty when it is missing.
    static std::vector<char> GetValue(const char* name, DWORD* type = nullptr) {
        HKEY key;
        std::vector<char> data;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return data;
        DWORD size = 0, t = 0;
        if (RegQueryValueExA(key, name, nullptr, &t, nullptr, &size) == ERROR_SUCCESS) {
            data.resize(size);
            RegQueryValueExA(key, name, nullptr, &t, reinterpret_cast<BYTE*>(data.data()), &size);
            data.resize(size);
        }
        RegCloseKey(key);
        if (type) *type = t;
        return data;
    }

    void SetFields(const char* dir, const char* cd, int32_t type) {
        std::strcpy(engine->installDir, dir);
        std::strcpy(engine->sourceDir, cd);
        engine->instType = type;
    }

    std::unique_ptr<SetupEngine> engine;
};

TEST_F(RegistrationTest, NoKeyReadsNothing) {
    SetFields("c:\\old", "e:\\Brindlemarch", 7);
    EXPECT_FALSE(engine->ReadRegistration());
    EXPECT_STREQ("c:\\old", engine->installDir);
    EXPECT_STREQ("e:\\Brindlemarch", engine->sourceDir);
    EXPECT_EQ(7, engine->instType);
    EXPECT_FALSE(engine->regKey.Valid());
}

TEST_F(RegistrationTest, FullRecordIsRead) {
    PutFullRecord("d:\\Games\\Quorvel\\Brindlemarch", "e:\\Brindlemarch", 2);
    SetFields("", "f:\\Brindlemarch", 0);  // as located: replaced by the record
    EXPECT_TRUE(engine->ReadRegistration());
    EXPECT_STREQ("d:\\Games\\Quorvel\\Brindlemarch", engine->installDir);
    EXPECT_STREQ("e:\\Brindlemarch", engine->sourceDir);
    EXPECT_EQ(2, engine->instType);
    EXPECT_FALSE(engine->regKey.Valid());
}

TEST_F(RegistrationTest, DirOnlyReplacesDirAndFails) {
    PutText("Dir", "d:\\Quorvel\\Brindlemarch");
    SetFields("", "z:\\located\\Brindlemarch", 0);
    EXPECT_FALSE(engine->ReadRegistration());
    EXPECT_STREQ("d:\\Quorvel\\Brindlemarch", engine->installDir);
    EXPECT_STREQ("z:\\located\\Brindlemarch", engine->sourceDir);
    EXPECT_FALSE(engine->regKey.Valid());
}

// "InstType" is taken byte for byte whatever its stored type.
TEST_F(RegistrationTest, InstTypeOfAnotherType) {
    struct Case {
        const char* name;
        DWORD type;
        std::vector<unsigned char> data;
        bool ok;
        int32_t expected;  // from a field that held 0x11223344
    };
    const Case cases[] = {
        {"binary 4 bytes", REG_BINARY, {0x02, 0x00, 0x00, 0x00}, true, 2},
        {"binary 2 bytes", REG_BINARY, {0x05, 0x00}, true, 0x11220005},
        {"binary 8 bytes", REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0}, false, 0x11223344},
        {"text \"1\"", REG_SZ, {'1', 0}, true, 0x11220031},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::DeleteProductKey();
        PutText("Dir", "c:\\Quorvel\\Brindlemarch");
        PutText("CD", "e:\\Brindlemarch");
        PutValue("InstType", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        engine->instType = 0x11223344;
        EXPECT_EQ(c.ok, engine->ReadRegistration());
        EXPECT_EQ(c.expected, engine->instType);
        EXPECT_FALSE(engine->regKey.Valid());
    }
}

// A text value must fit the 260-byte field with its terminator; one that
// does not, leaves the field as it was.
TEST_F(RegistrationTest, TextValuesThatDoNotFitLeaveTheField) {
    struct Case {
        const char* name;
        std::string data;  // raw bytes stored, as REG_BINARY so no terminator is added
        bool ok;
        std::string expectedDir;
    };
    const std::string dir259 = "c:\\" + std::string(256, 'a');          // 259 bytes of text
    const std::string dir260 = "c:\\" + std::string(257, 'b');          // 260 bytes of text
    const Case cases[] = {
        {"259 bytes + terminator fits", dir259 + std::string(1, '\0'), true, dir259},
        {"260 bytes, no terminator", dir260, false, "c:\\before"},
        {"300 bytes with terminator", "c:\\" + std::string(296, 'c') + std::string(1, '\0'), false, "c:\\before"},
        {"short, unterminated", "c:\\short", true, "c:\\short"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::DeleteProductKey();
        PutValue("Dir", REG_BINARY, c.data.data(), static_cast<DWORD>(c.data.size()));
        PutText("CD", "e:\\Brindlemarch");
        int32_t type = 1;
        PutValue("InstType", REG_DWORD, &type, sizeof type);
        std::memset(engine->installDir, 'x', sizeof engine->installDir);  // no terminator left by chance
        std::strcpy(engine->installDir, "c:\\before");
        EXPECT_EQ(c.ok, engine->ReadRegistration());
        EXPECT_EQ(c.expectedDir, std::string(engine->installDir));
        EXPECT_FALSE(engine->regKey.Valid());
    }
}

// A record whose folder is not an absolute path is no installation.
TEST_F(RegistrationTest, DamagedDirIsNoInstallation) {
    struct Case {
        const char* dir;
        bool ok;
    };
    const Case cases[] = {
        {"", false},
        {"Quorvel\\Brindlemarch", false},
        {"\\Quorvel\\Brindlemarch", false},
        {"c:Quorvel", false},
        {"\\\\", false},
        {"\\\\server", false},
        {"c:\\", true},
        {"D:\\Quorvel\\Brindlemarch", true},
        {"\\\\server\\share\\Brindlemarch", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("Dir=\"") + c.dir + "\"");
        testing_support::DeleteProductKey();
        PutFullRecord(c.dir, "e:\\Brindlemarch", 1);
        EXPECT_EQ(c.ok, engine->ReadRegistration());
        EXPECT_FALSE(engine->regKey.Valid());
    }
}

// Texts are stored with their terminator and the byte after it.
TEST_F(RegistrationTest, WrittenTextsCarryTwoExtraBytes) {
    // The field held a longer text before: its remnant follows the new one.
    const std::string before = "c:\\Program Files\\Quorvel\\Brindlemarch";
    const std::string after = "c:\\Games\\Brindlemarc";
    ASSERT_EQ(20u, after.size());
    std::strcpy(engine->installDir, before.c_str());
    std::strcpy(engine->installDir, after.c_str());
    std::strcpy(engine->sourceDir, "e:\\Brindlemarch");
    engine->instType = 2;
    ASSERT_TRUE(engine->WriteRegistration());
    EXPECT_FALSE(engine->regKey.Valid());

    DWORD type = 0;
    std::vector<char> dir = GetValue("Dir", &type);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    ASSERT_EQ(22u, dir.size());
    EXPECT_EQ(after, std::string(dir.data()));
    EXPECT_EQ('\0', dir[20]);
    EXPECT_EQ(before[21], dir[21]) << "the remnant of the longer text";

    std::vector<char> cd = GetValue("CD");
    ASSERT_EQ(17u, cd.size());
    EXPECT_EQ('\0', cd[16]) << "a fresh field holds zeros after its text";

    std::vector<char> inst = GetValue("InstType", &type);
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    ASSERT_EQ(4u, inst.size());
    EXPECT_EQ(2, *reinterpret_cast<int32_t*>(inst.data()));
}

TEST_F(RegistrationTest, A259ByteTextIsWrittenWithAZeroAndCannotBeReadBack) {
    const std::string long259 = "c:\\" + std::string(256, 'q');
    std::strcpy(engine->installDir, long259.c_str());
    std::strcpy(engine->sourceDir, "e:\\Brindlemarch");
    ASSERT_TRUE(engine->WriteRegistration());
    std::vector<char> dir = GetValue("Dir");
    ASSERT_EQ(261u, dir.size());
    EXPECT_EQ('\0', dir[259]);
    EXPECT_EQ('\0', dir[260]);

    auto reader = std::make_unique<SetupEngine>();
    std::strcpy(reader->installDir, "c:\\before");
    EXPECT_FALSE(reader->ReadRegistration());
    EXPECT_STREQ("c:\\before", reader->installDir);
}

TEST_F(RegistrationTest, WriteReadRoundTripOfJapaneseFolders) {
    // "ソ" and "表" end in the byte 0x5C, the backslash.
    const char dir[] = "c:\\ゲーム\\ソフト表";
    const char cd[] = "e:\\ソース";
    std::strcpy(engine->installDir, dir);
    std::strcpy(engine->sourceDir, cd);
    engine->instType = 1;
    ASSERT_TRUE(engine->WriteRegistration());

    auto reader = std::make_unique<SetupEngine>();
    ASSERT_TRUE(reader->ReadRegistration());
    EXPECT_STREQ(dir, reader->installDir);
    EXPECT_STREQ(cd, reader->sourceDir);
    EXPECT_EQ(1, reader->instType);
}

TEST_F(RegistrationTest, OverwritingKeepsForeignValues) {
    PutFullRecord("c:\\old", "e:\\old", 1);
    PutText("Other", "kept");
    std::strcpy(engine->installDir, "d:\\new");
    std::strcpy(engine->sourceDir, "f:\\new");
    engine->instType = 2;
    ASSERT_TRUE(engine->WriteRegistration());
    EXPECT_EQ(std::string("d:\\new"), std::string(GetValue("Dir").data()));
    EXPECT_EQ(std::string("f:\\new"), std::string(GetValue("CD").data()));
    EXPECT_EQ(std::string("kept"), std::string(GetValue("Other").data()));
}

TEST_F(RegistrationTest, DeleteRegistration) {
    EXPECT_FALSE(engine->DeleteRegistration(kKey)) << "absent key";

    PutFullRecord("c:\\x", "e:\\x", 1);
    HKEY sub;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvel\\Brindlemarch\\Sub", 0,
                                             nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr));
    RegCloseKey(sub);
    EXPECT_FALSE(engine->DeleteRegistration(kKey)) << "a key with a subkey stays";
    EXPECT_TRUE(testing_support::ProductKeyExists());

    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvel\\Brindlemarch\\Sub"));
    EXPECT_TRUE(engine->DeleteRegistration(kKey));
    EXPECT_FALSE(testing_support::ProductKeyExists());
    HKEY company;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvel", 0, KEY_READ, &company))
        << "the company key is never deleted";
    RegCloseKey(company);
}

// The key lies in the 32-bit view, as a 32-bit program on 64-bit Windows
// sees it.
TEST_F(RegistrationTest, RecordLandsInThe32BitView) {
    std::strcpy(engine->installDir, "c:\\x");
    ASSERT_TRUE(engine->WriteRegistration());
    HKEY key;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\Quorvel\\Brindlemarch", 0,
                                           KEY_READ | KEY_WOW64_64KEY, &key));
    RegCloseKey(key);
}

TEST_F(RegistrationTest, KeyHandleIsClosedOnEveryPath) {
    EXPECT_TRUE(engine->CreateKey(kKey));
    EXPECT_TRUE(engine->regKey.Valid());
    EXPECT_FALSE(engine->ReadValue("Missing", engine->installDir, kFieldSize));
    EXPECT_FALSE(engine->regKey.Valid()) << "a failing read closes the key";
    EXPECT_FALSE(engine->OpenKey("SOFTWARE\\Quorvel\\NoSuchProduct"));
    EXPECT_FALSE(engine->regKey.Valid());
}

}  // namespace
