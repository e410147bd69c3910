// The conversion library libvarnex.so run by the library host: on the sample product database,
// whose lookup forms are in the old layout, and on a database it cannot open.

#include "tests/update/engine/EngineFixture.h"
#include "tools/sample-site/SampleSite.h"
#include "update/engine/LibraryHost.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using enginetest::EngineTest;
using update::engine::ExecuteLibrary;

const std::string kVarnex = std::string(TEST_LIBRARY_DIR) + "/libvarnex.so";

class VarnexHostTest : public EngineTest {
protected:
    VarnexHostTest() {
        host.setBarMaximum(100);
        context.CurrentItemShare = 100;
        context.ItemStartPosition = 0;
    }
};

TEST_F(VarnexHostTest, ConvertsTheSampleDatabase) {
    dbPath = (programDir / "catalex.fdb").string();
    tools::samplesite::createSampleDatabase(dbPath);
    context.DatabaseType = "FIREBIRD";
    context.UpdaterState.RunConnectionString =
        enginetest::databaseConnectionString(dbPath) + ";ctype=WIN1251";
    EXPECT_TRUE(ExecuteLibrary(context, kVarnex)) << logText();
    EXPECT_EQ(host.barPosition(), 100) << "the library reported its end";
}

TEST_F(VarnexHostTest, ADatabaseItCannotOpen) {
    context.DatabaseType = "FIREBIRD";
    context.UpdaterState.RunConnectionString =
        enginetest::databaseConnectionString((programDir / "none.fdb").string());
    EXPECT_FALSE(ExecuteLibrary(context, kVarnex));
    const auto lines = log();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "При работе библиотеки произошло исключение:"),
              lines.end())
        << logText();
}

} // namespace
