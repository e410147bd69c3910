#include "update/engine/Conditions.h"

#include "platform/text/Text.h"
#include "update/engine/RunDialect.h"
#include "update/run/RunLog.h"

#include <optional>
#include <vector>

namespace update::engine {

namespace {

using platform::db::Connection;
using platform::text::equalsNoCase;
using platform::text::sqlLiteral;
using platform::text::trimControls;

std::string strip(std::string_view text) {
    return trimControls(text);
}

bool listHolds(const std::vector<std::string>& names, const std::string& name) {
    for (const std::string& candidate : names) {
        if (equalsNoCase(strip(candidate), name)) {
            return true;
        }
    }
    return false;
}

bool countAboveZero(const platform::db::Query& rows) {
    return !rows.eof() && rows.integer(0) > 0;
}

std::string withLiteral(std::string_view pattern, const std::string& value) {
    std::string sql(pattern);
    const auto at = sql.find("%s");
    return sql.replace(at, 2, sqlLiteral(value));
}

// Firebird and InterBase: the relations that are tables, not views, and not the system's.
constexpr const char* kFirebirdTables =
    "SELECT R.RDB$RELATION_NAME FROM RDB$RELATIONS R WHERE R.RDB$VIEW_BLR IS NULL AND "
    "R.RDB$SYSTEM_FLAG = 0";

std::optional<bool> firebirdCheck(run::RunContext& context, Connection& connection,
                                  const ConditionCheck& check) {
    if (check.name == "EXIST_TABLE") {
        const auto rows = queryCommitting(connection, kFirebirdTables);
        for (; !rows->eof(); rows->next()) {
            if (equalsNoCase(strip(rows->text(0)), check.first)) {
                return true;
            }
        }
        return false;
    }
    if (check.name == "EXIST_FIELD") {
        return listHolds(connection.columnNames(check.first), check.second);
    }
    const char* pattern = nullptr;
    if (check.name == "EXIST_VIEW") {
        pattern = "SELECT COUNT(*) FROM RDB$RELATIONS R WHERE (R.RDB$VIEW_SOURCE IS NOT NULL) AND "
                  "(R.RDB$RELATION_NAME=%s)";
    } else if (check.name == "EXIST_PRC") {
        pattern = "SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME=%s";
    } else if (check.name == "EXIST_TRIGGER") {
        pattern = "SELECT COUNT(*) FROM RDB$TRIGGERS T LEFT JOIN RDB$CHECK_CONSTRAINTS C ON "
                  "C.RDB$TRIGGER_NAME = T.RDB$TRIGGER_NAME WHERE ((T.RDB$SYSTEM_FLAG = 0) or "
                  "(T.RDB$SYSTEM_FLAG is null)) AND (C.RDB$TRIGGER_NAME IS NULL) AND "
                  "(T.RDB$TRIGGER_NAME=%s)";
    } else if (check.name == "EXIST_GENERATOR") {
        pattern = "SELECT COUNT(*) FROM RDB$GENERATORS WHERE (RDB$GENERATOR_NAME = %s) AND "
                  "((RDB$SYSTEM_FLAG IS NULL) OR (RDB$SYSTEM_FLAG <> 1))";
    } else if (check.name == "EXIST_INDEX") {
        pattern = "SELECT COUNT(*) FROM RDB$INDICES WHERE RDB$INDEX_NAME=%s";
    } else {
        return std::nullopt;
    }
    context.queryTexts.fibQ = withLiteral(pattern, check.first);
    return countAboveZero(*queryCommitting(connection, context.queryTexts.fibQ));
}

std::optional<bool> msSqlCheck(run::RunContext& context, Connection& connection,
                               const ConditionCheck& check) {
    if (check.name == "EXIST_TABLE") {
        return listHolds(connection.tableNames(), check.first);
    }
    if (check.name == "EXIST_FIELD") {
        return listHolds(connection.columnNames(check.first), check.second);
    }
    if (check.name == "EXIST_GENERATOR") {
        return false;
    }
    const char* pattern = nullptr;
    if (check.name == "EXIST_VIEW") {
        pattern = "SELECT COUNT(*) FROM sysobjects WHERE type = 'V' AND category = 0 AND name = %s";
    } else if (check.name == "EXIST_PRC") {
        pattern = "SELECT COUNT(*) FROM sysobjects WHERE type = 'P' AND category = 0 AND name = %s";
    } else if (check.name == "EXIST_TRIGGER") {
        pattern =
            "SELECT COUNT(*) FROM sysobjects WHERE type = 'TR' AND category = 0 AND name = %s";
    } else if (check.name == "EXIST_INDEX") {
        pattern = "SELECT COUNT(*) FROM sysindexes WHERE name = %s";
    } else {
        return std::nullopt;
    }
    context.queryTexts.qCX = withLiteral(pattern, check.first);
    return countAboveZero(*connection.query(context.queryTexts.qCX));
}

std::optional<bool> oracleCheck(run::RunContext& context, Connection& connection,
                                const ConditionCheck& check) {
    std::string& sql = context.queryTexts.oraQ;
    if (check.name == "EXIST_TABLE") {
        sql = "select tabs.table_name from user_All_tables tabs where UPPER(tabs.table_name)=" +
              sqlLiteral(check.first);
        return !connection.query(sql)->eof();
    }
    if (check.name == "EXIST_FIELD") {
        sql =
            "SELECT COUNT(*) FROM USER_TAB_COLUMNS WHERE TABLE_NAME = " + sqlLiteral(check.first) +
            " AND COLUMN_NAME = " + sqlLiteral(check.second);
        return countAboveZero(*connection.query(sql));
    }
    const char* type = nullptr;
    if (check.name == "EXIST_VIEW") {
        type = "VIEW";
    } else if (check.name == "EXIST_PRC") {
        type = "PROCEDURE";
    } else if (check.name == "EXIST_TRIGGER") {
        type = "TRIGGER";
    } else if (check.name == "EXIST_GENERATOR") {
        type = "SEQUENCE";
    } else if (check.name == "EXIST_INDEX") {
        type = "INDEX";
    } else {
        return std::nullopt;
    }
    sql = std::string("SELECT COUNT(*) FROM USER_OBJECTS WHERE OBJECT_TYPE = '") + type +
          "' AND OBJECT_NAME=" + sqlLiteral(check.first);
    return countAboveZero(*connection.query(sql));
}

// The value of a check; nothing for a name outside the table of checks.
std::optional<bool> evaluate(run::RunContext& context, const ConditionCheck& check) {
    Connection& connection = runConnection(context);
    switch (runDialect(context)) {
    case Dialect::Oracle:
        return oracleCheck(context, connection, check);
    case Dialect::MsSql:
        return msSqlCheck(context, connection, check);
    case Dialect::Firebird:
        break;
    }
    return firebirdCheck(context, connection, check);
}

void logFailure(run::RunContext& context, const std::string& scriptPath,
                const std::string& remaining, const ConditionCheck& check) {
    try {
        const std::string name = (check.negated ? "NOT_" : "") + check.name;
        run::WriteLogEntry(context, scriptPath,
                           "Условия не выполнены:\r\n  Текст условия: '" + remaining +
                               "'\r\n  Проверяем: '" + name + "'\r\n  Параметры: '" + check.first +
                               "', '" + check.second + "'\r\n  Запрос на проверку: '" +
                               queryObjectText(context) + "'");
    } catch (const std::exception&) {
        // A failure entry that cannot be written does not change the condition's value.
    }
}

} // namespace

ConditionCheck takeCheck(std::string& remaining) {
    const auto semicolon = remaining.find(';');
    const std::string text = strip(remaining.substr(0, semicolon));
    remaining =
        semicolon == std::string::npos ? std::string() : strip(remaining.substr(semicolon + 1));

    ConditionCheck check;
    const auto open = text.find('(');
    const auto from = open == std::string::npos ? 0 : open + 1;
    const auto close = text.find(')', from);
    const std::string parameters =
        close == std::string::npos ? std::string() : strip(text.substr(from, close - from));
    check.name = open == std::string::npos ? std::string() : strip(text.substr(0, open));

    if (check.name == "EXIST_FIELD" || check.name == "NOT_EXIST_FIELD") {
        const auto comma = parameters.find(',');
        if (comma == std::string::npos) {
            check.second = parameters;
        } else {
            check.first = strip(parameters.substr(0, comma));
            check.second = strip(parameters.substr(comma + 1));
        }
    } else {
        check.first = parameters;
    }
    if (check.name.starts_with("NOT_")) {
        check.name.erase(0, 4);
        check.negated = true;
    }
    return check;
}

bool CheckConditions(run::RunContext& context, const platform::xml::Element& node,
                     const std::string& scriptPath) {
    if (!node.hasAttribute("CONDITION")) {
        return true;
    }
    std::string remaining = platform::text::localeUpper(strip(node.attribute("CONDITION")));
    if (remaining.empty()) {
        return true;
    }
    bool result = false;
    bool evaluated = false;
    bool value = false;
    while (remaining.find(';') != std::string::npos) {
        const ConditionCheck check = takeCheck(remaining);
        if (const auto checked = evaluate(context, check)) {
            value = *checked;
        }
        if (check.negated) {
            value = !value;
        }
        result = evaluated ? result && value : value;
        evaluated = true;
        if (!value && context.LogCheckErrors) {
            logFailure(context, scriptPath, remaining, check);
        }
    }
    return evaluated && result;
}

} // namespace update::engine
