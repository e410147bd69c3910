#include "platform/text/Text.h"
#include "varnex/Convert.h"
#include "varnex/LookupConversion.h"
#include "varnex/State.h"

#include <optional>

namespace varnex {

namespace {

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
        return conversion.dropWithTriggers(table,
                                           "select * from RDB$TRIGGERS where RDB$RELATION_NAME = " +
                                               platform::text::sqlLiteral(table),
                                           "RDB$TRIGGER_NAME");
    });
    if (!finished) {
        return conversion.result();
    }
    conversion.dropOldParameterTables(
        "select * from RDB$TRIGGERS where (RDB$RELATION_NAME = 'REG_LOK12') or "
        "(RDB$RELATION_NAME = 'REG_LOK13')",
        "RDB$TRIGGER_NAME");
    return conversion.result();
}

} // namespace varnex
