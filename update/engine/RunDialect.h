#pragma once

// The dialect of the run's database type and the statement objects of each dialect.
//
// Statements on Firebird and InterBase behave as the Firebird statement object of the update
// does: it starts a transaction when none is open and commits it after each statement that
// succeeds, so a failed statement leaves the transaction open until the next success (or until
// the end of the script file). Oracle and MSSQL commit every statement on their own.

#include "platform/db/Connection.h"
#include "platform/db/Query.h"
#include "update/run/RunContext.h"

#include <memory>
#include <string>
#include <string_view>

namespace update::engine {

enum class Dialect { Firebird, MsSql, Oracle };

// "ORACLE" is Oracle, "FIREBIRD" and "INTRBASE" Firebird, every other code MSSQL.
Dialect dialectOf(std::string_view databaseType);
Dialect runDialect(const run::RunContext& context);

// The open connection of the run's type. Throws platform::db::DbError when it is not open.
platform::db::Connection& runConnection(run::RunContext& context);

// Runs a statement, or opens a query, the way the Firebird statement object does (see above).
void executeCommitting(platform::db::Connection& connection, const std::string& sql);
std::unique_ptr<platform::db::Query> queryCommitting(platform::db::Connection& connection,
                                                     const std::string& sql);

// The SQL text held by the query object of the run's type (fibQ, qCX or oraQ).
std::string& queryObjectText(run::RunContext& context);

} // namespace update::engine
