// A real client-server case: a PostgreSQL cluster that the test starts in a temporary folder
// (as an unprivileged user when the tests run as root, listening on the loopback address only),
// reached through the PostgreSQL ODBC driver's wide-character interface.

#include "platform/db/odbc/OdbcBackend.h"
#include "platform/db/odbc/OdbcConnectionString.h"
#include "tests/platform/db/ChildProcess.h"
#include "tests/platform/db/odbc/OdbcTestDrivers.h"
#include "tests/support/TempDir.h"

#include <arpa/inet.h>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <optional>
#include <pwd.h>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace platform::db;
namespace fs = std::filesystem;

namespace {

// The password of the cluster's user holds what would end an ODBC item or its braces.
constexpr const char* kPassword = "pg;pa}ss{word";

// The folder of the newest installed PostgreSQL server programs; empty when there are none.
fs::path serverPrograms() {
    fs::path best;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
        const fs::path bin = entry.path() / "bin";
        if (fs::exists(bin / "initdb") && fs::exists(bin / "pg_ctl") &&
            (best.empty() ||
             entry.path().filename().string().size() >
                 best.parent_path().filename().string().size() ||
             entry.path().filename() > best.parent_path().filename())) {
            best = bin;
        }
    }
    return best;
}

int freePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("no free local port");
    }
    close(fd);
    return ntohs(address.sin_port);
}

class OdbcPostgres : public ::testing::Test {
protected:
    void SetUp() override {
        bin_ = serverPrograms();
        if (bin_.empty()) {
            GTEST_SKIP() << "the PostgreSQL server programs (postgresql) are not installed";
        }
        if (!odbctest::driverRegistered(odbctest::kPostgresDriver)) {
            GTEST_SKIP() << "the PostgreSQL ODBC driver (odbc-postgresql) is not installed";
        }
        // The server refuses to run as root: then the cluster belongs to "nobody".
        run_ = dir_ / "cluster";
        fs::create_directory(run_);
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            ASSERT_NE(nobody, nullptr) << "no user nobody to run the server as";
            user_ = nobody->pw_uid;
            fs::permissions(dir_.path(),
                            fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
            ASSERT_EQ(chown(run_.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
        }
        fs::permissions(run_, fs::perms::owner_all);
        const fs::path passwordFile = run_ / "password";
        testsupport::writeFile(passwordFile, kPassword);
        if (user_) {
            ASSERT_EQ(chown(passwordFile.c_str(), *user_, static_cast<gid_t>(-1)), 0);
        }
        const auto init = as({(bin_ / "initdb").string(), "-D", data(), "-U", "tester",
                              "--pwfile=" + passwordFile.string(), "-A", "scram-sha-256", "-E",
                              "UTF8", "--locale=C", "--no-sync", "--no-instructions"});
        ASSERT_EQ(init.exitCode, 0) << init.output;
        port_ = freePort();
        const auto start =
            as({(bin_ / "pg_ctl").string(), "-D", data(), "-l", (run_ / "log").string(), "-w", "-o",
                "-c listen_addresses=127.0.0.1 -p " + std::to_string(port_) + " -k " +
                    run_.string() + " -c fsync=off",
                "start"});
        ASSERT_EQ(start.exitCode, 0) << start.output << testsupport::readFile(run_ / "log");
        started_ = true;
    }
    void TearDown() override {
        if (started_) {
            stopServer("immediate");
        }
    }

    std::string data() const { return (run_ / "data").string(); }
    dbtest::ChildResult as(const std::vector<std::string>& args) const {
        dbtest::ChildOptions options;
        options.user = user_;
        return dbtest::runChild(args, options);
    }
    void stopServer(const char* mode) {
        as({(bin_ / "pg_ctl").string(), "-D", data(), "-m", mode, "-w", "stop"});
        started_ = false;
    }
    std::unique_ptr<Connection> connect(const std::string& password = kPassword) const {
        return odbc::openOdbcString(
            odbctest::driverString(
                odbctest::kPostgresDriver,
                "Server=127.0.0.1;Port=" + std::to_string(port_) +
                    ";Database=postgres;UID=tester;PWD=" + odbc::braceOdbcValue(password)),
            std::chrono::seconds(10));
    }

    testsupport::TempDir dir_;
    fs::path bin_;
    fs::path run_;
    std::optional<uid_t> user_;
    int port_ = 0;
    bool started_ = false;
};

} // namespace

TEST_F(OdbcPostgres, ValuesTravelThroughTheWideInterface) {
    try {
        connect("wrong");
        ADD_FAILURE() << "a wrong password was let in";
    } catch (const DbError& e) {
        EXPECT_EQ(std::string(e.what()).find(kPassword), std::string::npos) << e.what();
    }
    // The password arrives whole although it holds ";", "{" and "}".
    const auto c = connect();
    c->execute("CREATE TABLE items (id INTEGER PRIMARY KEY, price NUMERIC(10,2), name VARCHAR(40),"
               " note TEXT, born DATE, seen TIMESTAMP, data BYTEA)");
    c->execute("INSERT INTO items VALUES (1, 12.5, 'Справочник', 'ёлка: ? и :x', '2024-02-29',"
               " '2024-02-29 13:14:15.5', NULL)");
    const auto q = c->query("SELECT * FROM items");
    ASSERT_EQ(q->recordCount(), 1);
    EXPECT_EQ(q->columnKind(0), ColumnKind::Integer);
    EXPECT_EQ(q->columnKind(1), ColumnKind::Numeric);
    EXPECT_EQ(q->columnKind(2), ColumnKind::Character);
    EXPECT_EQ(q->text("price"), "12.50");
    EXPECT_EQ(q->text("name"), "Справочник");
    EXPECT_EQ(q->text("note"), "ёлка: ? и :x");
    EXPECT_EQ(q->text("born"), "2024-02-29");
    EXPECT_EQ(q->text("seen"), "2024-02-29 13:14:15");
    EXPECT_TRUE(q->isNull("data"));

    const std::string bytes("\0\x01\xff\r\n", 5);
    std::istringstream in(bytes);
    EXPECT_EQ(c->writeBlob("items", "data", "id", "1", in), 1);
    EXPECT_EQ(c->query("SELECT data FROM items")->text(0), bytes);

    c->beginTransaction();
    c->execute("DELETE FROM items");
    c->rollback();
    EXPECT_EQ(odbctest::scalar(*c, "SELECT COUNT(*) FROM items"), "1");
    EXPECT_EQ(c->tableNames(), std::vector<std::string>{"items"});
    EXPECT_EQ(c->columnNames("items"),
              (std::vector<std::string>{"id", "price", "name", "note", "born", "seen", "data"}));
}

TEST_F(OdbcPostgres, AServerStoppedInTheMiddleOfAQueryGivesDbError) {
    const auto c = connect();
    const auto start = std::chrono::steady_clock::now();
    std::thread stopper([this] {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        stopServer("fast");
    });
    std::string message = "<no error>";
    try {
        c->query("SELECT pg_sleep(60)");
    } catch (const DbError& e) {
        message = e.what();
    }
    stopper.join();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_NE(message, "<no error>");
    EXPECT_LT(took, std::chrono::seconds(30)) << message;
    // The connection is dead, and says so.
    EXPECT_THROW(c->execute("SELECT 1"), DbError);
    try {
        c->close();
    } catch (const DbError&) {
        // A disconnect that fails on a dead connection is reported, nothing more.
    }
    EXPECT_FALSE(c->connected());
}
