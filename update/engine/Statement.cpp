#include "update/engine/Statement.h"

#include "platform/text/Text.h"
#include "update/engine/RunDialect.h"

namespace update::engine {

bool ExecuteStatement(run::RunContext& context, const std::string& text, std::string& error) {
    error = kUndefinedError;
    if (platform::text::asciiUpper(text) == "COMMIT") {
        return true;
    }
    platform::db::Connection& connection = runConnection(context);
    try {
        switch (runDialect(context)) {
        case Dialect::Oracle:
            context.queryTexts.oraQ = text;
            connection.execute(text);
            break;
        case Dialect::Firebird:
            context.queryTexts.fibQ = text;
            executeCommitting(connection, text);
            break;
        case Dialect::MsSql:
            connection.execute(text);
            break;
        }
    } catch (const platform::db::DbError& failure) {
        if (!connection.connected()) {
            throw;
        }
        error = failure.what();
        return false;
    } catch (const platform::text::TextError& failure) {
        error = failure.what();
        return false;
    }
    error.clear();
    return true;
}

} // namespace update::engine
