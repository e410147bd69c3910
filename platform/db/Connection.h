#pragma once

// Database access shared by the update program and the conversion library: one Connection
// interface, implemented by the Firebird backend (client API, embedded engine for a location
// without a server part) and by the ODBC backend (MSSQL, Oracle). A connection is opened from
// the product's connection string by openConnection (ConnectionString.h). Texts cross this
// interface as UTF-8; the backends convert to and from the connection's character set
// (WIN1251).

#include "platform/db/Query.h"

#include <cstdint>
#include <istream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace platform::db {

// A failure reported by the database or the client library, or a connection string that names
// no usable database. what() is the database's own message (for Firebird the status vector's
// text, for ODBC the diagnostic records), in UTF-8.
class DbError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ForeignKey {
    std::string name;            // FK_NAME: the constraint
    std::string table;           // FK_TABLE_NAME: the referencing table
    std::string referencedTable; // PK_TABLE_NAME: the referenced table
};

// What every backend promises:
// - Statements and queries run verbatim: no parameter markers are parsed, so a ':' or a '?'
//   in the text reaches the database unchanged.
// - Without an open transaction every statement, and every query, runs in a transaction of
//   its own that commits when it succeeds and rolls back when it fails. With one open
//   (beginTransaction), they run inside it, and a failing statement leaves it open.
// - Executing the statement "COMMIT" or "ROLLBACK" inside an open transaction ends it as
//   commit() or rollback() would: inTransaction() is false afterwards. Without an open
//   transaction such a statement does what the database makes of it (nothing on Firebird, an
//   error on MSSQL).
// - Every failure of the database throws DbError with the database's message; the connection
//   stays usable for the next statement.
// - Using a connection after close() throws DbError ("the database connection is closed").
// - Threads: a connection and its queries are used by one thread at a time; separate
//   connections may be used by separate threads. The update program uses all of them on its
//   one thread.
class Connection {
public:
    virtual ~Connection() = default;

    virtual bool connected() const = 0;
    // Closes the connection; an open transaction is rolled back. Closing twice is harmless.
    // The connection cannot be opened again: open a new one.
    virtual void close() = 0;

    // Runs a statement. A statement that yields rows (a SELECT, a selectable procedure) is
    // run to its end and its rows are dropped, so that everything it does is done.
    virtual void execute(const std::string& sql) = 0;
    // Runs a statement and reads all its rows (Query.h). A statement without a result set
    // (an INSERT, a procedure without outputs) runs all the same and gives a query without
    // columns and rows.
    virtual std::unique_ptr<Query> query(const std::string& sql) = 0;

    // Opens a transaction; one is open already: DbError.
    virtual void beginTransaction() = 0;
    // Commits the open transaction; none open: DbError. A failed commit leaves the transaction
    // open, so that the caller can roll it back.
    virtual void commit() = 0;
    // Rolls the open transaction back; none open: nothing happens. The transaction is over
    // even when the rollback fails (DbError).
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    // Names of the tables and views the connection can see, system tables excluded, in the
    // order the database lists them.
    virtual std::vector<std::string> tableNames() = 0;
    // Names of the stored (not computed) columns of a table, in their order; none for a table
    // that does not exist. The name is compared as stored (the caller passes it in the case
    // the database keeps, upper case for unquoted names).
    virtual std::vector<std::string> columnNames(const std::string& table) = 0;
    // Foreign keys whose referencing table is the given table (name compared as stored).
    virtual std::vector<ForeignKey> foreignKeysOf(const std::string& table) = 0;
    // Foreign keys that reference the given table.
    virtual std::vector<ForeignKey> foreignKeysTo(const std::string& table) = 0;

    // Replaces the value of a BLOB column in the rows whose key column equals keyValue (compared
    // by the database, the key given as text), reading the new value from data in segments, so
    // that a value of any size never sits in memory whole. The bytes are stored as they come,
    // in text BLOBs too. Returns the number of rows changed. A stream that fails while being
    // read throws DbError and changes nothing.
    virtual std::int64_t writeBlob(const std::string& table, const std::string& blobColumn,
                                   const std::string& keyColumn, const std::string& keyValue,
                                   std::istream& data) = 0;
};

} // namespace platform::db
