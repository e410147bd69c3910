// The promises of Connection.h and Query.h (ConnectionContract.h) on the ODBC backend, through
// the SQLite ODBC driver.

#include "tests/platform/db/ConnectionContract.h"
#include "tests/platform/db/odbc/OdbcTestDrivers.h"

namespace dbtest {
namespace {

class SqliteOdbcDatabase final : public ContractDatabase {
public:
    std::unique_ptr<platform::db::Connection> connect() override { return db_.connect(); }
    std::string binaryBlobType() const override { return "BLOB"; }

private:
    odbctest::SqliteDatabase db_;
};

std::vector<Backend> odbcBackends() {
    std::vector<Backend> backends;
    if (odbctest::driverRegistered(odbctest::kSqliteDriver)) {
        backends.push_back(Backend{"SqliteOdbc", [] {
                                       return std::unique_ptr<ContractDatabase>(
                                           std::make_unique<SqliteOdbcDatabase>());
                                   }});
    }
    return backends;
}

INSTANTIATE_TEST_SUITE_P(Odbc, ConnectionContract, ::testing::ValuesIn(odbcBackends()),
                         backendName);

} // namespace
} // namespace dbtest
