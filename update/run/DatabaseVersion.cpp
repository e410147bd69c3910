#include "update/run/DatabaseVersion.h"

#include "platform/text/Text.h"

#include <cstdint>
#include <exception>
#include <limits>
#include <memory>

namespace update::run {

namespace {

using platform::db::Connection;

void closeIfConnected(const std::unique_ptr<Connection>& connection) {
    if (connection && connection->connected()) {
        connection->close();
    }
}

Connection& connect(RunContext& context) {
    const TBaseState& state = context.UpdaterState;
    EngineConnections& c = context.connections;
    if (context.DatabaseType == "ORACLE") {
        const std::string server = connectionStringPart(state.RunConnectionString, "DATA SOURCE=");
        closeIfConnected(c.oraSession);
        c.oraSession = context.factory->openOracle(server, state.SqlUserName, state.SqlPassword);
        return *c.oraSession;
    }
    if (context.DatabaseType == "INTRBASE" || context.DatabaseType == "FIREBIRD") {
        platform::db::FirebirdParams params;
        params.location = connectionStringPart(state.RunConnectionString, "LOCATION=");
        params.user = state.SqlUserName;
        params.password = state.SqlPassword;
        params.charset = "WIN1251";
        closeIfConnected(c.fibDB);
        c.fibDB = context.factory->openFirebird(params);
        return *c.fibDB;
    }
    closeIfConnected(c.conCX);
    c.conCX = context.factory->openMsSql(state.RunConnectionString);
    return *c.conCX;
}

void readVersionRow(Connection& connection, TBaseState& state) {
    const auto query = connection.query(kDbVersionQuery);
    if (query->eof()) {
        state.CurrentDbVersion = state.StartDbVersions;
        state.NextVersionId = 1;
        return;
    }
    const std::string version = query->text(0);
    const std::int32_t id = query->integer(1);
    if (id == std::numeric_limits<std::int32_t>::max()) {
        throw std::overflow_error("BO_VERSION.ID has no successor");
    }
    state.CurrentDbVersion = version;
    state.NextVersionId = id + 1;
}

} // namespace

std::string connectionStringPart(std::string_view connectionString, std::string_view key) {
    const auto start = platform::text::findNoCase(connectionString, key);
    if (start == std::string_view::npos) {
        return {};
    }
    const auto from = start + key.size();
    const auto end = connectionString.find(';', from);
    return std::string(connectionString.substr(
        from, end == std::string_view::npos ? std::string_view::npos : end - from));
}

void ReadDatabaseVersion(RunContext& context) {
    Connection& connection = connect(context);
    try {
        readVersionRow(connection, context.UpdaterState);
    } catch (const std::exception&) {
        context.UpdaterState.CurrentDbVersion = kUndefinedDbVersion;
        context.UpdaterState.NextVersionId = 0;
    }
}

} // namespace update::run
