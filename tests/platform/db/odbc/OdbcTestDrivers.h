#pragma once

// The ODBC drivers the tests use, registered in an odbcinst.ini of a temporary folder made for
// the test program ($ODBCSYSINI and $ODBCINSTINI point at it), so that neither the machine's
// own driver list nor its DSNs take part.

#include "platform/db/Connection.h"
#include "tests/support/TempDir.h"

#include <memory>
#include <string>

namespace odbctest {

// Names under which the drivers are registered; each is registered when its library exists.
inline constexpr const char* kSqliteDriver = "Test SQLite3";
inline constexpr const char* kFreeTdsDriver = "Test FreeTDS";
inline constexpr const char* kPostgresDriver = "Test PostgreSQL";

// Writes the odbcinst.ini (once per program) and tells whether the named driver is in it.
bool driverRegistered(const std::string& name);

// The driver manager's connection string for a driver of the list and further items.
std::string driverString(const std::string& name, const std::string& items);

// A SQLite database file of its own, in a temporary folder, reached through the SQLite ODBC
// driver.
class SqliteDatabase {
public:
    SqliteDatabase() : path_((dir_ / "test.sqlite").string()) {}
    const std::string& path() const { return path_; }
    // A new connection to the file (made at the first connection).
    std::unique_ptr<platform::db::Connection> connect() const;

private:
    testsupport::TempDir dir_;
    std::string path_;
};

// The first column of the first row of a query, as text; "<null>" and "<no row>" otherwise.
std::string scalar(platform::db::Connection& c, const std::string& sql);

} // namespace odbctest
