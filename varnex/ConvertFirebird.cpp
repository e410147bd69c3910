#include "platform/text/Text.h"
#include "varnex/Convert.h"
#include "varnex/LookupConversion.h"
#include "varnex/SafeDropTable.h"
#include "varnex/State.h"

#include <optional>

namespace varnex {

namespace {

// Trigger names of a trigger list query, each followed by CR LF. Firebird pads the names of
// its catalogue with blanks; they are taken without them.
std::string triggerList(platform::db::Query& rows, const char* column) {
    std::string list;
    for (; !rows.eof(); rows.next()) {
        list.append(platform::text::trimBlanks(rows.text(column))).append("\r\n");
    }
    return list;
}

// Opens a test query on the forms cursor; on failure the statement entry with the cursor's
// text and the tag. Returns whether the query gave a row; nullopt means stop.
std::optional<bool> hasRow(LookupConversion& conversion, const std::string& sql, int tag) {
    try {
        const bool found = !conversion.formsCursor().open(sql).eof();
        conversion.formsCursor().close();
        return found;
    } catch (const std::exception& e) {
        appendStatementEntry(e.what(), conversion.formsCursor().text(), tag);
        conversion.fail();
        return std::nullopt;
    }
}

} // namespace

std::int32_t ConvertFirebird(platform::db::Connection& connection) {
    LookupConversion conversion(connection, kFirebirdTags,
                                "select first 1 ID from REG_LOK18 order by ID desc");
    if (!conversion.prepareTables(
            "create table REG_LOK18 (ID INTEGER NOT NULL, FID INTEGER, CAPTION VARCHAR(250), "
            "NUM_ORDER INTEGER, WIDTH INTEGER, FIELD_NAME VARCHAR(250), FIELD_TYPE INTEGER, "
            "PARAMETER_TYPE INTEGER, COMPARE_TYPE VARCHAR(2), DEFAULT_VALUE VARCHAR(250), "
            "REFERENCE VARCHAR(250), REFERENCE_TYPE INTEGER, HIDDEN_FIELD INTEGER, INDEX_FIELD "
            "INTEGER, IN_VAR_NAME VARCHAR(250) , OUT_VAR_NAME VARCHAR(250) )",
            "create table REG_LOK_VALUES (REC_NUM INTEGER NOT NULL, FID INTEGER, STR_VALUE "
            "VARCHAR(250), INT_VALUE INTEGER, FLT_VALUE DOUBLE PRECISION )")) {
        return 1;
    }
    SetProcPercent(6.0);

    // The generator counts as present only when something depends on it.
    const auto generator =
        hasRow(conversion,
               "select * from RDB$DEPENDENCIES where RDB$DEPENDED_ON_NAME = 'GEN_REG_LOK18_ID'", 8);
    if (!generator) {
        return 1;
    }
    if (!*generator && !conversion.runPreparation("create sequence GEN_REG_LOK18_ID", 7)) {
        return 1;
    }
    SetProcPercent(8.0);

    const auto trigger = hasRow(conversion,
                                "select * from RDB$TRIGGERS where RDB$RELATION_NAME = "
                                "'REG_LOK18' and RDB$TRIGGER_NAME = 'REG_LOK18_BI0'",
                                10);
    if (!trigger) {
        return 1;
    }
    if (!*trigger &&
        !conversion.runPreparation(
            "create or alter trigger REG_LOK18_BI0 for REG_LOK18 \r\nactive before insert "
            "position 0 \r\nas begin \r\n if ((NEW.ID IS NULL) or (NEW.ID = 0)) then \r\n NEW.ID "
            "= GEN_ID(GEN_REG_LOK18_ID,1); \r\nend",
            9)) {
        return 1;
    }
    SetProcPercent(10.0);

    const bool finished = conversion.convertForms([&](const std::string& table) {
        Cursor& data = conversion.dataCursor();
        try {
            auto& rows = data.open("select * from RDB$TRIGGERS where RDB$RELATION_NAME = " +
                                   platform::text::sqlLiteral(table));
            const std::string triggers = triggerList(rows, "RDB$TRIGGER_NAME");
            data.close();
            const std::string dropped = SafeDropTable(connection, table, triggers, true);
            if (!dropped.empty()) {
                appendDropEntry(dropped);
            }
            return true;
        } catch (const std::exception& e) {
            appendStatementEntry(e.what(), data.text(), 18);
            return false;
        }
    });
    if (!finished) {
        return conversion.result();
    }

    // The old parameter and result tables go, unless a form kept its data table.
    if (!conversion.keptDataTable()) {
        try {
            auto& rows = conversion.dataCursor().open(
                "select * from RDB$TRIGGERS where (RDB$RELATION_NAME = 'REG_LOK12') or "
                "(RDB$RELATION_NAME = 'REG_LOK13')");
            const std::string triggers = triggerList(rows, "RDB$TRIGGER_NAME");
            conversion.dataCursor().close();
            SafeDropTable(connection, "REG_LOK12", triggers, false);
            SafeDropTable(connection, "REG_LOK13", triggers, false);
        } catch (const std::exception&) {
            // The clean-up reports nothing.
        }
    }
    return conversion.result();
}

} // namespace varnex
