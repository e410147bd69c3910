#pragma once

// Connection strings of the product ("Provider=...;Key=Value;...") mapped to a backend by
// their provider:
//   "LCPI.IBProvider.2"  Firebird/InterBase ("Location", "User Id", "Password")
//   "SQLOLEDB.1"         ODBC with the FreeTDS driver ($UPDATE_ODBC_MSSQL_DRIVER overrides)
//   "OraOLEDB.Oracle.1"  ODBC with the site's Oracle driver ($UPDATE_ODBC_ORACLE_DRIVER)

#include "platform/db/Connection.h"

#include <memory>
#include <string>

namespace platform::db {

enum class Provider { Firebird, MsSql, Oracle };

// The provider named by a connection string (letter case of keys and provider ignored).
// Throws DbError for a missing or unknown provider.
Provider providerOf(const std::string& connectionString);

// The value of a key of a connection string (letter case of the key ignored, blanks around the
// value removed); the empty text when absent.
std::string connectionValue(const std::string& connectionString, const std::string& key);

// Opens the backend the connection string names. Throws DbError.
std::unique_ptr<Connection> openConnection(const std::string& connectionString);

} // namespace platform::db
