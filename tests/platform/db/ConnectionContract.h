#pragma once

// The promises of Connection.h and Query.h, checked the same way on every backend. A backend
// joins by instantiating the suite with a Backend that makes fresh test databases:
//
//   INSTANTIATE_TEST_SUITE_P(Odbc, ConnectionContract, ::testing::Values(sqliteBackend()),
//                            dbtest::backendName);
//
// The statements of the suite are plain SQL that Firebird and SQLite both run; what differs
// between dialects comes from the database's hooks below.

#include "platform/db/Connection.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>

namespace dbtest {

// A fresh, empty database of its own for one test.
class ContractDatabase {
public:
    virtual ~ContractDatabase() = default;
    // A new connection to the database; every call gives another one.
    virtual std::unique_ptr<platform::db::Connection> connect() = 0;
    // The column type of binary BLOB values ("BLOB SUB_TYPE 0", "BLOB").
    virtual std::string binaryBlobType() const = 0;
};

struct Backend {
    std::string name; // letters and digits: part of the test names
    std::function<std::unique_ptr<ContractDatabase>()> makeDatabase;
};

inline std::string backendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param.name;
}

inline void PrintTo(const Backend& backend, std::ostream* out) {
    *out << backend.name;
}

class ConnectionContract : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        database = GetParam().makeDatabase();
        c = database->connect();
        c->execute("CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40))");
    }

    // The first column of the first row of a query on the given connection, as text.
    static std::string scalar(platform::db::Connection& on, const std::string& sql) {
        const auto q = on.query(sql);
        if (q->eof()) {
            return "<no row>";
        }
        return q->isNull(0) ? "<null>" : q->text(0);
    }
    std::string countSeenByAnother() {
        return scalar(*database->connect(), "SELECT COUNT(*) FROM ITEMS");
    }

    std::unique_ptr<ContractDatabase> database;
    std::unique_ptr<platform::db::Connection> c;
};

} // namespace dbtest
