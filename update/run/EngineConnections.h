#pragma once

// The engine's three database connections, one per dialect, and the factory that opens them.
// The window owns one EngineConnections for its whole life; the database version read at login
// opens the connection of the run's type and leaves it open for the update.

#include "platform/db/Connection.h"

#include <memory>
#include <string>

namespace update::run {

struct EngineConnections {
    std::unique_ptr<platform::db::Connection> fibDB;      // FIREBIRD and INTRBASE
    std::unique_ptr<platform::db::Connection> conCX;      // MSSQL (and every other type)
    std::unique_ptr<platform::db::Connection> oraSession; // ORACLE

    // Closes the three connections that exist. A connection that fails to close is left
    // behind and the others are still closed: closing the window is always allowed.
    void closeAll() noexcept;
};

// Opens the engine's connections. The default implementation uses platform::db; tests put in
// their own to hand out scripted connections for the dialects no server here can run.
class ConnectionFactory {
public:
    virtual ~ConnectionFactory() = default;

    // Firebird or InterBase through the client API (embedded engine for a local file).
    virtual std::unique_ptr<platform::db::Connection>
    openFirebird(const platform::db::FirebirdParams& params);
    // MSSQL with the run's connection string as it stands.
    virtual std::unique_ptr<platform::db::Connection>
    openMsSql(const std::string& connectionString);
    // Oracle: a connection string "Provider=OraOLEDB.Oracle.1;Data Source=...;User Id=...;
    // Password=..." made of the three values.
    virtual std::unique_ptr<platform::db::Connection>
    openOracle(const std::string& server, const std::string& user, const std::string& password);
};

// The factory every RunContext starts with.
ConnectionFactory& defaultConnectionFactory();

// The Oracle connection string that the default factory opens. A value holding ";", a quote or
// blanks at its ends is put in double quotes (an inner double quote doubled), so that a
// password such as "a;b" reaches the driver whole.
std::string oracleConnectionString(const std::string& server, const std::string& user,
                                   const std::string& password);

} // namespace update::run
