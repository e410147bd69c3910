#pragma once

// Connection strings of the product ("Provider=...;Key=Value;...") and the one way to open a
// connection from them. The provider names the backend:
//   "LCPI.IBProvider.2"  Firebird/InterBase ("Location", "User Id", "Password", "ctype")
//   "SQLOLEDB.1"         ODBC with the FreeTDS driver ($UPDATE_ODBC_MSSQL_DRIVER overrides)
//   "OraOLEDB.Oracle.1"  ODBC with the site's Oracle driver ($UPDATE_ODBC_ORACLE_DRIVER)

#include "platform/db/Connection.h"

#include <memory>
#include <string>
#include <vector>

namespace platform::db {

enum class Provider { Firebird, MsSql, Oracle };

struct ConnectionItem {
    std::string key;
    std::string value;

    bool operator==(const ConnectionItem&) const = default;
};

// The items of a connection string in their order. Keys and unquoted values lose the blanks
// around them. A value that begins with a double or a single quote runs to the matching quote
// (a doubled quote inside stands for one), so that it may hold ";" and keep its blanks. An
// item without "=" is skipped.
std::vector<ConnectionItem> parseConnectionString(const std::string& connectionString);

// The value of a key of a connection string (letter case of the key ignored; the first item of
// that key); the empty text when absent.
std::string connectionValue(const std::string& connectionString, const std::string& key);

// A value as it stands in a connection string: unchanged, or in double quotes (an inner double
// quote doubled) when it holds ";" or a quote or begins or ends with a blank, so that it reads
// back whole.
std::string quoteConnectionValue(const std::string& value);
// "Key=Value;Key=Value" with every value quoted as needed; parseConnectionString gives the
// items back. Keys are the program's own and hold no "=", ";" or quote.
std::string makeConnectionString(const std::vector<ConnectionItem>& items);

// "Provider=LCPI.IBProvider.2;Location=...;User Id=...;Password=..." of the given values.
std::string firebirdConnectionString(const std::string& location, const std::string& user,
                                     const std::string& password);

// The provider named by a connection string (letter case of keys and provider ignored).
// Throws DbError for a missing or unknown provider.
Provider providerOf(const std::string& connectionString);

// Opens the database the connection string names, through the backend of its provider.
// Firebird takes the character set from "ctype" (WIN1251 when absent; UTF8 also works).
// Throws DbError with the database's message, or naming what the string lacks.
std::unique_ptr<Connection> openConnection(const std::string& connectionString);

// Creates a new Firebird database file (SQL dialect 3, page size 8192, default character set
// WIN1251) from a connection string of the provider "LCPI.IBProvider.2" and returns the open
// connection to it. Used by the tests and the sample site. Throws DbError, also when the file
// exists already.
std::unique_ptr<Connection> createFirebirdDatabase(const std::string& connectionString);

} // namespace platform::db
