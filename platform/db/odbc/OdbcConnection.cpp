#include "platform/db/odbc/OdbcConnection.h"

#include "platform/db/odbc/OdbcQuery.h"
#include "platform/db/odbc/OdbcText.h"
#include "platform/text/Text.h"

#include <algorithm>

namespace platform::db::odbc {

namespace {

SQLPOINTER integerAttribute(SQLULEN value) {
    return reinterpret_cast<SQLPOINTER>(value);
}

// The statement texts that end a transaction, in upper case, without the blanks and the ";"
// around them.
bool endsTransaction(const std::string& sql, bool& commits) {
    std::string statement = text::asciiUpper(text::trimBlanks(sql));
    while (!statement.empty() && (statement.back() == ';' || statement.back() == ' ')) {
        statement.pop_back();
    }
    for (const char* word : {"COMMIT", "ROLLBACK"}) {
        for (const char* tail : {"", " WORK", " TRAN", " TRANSACTION"}) {
            if (statement == std::string(word) + tail) {
                commits = word[0] == 'C';
                return true;
            }
        }
    }
    return false;
}

} // namespace

OdbcConnection::OdbcConnection(const std::string& odbcConnectionString,
                               std::chrono::seconds loginTimeout, std::vector<std::string> secrets)
    : environment_(SQL_HANDLE_ENV, SQL_NULL_HANDLE) {
    environment_.check(
        SQLSetEnvAttr(environment_.get(), SQL_ATTR_ODBC_VERSION, integerAttribute(SQL_OV_ODBC3), 0),
        "choosing ODBC 3");
    connection_ = Handle(SQL_HANDLE_DBC, environment_.get());
    connection_.check(
        SQLSetConnectAttrW(connection_.get(), SQL_ATTR_LOGIN_TIMEOUT,
                           integerAttribute(static_cast<SQLULEN>(loginTimeout.count())), 0),
        "setting the login time-out");
    WideString in = toWide(odbcConnectionString);
    // No completed connection string is asked for: it would be another copy of the password.
    const SQLRETURN rc = SQLDriverConnectW(connection_.get(), nullptr, in.data(),
                                           static_cast<SQLSMALLINT>(in.size()), nullptr, 0, nullptr,
                                           SQL_DRIVER_NOPROMPT);
    std::fill(in.begin(), in.end(), SQLWCHAR{0});
    if (!SQL_SUCCEEDED(rc)) {
        std::string message = diagnostics(SQL_HANDLE_DBC, connection_.get());
        if (message.empty()) {
            message = "the ODBC driver could not connect (return code " + std::to_string(rc) + ")";
        }
        throw DbError(withoutSecrets(std::move(message), secrets));
    }
    connected_ = true;
}

OdbcConnection::~OdbcConnection() {
    try {
        close();
    } catch (const DbError&) {
        // Nothing to tell anyone on the way out; the handles are freed all the same.
    }
}

void OdbcConnection::close() {
    if (!connected_) {
        return;
    }
    connected_ = false;
    if (inTransaction_) {
        inTransaction_ = false;
        SQLEndTran(SQL_HANDLE_DBC, connection_.get(), SQL_ROLLBACK);
    }
    const SQLRETURN rc = SQLDisconnect(connection_.get());
    std::string message;
    if (!SQL_SUCCEEDED(rc)) {
        message = diagnostics(SQL_HANDLE_DBC, connection_.get());
    }
    connection_.reset();
    environment_.reset();
    if (!SQL_SUCCEEDED(rc)) {
        throw DbError(message.empty() ? "closing the ODBC connection failed" : message);
    }
}

Handle OdbcConnection::statement() const {
    if (!connected_) {
        throw DbError("the database connection is closed");
    }
    Handle handle(SQL_HANDLE_STMT, connection_.get());
    // Statements reach the database as they stand: the driver does not look for escape
    // sequences ("{fn ...}", "{d ...}") to rewrite. Nor does any time-out of the driver's
    // configuration cut a long statement short. A driver that knows neither setting runs the
    // statements as it would anyway.
    SQLSetStmtAttrW(handle.get(), SQL_ATTR_NOSCAN, integerAttribute(SQL_NOSCAN_ON), 0);
    SQLSetStmtAttrW(handle.get(), SQL_ATTR_QUERY_TIMEOUT, integerAttribute(0), 0);
    return handle;
}

Handle OdbcConnection::run(const std::string& sql) const {
    Handle handle = statement();
    WideString wide = toWide(sql);
    const SQLRETURN rc =
        SQLExecDirectW(handle.get(), wide.data(), static_cast<SQLINTEGER>(wide.size()));
    // SQL_NO_DATA: a searched UPDATE or DELETE that met no row.
    if (rc != SQL_NO_DATA) {
        handle.check(rc, "running the statement");
    }
    return handle;
}

void OdbcConnection::execute(const std::string& sql) {
    if (endedTransaction(sql)) {
        return;
    }
    const Handle handle = run(sql);
    skipResults(handle);
}

std::unique_ptr<Query> OdbcConnection::query(const std::string& sql) {
    if (endedTransaction(sql)) {
        return std::make_unique<BufferedQuery>(sql, std::vector<ColumnInfo>{}, std::vector<Row>{});
    }
    const Handle handle = run(sql);
    return readQuery(handle, sql);
}

bool OdbcConnection::endedTransaction(const std::string& sql) {
    bool commits = false;
    if (!inTransaction_ || !endsTransaction(sql, commits)) {
        return false;
    }
    // With autocommit off the driver keeps the transaction, and ODBC ends it with SQLEndTran:
    // run as a statement, "COMMIT" would end the database's transaction behind the driver's
    // back (or fail where the driver opens its transactions lazily).
    if (commits) {
        commit();
    } else {
        rollback();
    }
    return true;
}

void OdbcConnection::setAutocommit(bool on) const {
    connection_.check(
        SQLSetConnectAttrW(connection_.get(), SQL_ATTR_AUTOCOMMIT,
                           integerAttribute(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF),
                           SQL_IS_UINTEGER),
        on ? "switching autocommit on" : "switching autocommit off");
}

void OdbcConnection::beginTransaction() {
    if (!connected_) {
        throw DbError("the database connection is closed");
    }
    if (inTransaction_) {
        throw DbError("a transaction is open already");
    }
    setAutocommit(false);
    inTransaction_ = true;
}

void OdbcConnection::commit() {
    if (!connected_) {
        throw DbError("the database connection is closed");
    }
    if (!inTransaction_) {
        throw DbError("no transaction is open to commit");
    }
    // A failed commit leaves the transaction open, so that the caller can roll it back.
    connection_.check(SQLEndTran(SQL_HANDLE_DBC, connection_.get(), SQL_COMMIT),
                      "committing the transaction");
    inTransaction_ = false;
    setAutocommit(true);
}

void OdbcConnection::rollback() {
    if (!connected_) {
        throw DbError("the database connection is closed");
    }
    if (!inTransaction_) {
        return;
    }
    inTransaction_ = false;
    const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, connection_.get(), SQL_ROLLBACK);
    std::string message;
    if (!SQL_SUCCEEDED(rc)) {
        message = diagnostics(SQL_HANDLE_DBC, connection_.get());
    }
    setAutocommit(true);
    if (!SQL_SUCCEEDED(rc)) {
        throw DbError(message.empty() ? "rolling the transaction back failed" : message);
    }
}

} // namespace platform::db::odbc
