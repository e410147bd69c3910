#pragma once

// A connection that plays a script instead of talking to a server: it records every statement
// and query, answers queries with the rows the test gave, and fails where the test says so.
// It stands in for the servers that cannot run here (MSSQL, Oracle).

#include "platform/db/Connection.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct ScriptedRows {
    std::vector<std::string> columns;
    std::vector<platform::db::ColumnKind> kinds; // empty: every column is Character
    std::vector<std::vector<std::optional<std::string>>> rows;
};

class ScriptedConnection : public platform::db::Connection {
public:
    // What happened, in order: "open", "close", "exec: SQL", "query: SQL", "begin", "commit",
    // "rollback", "blob: table.column key=value bytes=N".
    std::vector<std::string> journal;

    // Queries whose text contains the pattern answer with these rows (the last rule added that
    // matches wins); other queries answer with no rows and no columns.
    void answer(const std::string& pattern, ScriptedRows rows);
    // Statements and queries whose text contains the pattern fail with this message. After
    // close() every call that would reach the database fails, as on a real connection; the
    // journal still records it.
    void fail(const std::string& pattern, const std::string& message);

    std::vector<std::string> tables;
    std::vector<std::pair<std::string, std::string>> tableColumns; // (table, column)
    std::vector<platform::db::ForeignKey> foreignKeys;

    bool connected() const override { return connected_; }
    void close() override;
    void execute(const std::string& sql) override;
    std::unique_ptr<platform::db::Query> query(const std::string& sql) override;
    void beginTransaction() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override { return inTransaction_; }
    std::vector<std::string> tableNames() override;
    std::vector<std::string> columnNames(const std::string& table) override;
    std::vector<platform::db::ForeignKey> foreignKeysOf(const std::string& table) override;
    std::vector<platform::db::ForeignKey> foreignKeysTo(const std::string& table) override;
    std::int64_t writeBlob(const std::string& table, const std::string& blobColumn,
                           const std::string& keyColumn, const std::string& keyValue,
                           std::istream& data) override;

    // Statements (exec and query) in order, without the journal's prefixes.
    std::vector<std::string> statements() const;

private:
    void checkFailure(const std::string& sql) const;
    std::vector<platform::db::ForeignKey>
    keysWhere(const std::function<bool(const platform::db::ForeignKey&)>& matches) const;

    bool connected_ = true;
    bool inTransaction_ = false;
    std::vector<std::pair<std::string, ScriptedRows>> answers_;
    std::vector<std::pair<std::string, std::string>> failures_;
};

} // namespace testsupport
