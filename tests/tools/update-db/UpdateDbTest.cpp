// Runs the built update-db program (folder in UPDATE_TOOLS_DIR) on the sample release package
// against sample product databases made by the test.

#include "platform/db/Connection.h"
#include "platform/db/ConnectionString.h"
#include "tests/support/TempDir.h"
#include "tools/sample-site/SampleSite.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The one place these tests open the Firebird databases they made.
std::unique_ptr<platform::db::Connection> openDatabase(const std::string& path) {
    return platform::db::openConnection(
        platform::db::firebirdConnectionString(path, "SYSDBA", "masterkey"));
}

std::string scalar(const std::string& database, const std::string& sql) {
    auto c = openDatabase(database);
    const auto q = c->query(sql);
    return q->eof() ? "<no row>" : q->isNull(0) ? "<null>" : q->text(0);
}

class UpdateDbTest : public ::testing::Test {
protected:
    UpdateDbTest() {
        tools::samplesite::createSampleDatabase(database);
        fs::copy(SAMPLE_PACKAGE_DIR, package, fs::copy_options::recursive);
    }

    Outcome run(const std::vector<std::string>& args, const std::string& input = "") {
        const char* dir = std::getenv("UPDATE_TOOLS_DIR");
        EXPECT_NE(dir, nullptr) << "UPDATE_TOOLS_DIR is not set";
        const std::string program = std::string(dir ? dir : ".") + "/update-db";
        const std::string inFile = (tmp / "in").string();
        const std::string outFile = (tmp / "out").string();
        const std::string errFile = (tmp / "err").string();
        testsupport::writeFile(inFile, input);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, inFile.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        pid_t pid = 0;
        const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        Outcome outcome;
        if (rc != 0) {
            ADD_FAILURE() << "cannot start " << program;
            return outcome;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.out = readFile(outFile);
        outcome.err = readFile(errFile);
        return outcome;
    }

    std::string connection(const std::string& extra = "") const {
        return "Provider=LCPI.IBProvider.2;Location=" + database + ";User Id=SYSDBA" + extra;
    }
    // The usual command line with the password from a file.
    std::vector<std::string> standard(const std::vector<std::string>& more = {}) {
        testsupport::writeFile(tmp / "password", "masterkey\n");
        std::vector<std::string> args = {"--package",          package.string(),
                                         "--connection",       connection(),
                                         "--db-password-file", (tmp / "password").string()};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    void allowRerun() {
        std::string config = readFile(package / "updcfg.xml");
        config.replace(config.find("ALWAYS_UPDATE_DB=\"FALSE\""), 24, "ALWAYS_UPDATE_DB=\"TRUE\"");
        testsupport::writeFile(package / "updcfg.xml", config);
    }

    TempDir tmp;
    ScopedEnv registry{"UPDATE_REGISTRY_DIR", (tmp / "registry").string()};
    ScopedEnv noPassword{"UPDATE_DB_PASSWORD"};
    std::string database = (tmp / "catalex.fdb").string();
    fs::path package = tmp / "package";
};

TEST_F(UpdateDbTest, HelpAndVersion) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(contains(help.out, "Usage: update-db --package DIR --connection STRING"));
    EXPECT_TRUE(contains(help.out, "Exit status"));
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(contains(version.out, "update-db "));
}

TEST_F(UpdateDbTest, BadUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--package", package.string()},
        {"--connection", connection()},
        {"--package", package.string(), "--connection", connection(), "extra"},
        {"--package", package.string(), "--connection", connection(), "--type", "firebird"},
        {"--package", package.string(), "--connection", "Location=" + database},
        {"--bogus"},
        {"--package"},
    };
    for (const auto& args : cases) {
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, 2) << outcome.err;
        EXPECT_TRUE(contains(outcome.err, "Try 'update-db --help'.")) << outcome.err;
    }
    EXPECT_EQ(scalar(database, "SELECT COUNT(*) FROM BO_VERSION"), "1");
}

TEST_F(UpdateDbTest, APackageWithoutConfigurationLeavesTheDatabaseAlone) {
    fs::remove(package / "updcfg.xml");
    const auto before = fs::last_write_time(database);
    const Outcome outcome = run(standard());
    EXPECT_EQ(outcome.status, 2);
    EXPECT_TRUE(contains(outcome.err, "holds no updcfg.xml")) << outcome.err;
    EXPECT_EQ(fs::last_write_time(database), before);
    EXPECT_EQ(scalar(database, "SELECT COUNT(*) FROM BO_VERSION"), "1");
}

TEST_F(UpdateDbTest, ADatabaseThatCannotBeOpened) {
    testsupport::writeFile(tmp / "password", "wrong\n");
    const Outcome outcome = run(
        {"--package", package.string(), "--connection",
         "Provider=LCPI.IBProvider.2;Location=" + (tmp / "none.fdb").string() + ";User Id=SYSDBA",
         "--db-password-file", (tmp / "password").string()});
    EXPECT_EQ(outcome.status, 3) << outcome.err;
    EXPECT_TRUE(contains(outcome.err, "cannot open the database")) << outcome.err;
}

TEST_F(UpdateDbTest, UpdatesTheSampleDatabase) {
    const Outcome outcome = run(standard({"--user", "Петров"}));
    ASSERT_EQ(outcome.status, 0) << outcome.out << outcome.err;
    EXPECT_TRUE(contains(outcome.out, "группа 1, элемент 1"));
    EXPECT_TRUE(contains(outcome.out, "заполнение BLOB-полей"));
    EXPECT_TRUE(contains(outcome.out, "Конвертация справочников"));
    EXPECT_FALSE(contains(outcome.err, "warning")) << outcome.err;

    EXPECT_EQ(
        scalar(database, "SELECT BDVERSION || ' ' || UPDATEUSER FROM BO_VERSION WHERE ID = 2"),
        "4.2 Петров");
    const std::string key = "{5B0C7A10-2F1D-4E55-9C3A-0D4E8B1F6A0";
    for (const std::string id : {"1", "2"}) {
        EXPECT_EQ(scalar(database, "SELECT IMAGE FROM CX_PICTURE WHERE ID = " + id),
                  readFile(package / "Data" / (key + id + "}.lob")));
    }
    auto c = openDatabase(database);
    const auto columns = c->columnNames("CX_PICTURE");
    EXPECT_EQ(std::count(columns.begin(), columns.end(), "IMAGE_GUID"), 0) << "the key is dropped";
    EXPECT_EQ(scalar(database, "SELECT COUNT(*) FROM CX_CATALOG_PICTURES"), "2");
    EXPECT_EQ(scalar(database, "SELECT NOTE FROM CX_CATALOG WHERE ID = 1"),
              "Проверено пользователем Петров");
    EXPECT_EQ(scalar(database, "SELECT PRICE FROM CX_CATALOG WHERE ID = 3"), "0.00")
        << "the conversion library ran";
    c->close();

    const Outcome again = run(standard());
    EXPECT_EQ(again.status, 4);
    EXPECT_TRUE(contains(again.err, "(обновление версии 4.2 уже установлено)")) << again.err;
}

TEST_F(UpdateDbTest, AVersionOutsideTheStartList) {
    std::string config = readFile(package / "updcfg.xml");
    config.replace(config.find("4.0;4.1"), 7, "3.9");
    testsupport::writeFile(package / "updcfg.xml", config);
    const Outcome outcome = run(standard());
    EXPECT_EQ(outcome.status, 4);
    EXPECT_TRUE(contains(outcome.err, "(невозможно провести обновление с версии 4.1)"))
        << outcome.err;
    EXPECT_EQ(scalar(database, "SELECT COUNT(*) FROM CX_CATALOG"), "3");
}

TEST_F(UpdateDbTest, AFailedRunIsLoggedAndSaved) {
    ASSERT_EQ(run(standard()).status, 0);
    allowRerun();
    const std::string logFile = (tmp / "run.log").string();
    const Outcome outcome = run(standard({"--log", logFile, "--log-check-errors"}));
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(contains(outcome.out, "Операция:группа 1, элемент 2")) << outcome.out;
    EXPECT_TRUE(contains(outcome.out, "Не выполнены условия выполнения для группы №1"));
    const std::string saved = readFile(logFile);
    EXPECT_TRUE(contains(saved, "/*\r\nОперация:группа 2, элемент 1\r\nИсточник:"));
    EXPECT_TRUE(contains(saved, "INSERT INTO CX_CATALOG (ID, CODE, NAME, PRICE) VALUES (100,"));
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'),
              std::count(saved.begin(), saved.end(), '\r'));
    EXPECT_TRUE(contains(outcome.err, "Обновление базы данных выполнено с ошибками"));
}

TEST_F(UpdateDbTest, PasswordSources) {
    {
        ScopedEnv password("UPDATE_DB_PASSWORD", "masterkey");
        const Outcome outcome = run({"--package", package.string(), "--connection", connection()});
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_FALSE(contains(outcome.err, "warning"));
    }
    allowRerun();
    testsupport::writeFile(package / "Scripts" / "02_pictures.xml",
                           "<SCRIPTS><G><E>SELECT 1 FROM RDB$DATABASE</E></G></SCRIPTS>");
    const Outcome fromString =
        run({"--package", package.string(), "--connection", connection(";Password=masterkey")});
    EXPECT_EQ(fromString.status, 0) << fromString.err;
    EXPECT_TRUE(contains(fromString.err, "warning: the database password stands in the connection "
                                         "string"));
    const Outcome fromStdin = run(
        {"--package", package.string(), "--connection", connection(), "--db-password-file", "-"},
        "masterkey");
    EXPECT_EQ(fromStdin.status, 0) << fromStdin.err;
    EXPECT_EQ(scalar(database, "SELECT COUNT(*) FROM BO_VERSION"), "2") << "ALWAYS_UPDATE_DB";
}

} // namespace
