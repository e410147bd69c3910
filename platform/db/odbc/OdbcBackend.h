#pragma once

// The entry points of the ODBC backend (MSSQL through FreeTDS, Oracle through the site's
// driver), for openConnection (ConnectionString.h) and the tests. platform/db/CMakeLists.txt
// builds this folder's object library platform_db_odbc into platform_db. Nothing of unixODBC
// shows here.

#include "platform/db/Connection.h"
#include "platform/db/ConnectionString.h"

#include <chrono>
#include <memory>
#include <string>

namespace platform::db::odbc {

// Opens the MSSQL or Oracle database that a product connection string names, through the ODBC
// driver its provider maps to (OdbcConnectionString.h). Throws DbError.
std::unique_ptr<Connection> openOdbc(Provider provider, const std::string& connectionString);

// Opens a connection from an ODBC connection string as it stands ("DRIVER={...};..."), as the
// tests do with drivers that need no server. Throws DbError.
std::unique_ptr<Connection> openOdbcString(const std::string& odbcConnectionString,
                                           std::chrono::seconds loginTimeout);

} // namespace platform::db::odbc
