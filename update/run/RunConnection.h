#pragma once

// The engine's connection of the run's DatabaseType: which of the three it is, and opening,
// reopening and closing it the way the login, the scripts and the conversion libraries need.
// Connections are opened through the run's ConnectionFactory from these connection strings:
// - "FIREBIRD", "INTRBASE": "Provider=LCPI.IBProvider.2;Location=<location>;User Id=
//   <SqlUserName>;Password=<SqlPassword>;ctype=WIN1251", the location being the part of
//   RunConnectionString after its first "LOCATION=" (connectionStringPart);
// - "ORACLE": "Provider=OraOLEDB.Oracle.1;Data Source=<server>;User Id=<SqlUserName>;
//   Password=<SqlPassword>", the server being the part after the first "DATA SOURCE=";
// - every other type: RunConnectionString as it stands.
// Values holding ";", quotes or blanks at their ends are quoted (platform/db/ConnectionString.h).

#include "platform/db/Connection.h"
#include "update/run/RunContext.h"

#include <memory>

namespace update::run {

// The engine connection slot of the run's DatabaseType: fibDB for "FIREBIRD"/"INTRBASE",
// oraSession for "ORACLE", conCX for every other type.
std::unique_ptr<platform::db::Connection>& runConnectionSlot(RunContext& context);
// Closes the run's connection if connected and opens it anew (connection string built as
// above from RunConnectionString, SqlUserName, SqlPassword). Throws platform::db::DbError.
platform::db::Connection& reopenRunConnection(RunContext& context);
// Opens the run's connection only when it is not connected; returns it.
platform::db::Connection& ensureRunConnection(RunContext& context);
// Closes the run's connection when it is connected; for Firebird an open transaction is committed
// first. A failed commit or close throws platform::db::DbError; the connection is closed all the
// same.
void closeRunConnection(RunContext& context);

} // namespace update::run
