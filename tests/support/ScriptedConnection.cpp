#include "tests/support/ScriptedConnection.h"

#include "platform/db/BufferedQuery.h"
#include "platform/text/Text.h"

namespace testsupport {
namespace {

using platform::db::ColumnKind;
using platform::db::DbError;

// The test's rows as the rows a backend would have read.
std::unique_ptr<platform::db::Query> makeQuery(const std::string& sql, const ScriptedRows& rows) {
    std::vector<platform::db::ColumnInfo> columns;
    for (std::size_t i = 0; i < rows.columns.size(); ++i) {
        columns.push_back(
            {rows.columns[i], rows.kinds.empty() ? ColumnKind::Character : rows.kinds.at(i)});
    }
    std::vector<platform::db::Row> buffered;
    for (const auto& row : rows.rows) {
        platform::db::Row cells;
        for (const auto& value : row) {
            cells.push_back({!value.has_value(), value.value_or("")});
        }
        buffered.push_back(std::move(cells));
    }
    return std::make_unique<platform::db::BufferedQuery>(sql, std::move(columns),
                                                         std::move(buffered));
}

bool contains(const std::string& text, const std::string& pattern) {
    return text.find(pattern) != std::string::npos;
}

} // namespace

void ScriptedConnection::answer(const std::string& pattern, ScriptedRows rows) {
    answers_.emplace_back(pattern, std::move(rows));
}

void ScriptedConnection::fail(const std::string& pattern, const std::string& message) {
    failures_.emplace_back(pattern, message);
}

std::vector<platform::db::ForeignKey> ScriptedConnection::keysWhere(
    const std::function<bool(const platform::db::ForeignKey&)>& matches) const {
    std::vector<platform::db::ForeignKey> out;
    for (const auto& fk : foreignKeys) {
        if (matches(fk)) {
            out.push_back(fk);
        }
    }
    return out;
}

void ScriptedConnection::checkFailure(const std::string& sql) const {
    if (!connected_) {
        throw DbError("the database connection is closed");
    }
    for (auto it = failures_.rbegin(); it != failures_.rend(); ++it) {
        if (contains(sql, it->first)) {
            throw DbError(it->second);
        }
    }
}

void ScriptedConnection::close() {
    if (connected_) {
        journal.push_back("close");
    }
    connected_ = false;
    inTransaction_ = false;
}

void ScriptedConnection::execute(const std::string& sql) {
    journal.push_back("exec: " + sql);
    checkFailure(sql);
    // The statements that end a transaction end the open one (Connection.h).
    const std::string statement = platform::text::asciiUpper(platform::text::trimBlanks(sql));
    if (statement == "COMMIT" || statement == "ROLLBACK") {
        inTransaction_ = false;
    }
}

std::unique_ptr<platform::db::Query> ScriptedConnection::query(const std::string& sql) {
    journal.push_back("query: " + sql);
    checkFailure(sql);
    for (auto it = answers_.rbegin(); it != answers_.rend(); ++it) {
        if (contains(sql, it->first)) {
            return makeQuery(sql, it->second);
        }
    }
    return makeQuery(sql, ScriptedRows{});
}

void ScriptedConnection::beginTransaction() {
    journal.push_back("begin");
    checkFailure("begin");
    inTransaction_ = true;
}

void ScriptedConnection::commit() {
    journal.push_back("commit");
    checkFailure("commit");
    inTransaction_ = false;
}

void ScriptedConnection::rollback() {
    journal.push_back("rollback");
    checkFailure("rollback");
    inTransaction_ = false;
}

std::vector<std::string> ScriptedConnection::tableNames() {
    journal.push_back("tables");
    checkFailure("tables");
    return tables;
}

std::vector<std::string> ScriptedConnection::columnNames(const std::string& table) {
    journal.push_back("columns: " + table);
    std::vector<std::string> out;
    for (const auto& [t, c] : tableColumns) {
        if (platform::text::equalsNoCase(t, table)) {
            out.push_back(c);
        }
    }
    return out;
}

std::vector<platform::db::ForeignKey> ScriptedConnection::foreignKeysOf(const std::string& table) {
    journal.push_back("fk of: " + table);
    checkFailure("fk of: " + table);
    return keysWhere([&](const platform::db::ForeignKey& fk) { return fk.table == table; });
}

std::vector<platform::db::ForeignKey> ScriptedConnection::foreignKeysTo(const std::string& table) {
    journal.push_back("fk to: " + table);
    checkFailure("fk to: " + table);
    return keysWhere(
        [&](const platform::db::ForeignKey& fk) { return fk.referencedTable == table; });
}

std::int64_t ScriptedConnection::writeBlob(const std::string& table, const std::string& blobColumn,
                                           const std::string& keyColumn,
                                           const std::string& keyValue, std::istream& data) {
    std::size_t size = 0;
    char buffer[4096];
    while (data.read(buffer, sizeof buffer) || data.gcount() > 0) {
        size += static_cast<std::size_t>(data.gcount());
    }
    journal.push_back("blob: " + table + "." + blobColumn + " " + keyColumn + "=" + keyValue +
                      " bytes=" + std::to_string(size));
    checkFailure("blob: " + table);
    return 1;
}

std::vector<std::string> ScriptedConnection::statements() const {
    std::vector<std::string> out;
    for (const auto& entry : journal) {
        for (const char* prefix : {"exec: ", "query: "}) {
            if (entry.rfind(prefix, 0) == 0) {
                out.push_back(entry.substr(std::char_traits<char>::length(prefix)));
            }
        }
    }
    return out;
}

} // namespace testsupport
