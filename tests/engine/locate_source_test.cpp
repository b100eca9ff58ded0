// The search for the product disc, under drive layouts that the test's
// launcher sets up in the Wine prefix (tests/layouts/engine_*.sh).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "app/product_config.h"
#include "engine/setup_engine.h"
#include "support/test_support.h"

namespace {

std::unique_ptr<SetupEngine> LocateWith(int labelCount) {
    auto engine = std::make_unique<SetupEngine>();
    engine->volumeLabels = SetupEngine::DuplicateList(nullptr, productConfig.volumeLabels, nullptr);
    engine->volumeLabelCount = labelCount;
    EXPECT_TRUE(engine->LocateSource("Brindlemarch", "Brindlemarch.exe"));
    return engine;
}

// Lower case, no trailing backslash: the folder of this program.
std::string OwnFolder() {
    return testing_support::ProgramFolder();
}

// The layout's expected result: EXPECT_SOURCE names a drive ("e:") or
// "program" for the fallback.
std::string ExpectedSource() {
    std::string expected = testing_support::EnvValue("EXPECT_SOURCE");
    return expected == "program" ? OwnFolder() : expected;
}

TEST(LocateSource, FindsTheExpectedSource) {
    ASSERT_FALSE(testing_support::EnvValue("EXPECT_SOURCE").empty()) << "the layout names its expectation";
    EXPECT_EQ(ExpectedSource(), std::string(LocateWith(1)->sourceDir));
}

TEST(LocateSource, NoLabelCountMeansNoDisc) {
    EXPECT_EQ(OwnFolder(), std::string(LocateWith(0)->sourceDir));
    EXPECT_EQ(OwnFolder(), std::string(LocateWith(-1)->sourceDir));
}

TEST(QueryDrive, ClassifiesDrivesAndReadsLabels) {
    SetupEngine engine;
    char label[MAX_PATH] = "unchanged";
    EXPECT_EQ(kDriveFixed, engine.QueryDrive("c:\\", label, sizeof label));
    std::string expectedKinds = testing_support::EnvValue("EXPECT_KINDS");  // e.g. "e=2:Brindlemarch f=1"
    std::size_t pos = 0;
    while (pos < expectedKinds.size()) {
        std::size_t end = expectedKinds.find(' ', pos);
        if (end == std::string::npos) end = expectedKinds.size();
        std::string item = expectedKinds.substr(pos, end - pos);
        pos = end + 1;
        char root[] = "?:\\";
        root[0] = item[0];
        int kind = item[2] - '0';
        std::string expectedLabel = item.size() > 4 ? item.substr(4) : std::string("unchanged");
        std::strcpy(label, "unchanged");
        SCOPED_TRACE(item);
        EXPECT_EQ(kind, engine.QueryDrive(root, label, sizeof label));
        EXPECT_EQ(expectedLabel, std::string(label));
    }
    std::strcpy(label, "unchanged");
    EXPECT_EQ(kDriveNone, engine.QueryDrive("q:\\", label, sizeof label)) << "no such drive";
    EXPECT_STREQ("unchanged", label) << "an unreadable label leaves the buffer";
}

}  // namespace
