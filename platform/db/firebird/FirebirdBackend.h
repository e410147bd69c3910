#pragma once

// The entry points of the Firebird backend, for openConnection and createFirebirdDatabase
// (ConnectionString.h) only. Nothing of the client library shows here.

#include "platform/db/Connection.h"

#include <memory>
#include <string>

namespace platform::db::firebird {

// Where and as whom to connect. A location without a server part (no "host:" before the
// path) opens the file with the embedded engine of this process.
struct Params {
    std::string location;
    std::string user;
    std::string password;
    std::string charset = "WIN1251"; // WIN1251, UTF8 or UNICODE_FSS
};

// Opens a connection (SQL dialect 3). Throws DbError with the database's message.
std::unique_ptr<Connection> attachDatabase(const Params& params);
// Creates a new database file (dialect 3, page size 8192, default character set = charset)
// and returns the open connection to it.
std::unique_ptr<Connection> createDatabase(const Params& params);

} // namespace platform::db::firebird
