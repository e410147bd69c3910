#pragma once

// The results of an executed ODBC statement read into the rows of a BufferedQuery, values
// rendered as Query::text gives them.

#include "platform/db/BufferedQuery.h"
#include "platform/db/odbc/OdbcHandles.h"

#include <memory>
#include <string>

namespace platform::db::odbc {

// The kind of a column of the given ODBC SQL data type.
ColumnKind odbcColumnKind(SQLSMALLINT sqlType);

// Reads the first result set of an executed statement (the results before it that have no
// columns, such as row counts, are passed over), then runs the statement's remaining results
// to their end. A statement without a result set gives a query without columns and rows.
std::unique_ptr<Query> readQuery(const Handle& statement, const std::string& sql);

// Runs every result of an executed statement to its end, rows dropped, so that everything the
// statement does is done and every error it raises is reported.
void skipResults(const Handle& statement);

} // namespace platform::db::odbc
