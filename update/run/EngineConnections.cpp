#include "update/run/EngineConnections.h"

#include "platform/db/ConnectionString.h"

#include <exception>

namespace update::run {

namespace {

void closeQuietly(std::unique_ptr<platform::db::Connection>& connection) noexcept {
    if (!connection) {
        return;
    }
    try {
        connection->close();
    } catch (const std::exception&) {
        // The window closes whatever the database says; the object is released with it.
    }
}

std::string connectionStringValue(const std::string& value) {
    const bool needsQuotes = value.find_first_of(";\"'") != std::string::npos ||
                             (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!needsQuotes) {
        return value;
    }
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '"') {
            quoted += '"';
        }
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

} // namespace

void EngineConnections::closeAll() noexcept {
    closeQuietly(fibDB);
    closeQuietly(conCX);
    closeQuietly(oraSession);
}

std::unique_ptr<platform::db::Connection>
ConnectionFactory::openFirebird(const platform::db::FirebirdParams& params) {
    return platform::db::openFirebird(params);
}

std::unique_ptr<platform::db::Connection>
ConnectionFactory::openMsSql(const std::string& connectionString) {
    return platform::db::openConnection(connectionString);
}

std::unique_ptr<platform::db::Connection>
ConnectionFactory::openOracle(const std::string& server, const std::string& user,
                              const std::string& password) {
    return platform::db::openConnection(oracleConnectionString(server, user, password));
}

ConnectionFactory& defaultConnectionFactory() {
    static ConnectionFactory factory;
    return factory;
}

std::string oracleConnectionString(const std::string& server, const std::string& user,
                                   const std::string& password) {
    return "Provider=OraOLEDB.Oracle.1;Data Source=" + connectionStringValue(server) +
           ";User Id=" + connectionStringValue(user) +
           ";Password=" + connectionStringValue(password);
}

} // namespace update::run
