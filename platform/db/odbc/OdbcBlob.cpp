// BLOB values written from streams with a data-at-execution parameter: the value goes to the
// driver segment by segment (SQLPutData), never whole from this side.

#include "platform/db/odbc/OdbcConnection.h"
#include "platform/db/odbc/OdbcText.h"

#include <vector>

namespace platform::db::odbc {

namespace {

constexpr std::size_t kSegmentSize = 64 * 1024;

// Sends the stream's bytes to the parameter the driver asks for; cancels the statement when
// the stream fails, so that nothing is changed.
void sendSegments(const Handle& handle, std::istream& data, const std::string& what) {
    std::vector<char> segment(kSegmentSize);
    for (;;) {
        data.read(segment.data(), static_cast<std::streamsize>(segment.size()));
        const auto got = data.gcount();
        if (data.bad() || (data.fail() && !data.eof())) {
            SQLCancel(handle.get());
            throw DbError("the BLOB value for " + what + " could not be read from its source");
        }
        if (got > 0) {
            handle.check(SQLPutData(handle.get(), segment.data(), static_cast<SQLLEN>(got)),
                         "sending a BLOB segment");
        }
        if (data.eof()) {
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

    // The value: data at execution, of a length told only by its end.
    SQLLEN valueIndicator = SQL_DATA_AT_EXEC;
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
            sendSegments(handle, data, what);
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
