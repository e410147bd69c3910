#pragma once

// The rows of an opened query, as every backend hands them out (see Connection.h for how a
// query is opened and what it promises).

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::db {

// Data type kind of a result column.
enum class ColumnKind {
    Integer,   // 16-, 32- and 64-bit integers, auto-increment
    Numeric,   // floating point and fixed point (double, float, currency, NUMERIC, DECIMAL)
    Character, // CHAR, VARCHAR, national variants, text BLOBs
    Other      // date and time, boolean, binary BLOB and everything else
};

// The rows of a query, all read when the query opened. A query holds no resource of its
// connection: it stays readable while other statements run on the connection, after the
// transaction it was read in has ended, and after the connection has been closed or destroyed.
//
// Column indexes are 0-based. An index outside 0 .. columnCount() - 1, and reading a value
// while eof() holds, are programming errors of the caller (checked by assert), not failures of
// the database: the caller knows the shape of what it asked for, or asks columnCount() first.
class Query {
public:
    virtual ~Query() = default;

    // The SQL text the query was opened with, as given.
    virtual const std::string& sql() const = 0;

    // A statement that yields no result set (an INSERT, a procedure without outputs) has no
    // columns and no rows.
    virtual int columnCount() const = 0;
    // The column's name as the database gives it (its alias when it has one).
    virtual std::string columnName(int index) const = 0;
    virtual ColumnKind columnKind(int index) const = 0;
    // Index of a column by name, letter case ignored (Cyrillic letters included); -1 when absent.
    virtual int findColumn(std::string_view name) const = 0;

    virtual int recordCount() const = 0;
    // 1-based position of the current row; recordCount() + 1 after the last.
    virtual int recNo() const = 0;
    // True when there is no current row: after the last row, or at once for no rows.
    virtual bool eof() const = 0;
    // Moves to the next row; at eof() nothing happens.
    virtual void next() = 0;

    // Values of the current row.
    virtual bool isNull(int index) const = 0;
    // The value as text; null gives the empty text.
    // - Character columns: the text in UTF-8; fixed-length columns keep their padding blanks.
    // - Numbers in the C locale: integers in decimal, fixed point with all the column's
    //   decimals ("12.50"), floating point as the shortest text that reads back ("1.5").
    // - Dates "YYYY-MM-DD", times "HH:MM:SS", timestamps "YYYY-MM-DD HH:MM:SS" (fractions of
    //   a second dropped); booleans "TRUE" or "FALSE".
    // - Binary BLOBs and binary character columns (Firebird OCTETS): the stored bytes
    //   unchanged, which need not be UTF-8.
    virtual std::string text(int index) const = 0;
    // The value as a 32-bit integer (blanks around the digits allowed); null gives 0. Throws
    // DbError when the value is not an integer in range.
    virtual std::int32_t integer(int index) const = 0;

    // By column name, letter case ignored. A name the query does not have throws DbError:
    // names come from scripts and the database's catalogue, not only from the program.
    int column(std::string_view name) const;
    bool isNull(std::string_view name) const { return isNull(column(name)); }
    std::string text(std::string_view name) const { return text(column(name)); }
    std::int32_t integer(std::string_view name) const { return integer(column(name)); }
};

} // namespace platform::db
