#include "update/engine/RunDialect.h"

#include "update/run/RunConnection.h"

namespace update::engine {

Dialect dialectOf(std::string_view databaseType) {
    if (databaseType == "ORACLE") {
        return Dialect::Oracle;
    }
    if (databaseType == "FIREBIRD" || databaseType == "INTRBASE") {
        return Dialect::Firebird;
    }
    return Dialect::MsSql;
}

Dialect runDialect(const run::RunContext& context) {
    return dialectOf(context.DatabaseType);
}

platform::db::Connection& runConnection(run::RunContext& context) {
    auto& slot = run::runConnectionSlot(context);
    if (!slot || !slot->connected()) {
        throw platform::db::DbError("the database connection is not open");
    }
    return *slot;
}

void executeCommitting(platform::db::Connection& connection, const std::string& sql) {
    if (!connection.inTransaction()) {
        connection.beginTransaction();
    }
    connection.execute(sql);
    connection.commit();
}

std::unique_ptr<platform::db::Query> queryCommitting(platform::db::Connection& connection,
                                                     const std::string& sql) {
    if (!connection.inTransaction()) {
        connection.beginTransaction();
    }
    auto rows = connection.query(sql);
    connection.commit();
    return rows;
}

std::string& queryObjectText(run::RunContext& context) {
    switch (runDialect(context)) {
    case Dialect::Oracle:
        return context.queryTexts.oraQ;
    case Dialect::MsSql:
        return context.queryTexts.qCX;
    case Dialect::Firebird:
        break;
    }
    return context.queryTexts.fibQ;
}

} // namespace update::engine
