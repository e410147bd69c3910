#pragma once

// The product's connection strings for MSSQL and Oracle made into ODBC connection strings.
//
// "SQLOLEDB.1" goes to the FreeTDS driver (the driver name from $UPDATE_ODBC_MSSQL_DRIVER, else
// "FreeTDS", the entry the tdsodbc package registers): "Data Source" is the server ("host",
// "host,port" or "host\instance"; "(local)" and "." name this machine), "Initial Catalog" the
// database, "User Id" and "Password" the login, or "Integrated Security=SSPI" a Kerberos login
// without a user name. TDS protocol 7.4 and the client character set UTF-8 are always asked for.
// "Packet Size", "Application Name", "Workstation ID", "Current Language" and "Use Encryption
// for Data" have FreeTDS equivalents; every other key of the product's strings is accepted and
// ignored.
//
// "OraOLEDB.Oracle.1" goes to the driver that $UPDATE_ODBC_ORACLE_DRIVER names (there is no
// default): "Data Source" is the network service name (DBQ), "User Id" and "Password" the login.
//
// $UPDATE_ODBC_MSSQL_OPTIONS and $UPDATE_ODBC_ORACLE_OPTIONS, when set, are appended to the ODBC
// string as they stand ("Key=Value;Key=Value"), so that a site can give its driver any further
// setting (a later key wins). The login time-out is $UPDATE_ODBC_LOGIN_TIMEOUT seconds, else
// the string's "Connect Timeout", else 15 seconds. Statements have no time-out.

#include "platform/db/ConnectionString.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace platform::db::odbc {

constexpr std::chrono::seconds kDefaultLoginTimeout{15};

struct OdbcLogin {
    std::string connectionString;     // "DRIVER={...};SERVER=...;..."
    std::vector<std::string> secrets; // values that must never appear in a message
    std::chrono::seconds loginTimeout = kDefaultLoginTimeout;
};

// A value as it stands in an ODBC connection string: unchanged, or in braces with every "}"
// doubled when it holds ";", "{" or "}" or begins or ends with a blank, so that the driver
// reads it back whole.
std::string braceOdbcValue(std::string_view value);

// The ODBC login for a connection string of the provider "SQLOLEDB.1" or "OraOLEDB.Oracle.1".
// Throws DbError for a string that names no server, an Oracle driver that is not configured,
// or a malformed time-out; the message never holds the password.
OdbcLogin odbcLogin(Provider provider, const std::string& connectionString);

} // namespace platform::db::odbc
