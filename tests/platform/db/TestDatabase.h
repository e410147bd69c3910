#pragma once

// A Firebird database of its own for each test, made with the embedded engine in a temporary
// folder.

#include "platform/db/ConnectionString.h"
#include "tests/support/TempDir.h"

#include <memory>
#include <string>

namespace dbtest {

class TestDatabase {
public:
    TestDatabase() : path_((dir_ / "test.fdb").string()) {}

    const std::string& path() const { return path_; }
    const testsupport::TempDir& dir() const { return dir_; }

    std::string connectionString() const {
        return platform::db::firebirdConnectionString(path_, "SYSDBA", "masterkey");
    }
    std::unique_ptr<platform::db::Connection> create() const {
        return platform::db::createFirebirdDatabase(connectionString());
    }
    std::unique_ptr<platform::db::Connection> open() const {
        return platform::db::openConnection(connectionString());
    }

private:
    testsupport::TempDir dir_;
    std::string path_;
};

// The first column of the first row of a query, as text.
inline std::string scalar(platform::db::Connection& c, const std::string& sql) {
    const auto q = c.query(sql);
    if (q->eof()) {
        return "<no row>";
    }
    return q->isNull(0) ? "<null>" : q->text(0);
}

} // namespace dbtest
