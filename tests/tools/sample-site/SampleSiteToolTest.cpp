// update-sample-site makes a site the updater can log into: enciphered credentials in the
// database and the product keys in the site's own registry store.

#include "platform/db/ConnectionString.h"
#include "platform/registry/Registry.h"
#include "tests/support/TempDir.h"
#include "update/connect/CredentialForms.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

using platform::registry::Root;

namespace {

int runTool(const std::string& arguments) {
    const char* tools = std::getenv("UPDATE_TOOLS_DIR");
    const std::string command =
        std::string(tools ? tools : ".") + "/update-sample-site " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(SampleSiteTool, MakesALoggableSiteWithItsOwnRegistry) {
    testsupport::TempDir dir;
    const std::string site = (dir / "site").string();
    ASSERT_EQ(runTool(site), 0);

    testsupport::ScopedEnv registry("UPDATE_REGISTRY_DIR", site + "/registry");
    std::string version;
    ASSERT_EQ(platform::registry::ReadRegString(Root::LocalMachine, "Software\\Korvel\\Catalex",
                                                "CurrentVersion", version),
              0);
    EXPECT_EQ(version, "4.0");
    std::string install;
    ASSERT_EQ(platform::registry::ReadRegString(
                  Root::LocalMachine, "Software\\Korvel\\Catalex\\4.0", "InstallPath", install),
              0);
    EXPECT_EQ(install, site + "/catalex/");
    EXPECT_TRUE(platform::registry::RegKeyExists(Root::LocalMachine, "Software\\Korvel\\Plexar"));

    std::string saved;
    ASSERT_EQ(platform::registry::ReadRegBinary(Root::LocalMachine,
                                                "SOFTWARE\\Korvel\\Catalex\\4.0\\BDConnection",
                                                "ConnectionString", saved),
              0);
    const std::string connection = update::connect::decipherLoginText(saved);
    EXPECT_NE(connection.find("Location=" + site + "/db/catalex.fdb;"), std::string::npos)
        << connection;

    auto db = platform::db::openConnection(
        platform::db::firebirdConnectionString(site + "/db/catalex.fdb", "SYSDBA", "masterkey"));
    auto admin = db->query("SELECT PAROL, USERNAMESQL, PASSWORDSQL FROM LOGON_USER "
                           "WHERE USERNAME = 'ADMIN'");
    ASSERT_EQ(admin->recordCount(), 1);
    EXPECT_EQ(admin->text("PAROL"), update::connect::storedFormNew("admin"));
    EXPECT_EQ(update::connect::readStoredNew(admin->text("USERNAMESQL")), "SYSDBA");
    EXPECT_EQ(update::connect::readStoredNew(admin->text("PASSWORDSQL")), "masterkey");
}

TEST(SampleSiteTool, RefusesToOverwriteASiteOrRunWithoutFolder) {
    testsupport::TempDir dir;
    const std::string site = (dir / "site").string();
    ASSERT_EQ(runTool(site), 0);
    EXPECT_EQ(runTool(site), 1);
    EXPECT_EQ(runTool(""), 1);
    EXPECT_EQ(runTool("--bogus"), 1);
}
