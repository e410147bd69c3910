// update-sample-site makes a site the updater can log into: enciphered credentials in the
// database and the product keys in the site's own registry store.

#include "platform/db/ConnectionString.h"
#include "platform/registry/Registry.h"
#include "tests/support/TempDir.h"
#include "update/connect/CredentialForms.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

using platform::registry::Root;

namespace {

struct Outcome {
    int status = -1;
    std::string err;
};

// Runs the tool through the shell with the arguments as written there.
Outcome runTool(const std::string& arguments) {
    const char* tools = std::getenv("UPDATE_TOOLS_DIR");
    testsupport::TempDir out;
    const std::string errFile = (out / "err").string();
    const std::string command = std::string(tools ? tools : ".") + "/update-sample-site " +
                                arguments + " >/dev/null 2>" + errFile;
    const int status = std::system(command.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.err = testsupport::readFile(errFile);
    return outcome;
}

} // namespace

TEST(SampleSiteTool, MakesALoggableSiteWithItsOwnRegistry) {
    testsupport::TempDir dir;
    const std::string site = (dir / "site").string();
    ASSERT_EQ(runTool(site).status, 0);

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

TEST(SampleSiteTool, RefusesToOverwriteASite) {
    testsupport::TempDir dir;
    const std::string site = (dir / "site").string();
    ASSERT_EQ(runTool(site).status, 0);
    const Outcome again = runTool(site);
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("catalex.fdb exists already"), std::string::npos) << again.err;
}

TEST(SampleSiteTool, WrongCommandLinesEndWithStatusTwoAndThePointerToHelp) {
    testsupport::TempDir dir;
    const std::string site = (dir / "site").string();
    struct Case {
        std::string arguments;
        const char* message;
    };
    const Case cases[] = {
        {"", "the FOLDER of the site is missing"},
        {"''", "the FOLDER of the site is missing"},
        {"--bogus", "unknown option '--bogus'"},
        {"-x " + site, "unknown option '-x'"},
        {site + " " + site, "one FOLDER expected, 2 given"},
    };
    for (const auto& c : cases) {
        const Outcome o = runTool(c.arguments);
        EXPECT_EQ(o.status, 2) << c.arguments;
        EXPECT_EQ(o.err, std::string("update-sample-site: ") + c.message +
                             "\nTry 'update-sample-site --help'.\n")
            << c.arguments;
    }
    EXPECT_FALSE(std::filesystem::exists(site)) << "a wrong command line made nothing";
}
