#pragma once

// Database access shared by the update program and the conversion library. One Connection
// interface, implemented by the Firebird backend (client API, embedded engine for a location
// without a server part) and by the ODBC backend (MSSQL, Oracle). Texts cross this interface
// as UTF-8; the backends convert to and from the connection's character set (WIN1251).

#include <cstdint>
#include <istream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform::db {

// A failure reported by the database or the client library. what() is the database's own
// message (for Firebird the status vector's text, for ODBC the diagnostic records).
class DbError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Data type kind of a result column.
enum class ColumnKind {
    Integer,   // 16-, 32- and 64-bit integers, auto-increment
    Numeric,   // floating point and fixed point (double, float, currency, NUMERIC, DECIMAL)
    Character, // CHAR, VARCHAR, national variants, text BLOBs
    Other      // date and time, boolean, binary BLOB and everything else
};

struct ForeignKey {
    std::string name;            // FK_NAME: the constraint
    std::string table;           // FK_TABLE_NAME: the referencing table
    std::string referencedTable; // PK_TABLE_NAME: the referenced table
};

// The rows of an opened query. The rows are read when the query opens, so that the query stays
// usable while other statements run on the same connection.
class Query {
public:
    virtual ~Query() = default;

    // The SQL text the query was opened with, as given.
    virtual const std::string& sql() const = 0;

    virtual int columnCount() const = 0;
    virtual std::string columnName(int index) const = 0; // 0-based
    virtual ColumnKind columnKind(int index) const = 0;
    // 0-based index of a column by name, letter case ignored; -1 when absent.
    virtual int findColumn(std::string_view name) const = 0;

    virtual int recordCount() const = 0;
    // 1-based position of the current row; recordCount() + 1 after the last.
    virtual int recNo() const = 0;
    virtual bool eof() const = 0;
    virtual void next() = 0;

    // Values of the current row. Reading past the last row throws DbError.
    virtual bool isNull(int index) const = 0;
    // The value as text (numbers in the C locale, dates as YYYY-MM-DD[ HH:MM:SS]); null gives
    // the empty text.
    virtual std::string text(int index) const = 0;
    // The value as a 32-bit integer; null gives 0. Throws DbError when the value is not an
    // integer in range.
    virtual std::int32_t integer(int index) const = 0;

    // By column name, letter case ignored; an absent column throws DbError.
    int column(std::string_view name) const;
    bool isNull(std::string_view name) const { return isNull(column(name)); }
    std::string text(std::string_view name) const { return text(column(name)); }
    std::int32_t integer(std::string_view name) const { return integer(column(name)); }
};

class Connection {
public:
    virtual ~Connection() = default;

    virtual bool connected() const = 0;
    // Closes the connection; an open transaction is rolled back. Closing twice is harmless.
    virtual void close() = 0;

    // Runs a statement verbatim: no parameter markers are parsed, a colon reaches the server
    // unchanged. Without an open transaction the statement commits on its own.
    virtual void execute(const std::string& sql) = 0;
    // Opens a query and reads its rows.
    virtual std::unique_ptr<Query> query(const std::string& sql) = 0;

    virtual void beginTransaction() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    // Names of the tables and views the connection can see, system tables excluded.
    virtual std::vector<std::string> tableNames() = 0;
    // Names of the stored (not computed) columns of a table, in their order.
    virtual std::vector<std::string> columnNames(const std::string& table) = 0;
    // Foreign keys whose referencing table is the given table (name compared as stored, the
    // caller passes it in upper case).
    virtual std::vector<ForeignKey> foreignKeysOf(const std::string& table) = 0;
    // Foreign keys that reference the given table.
    virtual std::vector<ForeignKey> foreignKeysTo(const std::string& table) = 0;

    // Replaces the value of a BLOB column in the rows whose key column equals keyValue (compared
    // as text by the database), reading the new value from data in segments, so that a value of
    // any size never sits in memory whole. Returns the number of rows changed.
    virtual std::int64_t writeBlob(const std::string& table, const std::string& blobColumn,
                                   const std::string& keyColumn, const std::string& keyValue,
                                   std::istream& data) = 0;
};

// Parameters of a Firebird/InterBase connection. A location without a server part (no
// "host:" before the path) opens the file with the embedded engine.
struct FirebirdParams {
    std::string location;
    std::string user;
    std::string password;
    std::string charset = "WIN1251";
};

// Opens a Firebird connection (SQL dialect 3). Throws DbError with the database's message.
std::unique_ptr<Connection> openFirebird(const FirebirdParams& params);
// Creates a new Firebird database file (dialect 3, default character set WIN1251) and returns
// the open connection to it.
std::unique_ptr<Connection> createFirebirdDatabase(const FirebirdParams& params);

} // namespace platform::db
