#include "update/run/EngineConnections.h"

#include "platform/db/ConnectionString.h"

namespace update::run {

namespace {

void closeQuietly(std::unique_ptr<platform::db::Connection>& connection) noexcept {
    if (!connection) {
        return;
    }
    try {
        connection->close();
    } catch (const platform::db::DbError&) {
        // The window closes whatever the database says; the object is released with it.
    }
}

} // namespace

void EngineConnections::closeAll() noexcept {
    closeQuietly(fibDB);
    closeQuietly(conCX);
    closeQuietly(oraSession);
}

std::unique_ptr<platform::db::Connection>
ConnectionFactory::open(const std::string& connectionString) {
    return platform::db::openConnection(connectionString);
}

ConnectionFactory& defaultConnectionFactory() {
    static ConnectionFactory factory;
    return factory;
}

} // namespace update::run
