#pragma once

// The entry point of the ODBC backend (MSSQL through FreeTDS, Oracle through the site's
// driver), for openConnection (ConnectionString.h) only. The backend itself, with the
// CMakeLists.txt that defines its object library platform_db_odbc, is added to this folder;
// platform/db/CMakeLists.txt builds it and links it into platform_db when that file exists,
// and openConnection then calls openOdbc instead of reporting the backend as missing. Nothing
// of unixODBC shows here.

#include "platform/db/Connection.h"
#include "platform/db/ConnectionString.h"

#include <memory>
#include <string>

namespace platform::db::odbc {

// Opens the connection string of the provider "SQLOLEDB.1" or "OraOLEDB.Oracle.1" through the
// ODBC driver of that provider. Throws DbError with the driver's diagnostic records.
std::unique_ptr<Connection> openOdbc(Provider provider, const std::string& connectionString);

} // namespace platform::db::odbc
