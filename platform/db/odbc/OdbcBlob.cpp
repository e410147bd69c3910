// BLOB values written from streams with a data-at-execution parameter: the value goes to the
// driver segment by segment (SQLPutData), never whole from this side.

#include "platform/db/odbc/OdbcConnection.h"
#include "platform/db/odbc/OdbcText.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace platform::db::odbc {

namespace {

constexpr std::size_t kSegmentSize = 64 * 1024;

// The number of bytes from the stream's position to its end, when the stream can tell it
// (files and strings can; a pipe cannot). The position is left where it was.
std::optional<std::uint64_t> lengthToEnd(std::istream& data) {
    const std::streampos start = data.tellg();
    if (start == std::streampos(-1)) {
        data.clear(data.rdstate() & ~std::ios::failbit);
        return std::nullopt;
    }
    data.seekg(0, std::ios::end);
    const std::streampos end = data.tellg();
    data.clear(data.rdstate() & ~std::ios::failbit);
    data.seekg(start);
    if (end == std::streampos(-1) || end < start || !data) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(end - start);
}

bool driverNeedsLength(const Handle& connection) {
    SQLWCHAR answer[4] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc =
        SQLGetInfoW(connection.get(), SQL_NEED_LONG_DATA_LEN, answer, sizeof answer, &length);
    return SQL_SUCCEEDED(rc) && (answer[0] == u'Y' || answer[0] == u'y');
}

// Sends the stream's bytes (length of them when it is known, else all up to its end) to the
// parameter the driver asks for, at least one piece, so that an empty value is a value. Cancels
// the statement when the stream fails or ends early, so that nothing is changed.
void sendSegments(const Handle& handle, std::istream& data, std::optional<std::uint64_t> length,
                  const std::string& what) {
    std::vector<char> segment(kSegmentSize);
    std::uint64_t left = length.value_or(UINT64_MAX);
    bool sent = false;
    for (;;) {
        const auto want =
            static_cast<std::streamsize>(std::min<std::uint64_t>(left, segment.size()));
        if (want > 0) {
            data.read(segment.data(), want);
        }
        const auto got = want > 0 ? data.gcount() : 0;
        if (data.bad() || (data.fail() && !data.eof()) || (length && got < want)) {
            SQLCancel(handle.get());
            throw DbError("the BLOB value for " + what + " could not be read from its source");
        }
        if (got > 0 || !sent) {
            handle.check(SQLPutData(handle.get(), segment.data(), static_cast<SQLLEN>(got)),
                         "sending a BLOB segment");
            sent = true;
        }
        left -= static_cast<std::uint64_t>(got);
        if (left == 0 || data.eof()) {
            return;
        }
    }
}

} // namespace

std::int64_t OdbcConnection::writeBlob(const std::string& table, const std::string& blobColumn,
                                       const std::string& keyColumn, const std::string& keyValue,
                                       std::istream& data) {
    const std::string what = table + "." + blobColumn;
    const Handle handle = statement();
    WideString sql =
        toWide("UPDATE " + table + " SET " + blobColumn + " = ? WHERE " + keyColumn + " = ?");
    handle.check(SQLPrepareW(handle.get(), sql.data(), static_cast<SQLINTEGER>(sql.size())),
                 "preparing the BLOB update");

    // The value: data at execution, its length told in advance when the source knows it (some
    // drivers need it), otherwise by its end.
    const std::optional<std::uint64_t> length = lengthToEnd(data);
    if (!length && driverNeedsLength(connection_)) {
        throw DbError("the ODBC driver needs the length of the BLOB value for " + what +
                      " in advance, and its source cannot tell it");
    }
    SQLLEN valueIndicator =
        length ? SQL_LEN_DATA_AT_EXEC(static_cast<SQLLEN>(*length)) : SQL_DATA_AT_EXEC;
    handle.check(SQLBindParameter(handle.get(), 1, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY,
                                  0, 0, reinterpret_cast<SQLPOINTER>(1), 0, &valueIndicator),
                 "binding the BLOB value");
    // The key as text; the database converts it to the key column's type for the comparison.
    WideString key = toWide(keyValue);
    SQLLEN keyIndicator = static_cast<SQLLEN>(key.size() * sizeof(SQLWCHAR));
    handle.check(SQLBindParameter(handle.get(), 2, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                                  key.empty() ? 1 : key.size(), 0, key.data(), keyIndicator,
                                  &keyIndicator),
                 "binding the key value");

    SQLRETURN rc = SQLExecute(handle.get());
    while (rc == SQL_NEED_DATA) {
        SQLPOINTER token = nullptr;
        rc = SQLParamData(handle.get(), &token);
        if (rc == SQL_NEED_DATA) {
            sendSegments(handle, data, length, what);
        }
    }
    if (rc != SQL_NO_DATA) {
        handle.check(rc, "writing the BLOB value");
    }
    SQLLEN rows = 0;
    handle.check(SQLRowCount(handle.get(), &rows), "counting the rows changed");
    return rows < 0 ? 0 : static_cast<std::int64_t>(rows);
}

} // namespace platform::db::odbc
