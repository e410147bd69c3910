// The catalogue lists of an ODBC connection, from the driver's catalogue functions.

#include "platform/db/odbc/OdbcConnection.h"
#include "platform/db/odbc/OdbcQuery.h"
#include "platform/db/odbc/OdbcText.h"
#include "platform/text/Text.h"

#include <algorithm>

namespace platform::db::odbc {

namespace {

// The catalogue functions take a table name as a search pattern, in which "_" and "%" match
// any characters; escaped, the name matches itself alone.
WideString namePattern(const Handle& connection, const std::string& name) {
    SQLWCHAR escape[8] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc =
        SQLGetInfoW(connection.get(), SQL_SEARCH_PATTERN_ESCAPE, escape, sizeof escape, &length);
    const WideString escapeText = SQL_SUCCEEDED(rc) ? WideString(escape) : WideString();
    const WideString wide = toWide(name);
    if (escapeText.size() != 1) {
        return wide;
    }
    WideString pattern;
    for (const SQLWCHAR c : wide) {
        if (c == u'_' || c == u'%' || c == escapeText[0]) {
            pattern += escapeText[0];
        }
        pattern += c;
    }
    return pattern;
}

// The text of a column of a catalogue result; the empty text for null.
std::string textOf(const Query& rows, int index) {
    return rows.isNull(index) ? std::string() : rows.text(index);
}

} // namespace

std::vector<std::string> OdbcConnection::tableNames() {
    const Handle handle = statement();
    WideString types = toWide("TABLE,VIEW");
    handle.check(SQLTablesW(handle.get(), nullptr, 0, nullptr, 0, nullptr, 0, types.data(),
                            static_cast<SQLSMALLINT>(types.size())),
                 "listing the tables");
    const auto rows = readQuery(handle, "SQLTables");
    std::vector<std::string> names;
    for (; !rows->eof(); rows->next()) {
        names.push_back(textOf(*rows, 2)); // TABLE_NAME
    }
    // Drivers list tables before views; one order by name serves every caller alike.
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> OdbcConnection::columnNames(const std::string& table) {
    const Handle handle = statement();
    WideString pattern = namePattern(connection_, table);
    handle.check(SQLColumnsW(handle.get(), nullptr, 0, nullptr, 0, pattern.data(),
                             static_cast<SQLSMALLINT>(pattern.size()), nullptr, 0),
                 "listing the columns");
    const auto rows = readQuery(handle, "SQLColumns");
    struct Named {
        std::int32_t position;
        std::string name;
    };
    std::vector<Named> columns;
    for (; !rows->eof(); rows->next()) {
        // A driver without pattern escapes may list similar names: only the table itself counts.
        if (textOf(*rows, 2) != table) {
            continue;
        }
        const auto position = text::parseInt32(textOf(*rows, 16)); // ORDINAL_POSITION
        columns.push_back({position.value_or(0), textOf(*rows, 3)});
    }
    std::stable_sort(columns.begin(), columns.end(),
                     [](const Named& a, const Named& b) { return a.position < b.position; });
    std::vector<std::string> names;
    for (Named& column : columns) {
        names.push_back(std::move(column.name));
    }
    return names;
}

std::vector<ForeignKey> OdbcConnection::foreignKeys(const std::string* referenced,
                                                    const std::string* referencing) const {
    const Handle handle = statement();
    WideString pk = referenced ? toWide(*referenced) : WideString();
    WideString fk = referencing ? toWide(*referencing) : WideString();
    handle.check(
        SQLForeignKeysW(handle.get(), nullptr, 0, nullptr, 0, referenced ? pk.data() : nullptr,
                        static_cast<SQLSMALLINT>(pk.size()), nullptr, 0, nullptr, 0,
                        referencing ? fk.data() : nullptr, static_cast<SQLSMALLINT>(fk.size())),
        "listing the foreign keys");
    const auto rows = readQuery(handle, "SQLForeignKeys");
    std::vector<ForeignKey> keys;
    for (; !rows->eof(); rows->next()) {
        // A key over several columns comes as one row per column, KEY_SEQ counting them from 1.
        if (!keys.empty() && textOf(*rows, 8) != "1") {
            continue;
        }
        ForeignKey key;
        key.name = textOf(*rows, 11);           // FK_NAME
        key.table = textOf(*rows, 6);           // FKTABLE_NAME
        key.referencedTable = textOf(*rows, 2); // PKTABLE_NAME
        keys.push_back(std::move(key));
    }
    return keys;
}

std::vector<ForeignKey> OdbcConnection::foreignKeysOf(const std::string& table) {
    return foreignKeys(nullptr, &table);
}

std::vector<ForeignKey> OdbcConnection::foreignKeysTo(const std::string& table) {
    return foreignKeys(&table, nullptr);
}

} // namespace platform::db::odbc
