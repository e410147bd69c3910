// The configuration loaded at login against the sample site's own product database, in the
// three shapes its version history can have.

#include "tests/update/run/StartFixture.h"
#include "tools/sample-site/SampleSite.h"
#include "update/run/LoadConfiguration.h"

#include <gtest/gtest.h>

namespace update::run {
namespace {

class SampleSiteLogin : public starttest::StartTest {
protected:
    testsupport::TempDir siteDir;

    // Makes the sample database in a file of its own and points the run at it, as the login
    // does after a successful check of the administrator.
    void useSample(const std::string& file, const tools::samplesite::SampleOptions& options) {
        const std::string path = (siteDir / file).string();
        tools::samplesite::createSampleDatabase(path, options);
        context.DatabaseType = "FIREBIRD";
        context.UpdaterState.SqlUserName = "SYSDBA";
        context.UpdaterState.SqlPassword = "masterkey";
        context.UpdaterState.RunConnectionString =
            "provider=LCPI.IBProvider.2;user id=SYSDBA;password=masterkey;"
            "Persist Security Info=True;Location=" +
            path + ";ctype=WIN1251;auto_commit=True";
    }
};

TEST_F(SampleSiteLogin, VersionOfEmptyFilledAndMissingHistory) {
    struct Case {
        const char* what;
        bool withVersionTable;
        std::vector<std::string> versions;
        std::string version;
        std::int32_t nextId;
    };
    const Case cases[] = {
        {"empty BO_VERSION: the start versions", true, {}, "4.0; 4.1", 1},
        {"filled BO_VERSION: the newest row", true, {"3.5", "4.0", "4.1"}, "4.1", 4},
        {"no BO_VERSION", false, {}, "не определена", 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        tools::samplesite::SampleOptions options;
        options.withVersionTable = c.withVersionTable;
        options.versions = c.versions;
        useSample("site" + std::to_string(n++) + ".fdb", options);
        writeSettings("<UPDATES ALWAYS_UPDATE_DB=\"FALSE\"/>"
                      "<VERSIONS START_BD_VERSION=\" 4.0; 4.1 \" RESULT_BD_VERSION=\"4.2\"/>");

        ASSERT_TRUE(LoadConfiguration(context)) << c.what;
        EXPECT_EQ(context.UpdaterState.CurrentDbVersion, c.version) << c.what;
        EXPECT_EQ(context.UpdaterState.NextVersionId, c.nextId) << c.what;
        EXPECT_TRUE(host.boxes().empty()) << c.what;
        ASSERT_NE(context.connections.fibDB, nullptr);
        EXPECT_TRUE(context.connections.fibDB->connected()) << c.what;
        context.connections.closeAll();
    }
}

} // namespace
} // namespace update::run
