#include "update/run/RunConnection.h"

#include "platform/db/ConnectionString.h"
#include "update/run/DatabaseVersion.h"

namespace update::run {

namespace {

bool isFirebird(const RunContext& context) {
    return context.DatabaseType == "FIREBIRD" || context.DatabaseType == "INTRBASE";
}

std::string runConnectionString(const RunContext& context) {
    const TBaseState& state = context.UpdaterState;
    if (isFirebird(context)) {
        return platform::db::makeConnectionString(
            {{"Provider", "LCPI.IBProvider.2"},
             {"Location", connectionStringPart(state.RunConnectionString, "LOCATION=")},
             {"User Id", state.SqlUserName},
             {"Password", state.SqlPassword},
             {"ctype", "WIN1251"}});
    }
    if (context.DatabaseType == "ORACLE") {
        return platform::db::makeConnectionString(
            {{"Provider", "OraOLEDB.Oracle.1"},
             {"Data Source", connectionStringPart(state.RunConnectionString, "DATA SOURCE=")},
             {"User Id", state.SqlUserName},
             {"Password", state.SqlPassword}});
    }
    return state.RunConnectionString;
}

platform::db::Connection& openRunConnection(RunContext& context) {
    std::unique_ptr<platform::db::Connection>& slot = runConnectionSlot(context);
    slot = context.factory->open(runConnectionString(context));
    return *slot;
}

} // namespace

std::unique_ptr<platform::db::Connection>& runConnectionSlot(RunContext& context) {
    EngineConnections& c = context.connections;
    if (isFirebird(context)) {
        return c.fibDB;
    }
    if (context.DatabaseType == "ORACLE") {
        return c.oraSession;
    }
    return c.conCX;
}

platform::db::Connection& reopenRunConnection(RunContext& context) {
    closeRunConnection(context);
    return openRunConnection(context);
}

platform::db::Connection& ensureRunConnection(RunContext& context) {
    std::unique_ptr<platform::db::Connection>& slot = runConnectionSlot(context);
    if (slot && slot->connected()) {
        return *slot;
    }
    return openRunConnection(context);
}

void closeRunConnection(RunContext& context) {
    std::unique_ptr<platform::db::Connection>& slot = runConnectionSlot(context);
    if (!slot || !slot->connected()) {
        return;
    }
    if (isFirebird(context) && slot->inTransaction()) {
        try {
            slot->commit();
        } catch (const platform::db::DbError&) {
            // The connection closes all the same (rolling the work back); the caller learns
            // that the work was not kept.
            slot->close();
            throw;
        }
    }
    slot->close();
}

} // namespace update::run
