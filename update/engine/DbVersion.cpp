#include "update/engine/DbVersion.h"

#include "platform/text/Text.h"
#include "update/engine/RunDialect.h"
#include "update/run/RunConnection.h"
#include "update/run/RunLog.h"

namespace update::engine {

namespace {

std::string insertText(const run::RunContext& context, const char* now) {
    const run::TBaseState& state = context.UpdaterState;
    return "INSERT INTO BO_VERSION (ID, BDVERSION, UPDATEUSER, UPDATEDATE,UPDATELOG) VALUES (" +
           std::to_string(state.NextVersionId) + ", " +
           platform::text::sqlLiteral(state.ResultDbVersion) + ", " +
           platform::text::sqlLiteral(state.UserName) + ", " + now + ", NULL)";
}

} // namespace

bool WriteDbVersion(run::RunContext& context) {
    platform::db::Connection& connection = run::ensureRunConnection(context);
    if (context.UpdaterState.AlwaysUpdateDb) {
        return true;
    }
    std::string* sql = nullptr;
    try {
        switch (runDialect(context)) {
        case Dialect::Oracle:
            sql = &context.queryTexts.oraQ;
            *sql = insertText(context, "SYSDATE");
            connection.execute(*sql);
            break;
        case Dialect::Firebird:
            sql = &context.queryTexts.fibQ;
            *sql = insertText(context, "CAST('NOW' AS TIMESTAMP)");
            executeCommitting(connection, *sql);
            break;
        case Dialect::MsSql: {
            sql = &context.queryTexts.qCX;
            const std::string insert = insertText(context, "GETDATE()") + ";";
            *sql = "SET IDENTITY_INSERT BO_VERSION ON;\r\n" + insert +
                   "\r\nSET IDENTITY_INSERT BO_VERSION OFF;\r\n";
            try {
                connection.execute(*sql);
            } catch (const platform::db::DbError&) {
                // BO_VERSION whose ID is no identity column refuses identity insert.
                *sql = insert;
                connection.execute(*sql);
            }
            break;
        }
        }
    } catch (const platform::db::DbError& error) {
        run::WriteLogEntry(context, "",
                           std::string("Не удалось записать информацию о версии\r\n") +
                               error.what() + "\r\n" + *sql);
        return false;
    }
    return true;
}

} // namespace update::engine
