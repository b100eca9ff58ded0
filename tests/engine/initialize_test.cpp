// Building the engine from the product table.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "app/product_config.h"
#include "engine/setup_engine.h"
#include "support/test_support.h"

namespace {

int CountNames(FileList list) {
    int n = 0;
    while (list[n][0] != '\0') ++n;
    return n;
}

std::unique_ptr<SetupEngine> Initialized() {
    auto engine = std::make_unique<SetupEngine>();
    const ProductConfig& c = productConfig;
    engine->Initialize(c.installFiles, c.updateFiles, c.volumeLabels, nullptr, c.companyName, c.productTitle,
                       c.productFolder, static_cast<uint32_t>(c.requiredMB));
    return engine;
}

class InitializeTest : public ::testing::Test {
protected:
    void SetUp() override { testing_support::DeleteProductKey(); }
    void TearDown() override { testing_support::DeleteProductKey(); }
};

TEST_F(InitializeTest, DefaultsBeforeInitialize) {
    SetupEngine engine;
    EXPECT_EQ(nullptr, engine.fileList);
    EXPECT_STREQ("c:\\Program Files", engine.installParent);
    EXPECT_EQ(1, engine.volumeLabelCount);
    EXPECT_EQ(9999, engine.endIndex);
    EXPECT_EQ(0, engine.cancelState.load());
    for (int i = 0; i < kInstallFileCount; ++i) EXPECT_EQ(1, engine.selected[i]) << i;
    engine.Release();  // safe without Initialize
    engine.Release();
}

TEST_F(InitializeTest, CleanPrefixMeansNotInstalled) {
    auto engine = Initialized();
    EXPECT_EQ(0, engine->installed);
    EXPECT_EQ(kInstallFileCount, CountNames(engine->fileList));
    EXPECT_EQ(kUpdateFileCount, CountNames(engine->updateList));
    EXPECT_EQ(1, CountNames(engine->volumeLabels));
    EXPECT_STREQ("gfx.arc", engine->fileList[1]);
    EXPECT_STREQ("debuglog.txt", engine->fileList[27]);
    EXPECT_STREQ("scn_6.arc", engine->updateList[9]);
    EXPECT_EQ(testing_support::ProgramFolder() + "\\Brindlemarch", std::string(engine->sourceDir));
    EXPECT_STREQ("", engine->installDir);
    EXPECT_STREQ("Software\\Quorvel\\Brindlemarch", engine->regKeyPath);
    EXPECT_STREQ("Quorvel", engine->companyName);
    EXPECT_STREQ("Brindlemarch", engine->productName);
    EXPECT_STREQ("Brindlemarch", engine->productFolder);
    EXPECT_EQ(3000u, engine->requiredMB);
    EXPECT_EQ(nullptr, engine->dialogWnd);
}

TEST_F(InitializeTest, RecordMeansInstalled) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvel\\Brindlemarch", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    const char dir[] = "d:\\Quorvel\\Brindlemarch";
    const char cd[] = "e:\\Brindlemarch";
    int32_t type = 2;
    RegSetValueExA(key, "Dir", 0, REG_SZ, reinterpret_cast<const BYTE*>(dir), sizeof dir);
    RegSetValueExA(key, "CD", 0, REG_SZ, reinterpret_cast<const BYTE*>(cd), sizeof cd);
    RegSetValueExA(key, "InstType", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&type), sizeof type);
    RegCloseKey(key);

    auto engine = Initialized();
    EXPECT_EQ(1, engine->installed);
    EXPECT_STREQ(dir, engine->installDir);
    EXPECT_STREQ(cd, engine->sourceDir) << "the recorded source wins over the located one";
    EXPECT_EQ(2, engine->instType);
    EXPECT_FALSE(engine->regKey.Valid());
}

TEST(FileListTest, CopiesAndEmptyLists) {
    const char* none[] = {nullptr};
    int count = 0;
    FileList empty = SetupEngine::DuplicateList(nullptr, none, &count);
    EXPECT_EQ(1, count);
    EXPECT_STREQ("", empty[0]);

    // A name longer than a slot is cut inside its 128-byte buffer.
    std::string longName(200, 'n');
    const char* names[] = {"a.arc", longName.c_str(), nullptr};
    FileList list = SetupEngine::DuplicateList(empty, names, &count);  // frees the old list
    EXPECT_EQ(3, count);
    EXPECT_STREQ("a.arc", list[0]);
    EXPECT_EQ(127u, std::strlen(list[1]));
    EXPECT_STREQ("", list[2]);
    EXPECT_TRUE(SetupEngine::FreeList(list));
    EXPECT_TRUE(SetupEngine::FreeList(nullptr));
}

TEST(ProductTable, ListsAndWritableSlots) {
    EXPECT_STREQ("ExecuteProgram", productConfig.installFiles[0]) << "replaced only at start-up";
    EXPECT_STREQ("uninst.exe", productConfig.installFiles[kUninstallerIndex]);
    EXPECT_STREQ("readme.txt", productConfig.installFiles[kReadmeIndex]);
    EXPECT_EQ(nullptr, productConfig.installFiles[kInstallFileCount]);
    EXPECT_EQ(nullptr, productConfig.updateFiles[kUpdateFileCount]);
    // "Brindlemarch　セットアップ": one ideographic space (81 40).
    EXPECT_STREQ("Brindlemarch\x81\x40\x83\x5a\x83\x62\x83\x67\x83\x41\x83\x62\x83\x76", productConfig.windowClassName);
}

}  // namespace
