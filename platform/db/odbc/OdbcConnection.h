#pragma once

// The ODBC backend of Connection, over the wide-character API of the driver manager. Autocommit
// is on except while a transaction of beginTransaction is open.

#include "platform/db/Connection.h"
#include "platform/db/odbc/OdbcHandles.h"

#include <chrono>
#include <string>
#include <vector>

namespace platform::db::odbc {

class OdbcConnection final : public Connection {
public:
    // Connects with an ODBC connection string ("DRIVER={...};..."), giving up after
    // loginTimeout. Throws DbError with the driver's diagnostic records, in which every one of
    // the secrets is masked.
    OdbcConnection(const std::string& odbcConnectionString, std::chrono::seconds loginTimeout,
                   std::vector<std::string> secrets);
    ~OdbcConnection() override;
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    bool connected() const override { return connected_; }
    void close() override;

    void execute(const std::string& sql) override;
    std::unique_ptr<Query> query(const std::string& sql) override;

    void beginTransaction() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override { return inTransaction_; }

    std::vector<std::string> tableNames() override;
    std::vector<std::string> columnNames(const std::string& table) override;
    std::vector<ForeignKey> foreignKeysOf(const std::string& table) override;
    std::vector<ForeignKey> foreignKeysTo(const std::string& table) override;

    std::int64_t writeBlob(const std::string& table, const std::string& blobColumn,
                           const std::string& keyColumn, const std::string& keyValue,
                           std::istream& data) override;

private:
    // A new statement handle on the open connection.
    Handle statement() const;
    // Runs a statement text on a new statement handle; the handle is positioned on its first
    // result.
    Handle run(const std::string& sql) const;
    void setAutocommit(bool on) const;
    // A "COMMIT" or "ROLLBACK" statement (also with WORK, TRAN or TRANSACTION) while a
    // transaction is open ends it as commit() or rollback() does; true when it did.
    bool endedTransaction(const std::string& sql);
    std::vector<ForeignKey> foreignKeys(const std::string* referenced,
                                        const std::string* referencing) const;

    Handle environment_;
    Handle connection_;
    bool connected_ = false;
    bool inTransaction_ = false;
};

} // namespace platform::db::odbc
