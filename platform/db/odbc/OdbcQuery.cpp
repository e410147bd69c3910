#include "platform/db/odbc/OdbcQuery.h"

#include "platform/db/Values.h"
#include "platform/db/odbc/OdbcText.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <optional>
#include <type_traits>
#include <vector>

namespace platform::db::odbc {

namespace {

// How a column's values are fetched and rendered.
enum class Fetch { Integer, Double, Real, Decimal, Bit, Date, Time, Timestamp, Binary, Text };

struct Column {
    ColumnInfo info;
    Fetch fetch = Fetch::Text;
    SQLSMALLINT decimals = 0;
};

Fetch fetchOf(SQLSMALLINT sqlType) {
    switch (sqlType) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
        return Fetch::Integer;
    case SQL_DOUBLE:
    case SQL_FLOAT:
        return Fetch::Double;
    case SQL_REAL:
        return Fetch::Real;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        return Fetch::Decimal;
    case SQL_BIT:
        return Fetch::Bit;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return Fetch::Date;
    case SQL_TYPE_TIME:
    case SQL_TIME:
        return Fetch::Time;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return Fetch::Timestamp;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return Fetch::Binary;
    default:
        return Fetch::Text;
    }
}

std::vector<Column> describeColumns(const Handle& statement, SQLSMALLINT count) {
    std::vector<Column> columns;
    for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(count); ++i) {
        WideString name(256, 0);
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT decimals = 0;
        SQLSMALLINT nullable = 0;
        SQLRETURN rc =
            SQLDescribeColW(statement.get(), i, name.data(), static_cast<SQLSMALLINT>(name.size()),
                            &nameLength, &type, &size, &decimals, &nullable);
        if (SQL_SUCCEEDED(rc) && nameLength >= static_cast<SQLSMALLINT>(name.size())) {
            name.assign(static_cast<std::size_t>(nameLength) + 1, 0);
            rc = SQLDescribeColW(statement.get(), i, name.data(),
                                 static_cast<SQLSMALLINT>(name.size()), &nameLength, &type, &size,
                                 &decimals, &nullable);
        }
        statement.check(rc, "describing a result column");
        name.resize(std::min(name.size() - 1, static_cast<std::size_t>(nameLength)));
        Column column;
        column.info.name = fromWide(name);
        column.info.kind = odbcColumnKind(type);
        column.fetch = fetchOf(type);
        column.decimals = decimals;
        columns.push_back(std::move(column));
    }
    return columns;
}

template <class T>
std::optional<T> getFixed(const Handle& statement, SQLUSMALLINT index, SQLSMALLINT cType) {
    T value{};
    SQLLEN indicator = 0;
    const SQLRETURN rc =
        SQLGetData(statement.get(), index, cType, &value, sizeof value, &indicator);
    statement.check(rc, "reading a value");
    if (indicator == SQL_NULL_DATA) {
        return std::nullopt;
    }
    return value;
}

// A long value read in pieces: characters as UTF-16 (the driver adds a terminator to each
// piece), binary data as it is.
template <class Unit>
std::optional<std::basic_string<Unit>> getLong(const Handle& statement, SQLUSMALLINT index,
                                               SQLSMALLINT cType) {
    constexpr std::size_t kPieceUnits = 16 * 1024;
    constexpr std::size_t terminator = std::is_same_v<Unit, SQLWCHAR> ? 1 : 0;
    std::vector<Unit> piece(kPieceUnits);
    const auto pieceBytes = static_cast<SQLLEN>(piece.size() * sizeof(Unit));
    std::basic_string<Unit> value;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc =
            SQLGetData(statement.get(), index, cType, piece.data(), pieceBytes, &indicator);
        if (rc == SQL_NO_DATA) {
            break;
        }
        statement.check(rc, "reading a value");
        if (indicator == SQL_NULL_DATA) {
            return std::nullopt;
        }
        const bool whole = indicator != SQL_NO_TOTAL &&
                           indicator <= pieceBytes - static_cast<SQLLEN>(terminator * sizeof(Unit));
        const std::size_t units =
            whole ? static_cast<std::size_t>(indicator) / sizeof(Unit) : piece.size() - terminator;
        value.append(piece.data(), units);
        if (whole) {
            break;
        }
    }
    return value;
}

// The driver's text of a fixed-point value with all the column's decimals: "12.5" of a column
// with two decimals gives "12.50", ".5" gives "0.5".
std::string fixedPoint(std::string value, SQLSMALLINT decimals) {
    value = text::trimBlanks(value);
    if (value.find_first_of("eE") != std::string::npos) {
        return value;
    }
    const std::size_t sign = !value.empty() && value.front() == '-' ? 1 : 0;
    if (value.size() > sign && value[sign] == '.') {
        value.insert(sign, "0");
    }
    if (decimals > 0) {
        auto point = value.find('.');
        if (point == std::string::npos) {
            value += '.';
            point = value.size() - 1;
        }
        const std::size_t have = value.size() - point - 1;
        if (have < static_cast<std::size_t>(decimals)) {
            value.append(static_cast<std::size_t>(decimals) - have, '0');
        }
    }
    return value;
}

Cell readCell(const Handle& statement, SQLUSMALLINT index, const Column& column) {
    Cell cell;
    auto put = [&cell](std::optional<std::string> text) {
        if (text) {
            cell.null = false;
            cell.text = std::move(*text);
        }
    };
    switch (column.fetch) {
    case Fetch::Integer: {
        const auto v = getFixed<SQLBIGINT>(statement, index, SQL_C_SBIGINT);
        put(v ? std::optional(std::to_string(*v)) : std::nullopt);
        break;
    }
    case Fetch::Double: {
        const auto v = getFixed<SQLDOUBLE>(statement, index, SQL_C_DOUBLE);
        put(v ? std::optional(formatDouble(*v)) : std::nullopt);
        break;
    }
    case Fetch::Real: {
        const auto v = getFixed<SQLREAL>(statement, index, SQL_C_FLOAT);
        put(v ? std::optional(formatFloat(*v)) : std::nullopt);
        break;
    }
    case Fetch::Bit: {
        const auto v = getFixed<SQLCHAR>(statement, index, SQL_C_BIT);
        put(v ? std::optional(std::string(*v != 0 ? "TRUE" : "FALSE")) : std::nullopt);
        break;
    }
    case Fetch::Date: {
        const auto v = getFixed<SQL_DATE_STRUCT>(statement, index, SQL_C_TYPE_DATE);
        put(v ? std::optional(formatDate(static_cast<unsigned>(v->year), v->month, v->day))
              : std::nullopt);
        break;
    }
    case Fetch::Time: {
        const auto v = getFixed<SQL_TIME_STRUCT>(statement, index, SQL_C_TYPE_TIME);
        put(v ? std::optional(formatTime(v->hour, v->minute, v->second)) : std::nullopt);
        break;
    }
    case Fetch::Timestamp: {
        const auto v = getFixed<SQL_TIMESTAMP_STRUCT>(statement, index, SQL_C_TYPE_TIMESTAMP);
        put(v ? std::optional(formatDate(static_cast<unsigned>(v->year), v->month, v->day) + " " +
                              formatTime(v->hour, v->minute, v->second))
              : std::nullopt);
        break;
    }
    case Fetch::Binary: {
        const auto v = getLong<char>(statement, index, SQL_C_BINARY);
        put(v ? std::optional(*v) : std::nullopt);
        break;
    }
    case Fetch::Decimal: {
        const auto v = getLong<SQLWCHAR>(statement, index, SQL_C_WCHAR);
        put(v ? std::optional(fixedPoint(fromWide(*v), column.decimals)) : std::nullopt);
        break;
    }
    case Fetch::Text: {
        const auto v = getLong<SQLWCHAR>(statement, index, SQL_C_WCHAR);
        put(v ? std::optional(fromWide(*v)) : std::nullopt);
        break;
    }
    }
    return cell;
}

SQLSMALLINT columnCount(const Handle& statement) {
    SQLSMALLINT count = 0;
    statement.check(SQLNumResultCols(statement.get(), &count), "describing the result");
    return count;
}

// Moves to the next result; false when there is none.
bool nextResult(const Handle& statement) {
    const SQLRETURN rc = SQLMoreResults(statement.get());
    if (rc == SQL_NO_DATA) {
        return false;
    }
    statement.check(rc, "moving to the next result");
    return true;
}

// Fetches the next row; false after the last.
bool fetch(const Handle& statement) {
    const SQLRETURN rc = SQLFetch(statement.get());
    if (rc == SQL_NO_DATA) {
        return false;
    }
    statement.check(rc, "reading a row");
    return true;
}

} // namespace

ColumnKind odbcColumnKind(SQLSMALLINT sqlType) {
    switch (sqlType) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
        return ColumnKind::Integer;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        return ColumnKind::Numeric;
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
        return ColumnKind::Character;
    default:
        return ColumnKind::Other;
    }
}

std::unique_ptr<Query> readQuery(const Handle& statement, const std::string& sql) {
    SQLSMALLINT count = columnCount(statement);
    while (count == 0) {
        if (!nextResult(statement)) {
            return std::make_unique<BufferedQuery>(sql, std::vector<ColumnInfo>{},
                                                   std::vector<Row>{});
        }
        count = columnCount(statement);
    }
    const std::vector<Column> columns = describeColumns(statement, count);
    std::vector<Row> rows;
    while (fetch(statement)) {
        Row row;
        row.reserve(columns.size());
        for (std::size_t i = 0; i < columns.size(); ++i) {
            row.push_back(readCell(statement, static_cast<SQLUSMALLINT>(i + 1), columns[i]));
        }
        rows.push_back(std::move(row));
    }
    std::vector<ColumnInfo> infos;
    infos.reserve(columns.size());
    for (const Column& column : columns) {
        infos.push_back(column.info);
    }
    if (nextResult(statement)) {
        skipResults(statement);
    }
    return std::make_unique<BufferedQuery>(sql, std::move(infos), std::move(rows));
}

void skipResults(const Handle& statement) {
    do {
        if (columnCount(statement) > 0) {
            while (fetch(statement)) {
            }
        }
    } while (nextResult(statement));
}

} // namespace platform::db::odbc
