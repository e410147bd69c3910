#pragma once

// The engine's three database connections, one per dialect, and the factory that opens them.
// The window owns one EngineConnections for its whole life; the database version read at login
// opens the connection of the run's type and leaves it open for the update (RunConnection.h).

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

// Opens the engine's connections from connection strings (platform/db/ConnectionString.h).
// Tests put in their own to hand out scripted connections for the dialects no server here can
// run.
class ConnectionFactory {
public:
    virtual ~ConnectionFactory() = default;

    // The default opens the connection with platform::db::openConnection. Throws
    // platform::db::DbError.
    virtual std::unique_ptr<platform::db::Connection> open(const std::string& connectionString);
};

// The factory every RunContext starts with.
ConnectionFactory& defaultConnectionFactory();

} // namespace update::run
