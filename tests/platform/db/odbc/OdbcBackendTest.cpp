// Opening MSSQL connections through the FreeTDS driver against local sockets: a port where
// nothing listens and a server that never answers. No SQL Server is needed.

#include "platform/db/ConnectionString.h"
#include "tests/platform/db/odbc/OdbcTestDrivers.h"
#include "tests/support/TempDir.h"

#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace platform::db;

namespace {

// A TCP socket on a free port of the loopback address; listening, or closed again at once so
// that the port refuses connections.
class LocalPort {
public:
    explicit LocalPort(bool listen) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
            (listen && ::listen(fd_, 4) != 0)) {
            throw std::runtime_error("no local port");
        }
        port_ = ntohs(address.sin_port);
        if (!listen) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~LocalPort() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    LocalPort(const LocalPort&) = delete;
    LocalPort& operator=(const LocalPort&) = delete;
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

struct Attempt {
    std::string message;
    std::chrono::duration<double> took{};
};

Attempt tryToOpen(const std::string& connectionString) {
    const auto start = std::chrono::steady_clock::now();
    Attempt attempt;
    try {
        openConnection(connectionString);
        attempt.message = "<connected>";
    } catch (const DbError& e) {
        attempt.message = e.what();
    }
    attempt.took = std::chrono::steady_clock::now() - start;
    return attempt;
}

constexpr const char* kPassword = "pa;ss}word-9";

class OdbcFreeTds : public ::testing::Test {
protected:
    void SetUp() override {
        if (!odbctest::driverRegistered(odbctest::kFreeTdsDriver)) {
            GTEST_SKIP() << "the FreeTDS ODBC driver (tdsodbc) is not installed";
        }
    }
    std::string connectionString(int port) const {
        return std::string("Provider=SQLOLEDB.1;Data Source=127.0.0.1,") + std::to_string(port) +
               ";Initial Catalog=CX;User Id=sa;Password=\"" + kPassword + "\"";
    }
    testsupport::ScopedEnv driver{"UPDATE_ODBC_MSSQL_DRIVER", odbctest::kFreeTdsDriver};
    testsupport::ScopedEnv options{"UPDATE_ODBC_MSSQL_OPTIONS"};
};

} // namespace

TEST_F(OdbcFreeTds, AClosedPortIsRefusedAtOnceWithTheDriversMessage) {
    testsupport::ScopedEnv timeout("UPDATE_ODBC_LOGIN_TIMEOUT");
    const LocalPort closed(false);
    const Attempt attempt = tryToOpen(connectionString(closed.port()));
    // Every diagnostic record, in order: the network's failure, then the driver's summary.
    EXPECT_EQ(attempt.message.rfind("08S01 (20009) [FreeTDS]", 0), 0u) << attempt.message;
    EXPECT_NE(attempt.message.find("\n08001 (0) [FreeTDS]"), std::string::npos) << attempt.message;
    EXPECT_EQ(attempt.message.find(kPassword), std::string::npos) << attempt.message;
    EXPECT_LT(attempt.took, std::chrono::seconds(10)) << attempt.message;
}

TEST_F(OdbcFreeTds, AServerThatNeverAnswersIsGivenUpAfterTheLoginTimeOut) {
    testsupport::ScopedEnv timeout("UPDATE_ODBC_LOGIN_TIMEOUT", "2");
    // The kernel completes the connection; nobody ever reads or writes on it.
    const LocalPort silent(true);
    const Attempt attempt = tryToOpen(connectionString(silent.port()));
    EXPECT_NE(attempt.message, "<connected>");
    EXPECT_EQ(attempt.message.find(kPassword), std::string::npos) << attempt.message;
    EXPECT_GE(attempt.took, std::chrono::milliseconds(1500)) << attempt.message;
    EXPECT_LT(attempt.took, std::chrono::seconds(12)) << attempt.message;
}
