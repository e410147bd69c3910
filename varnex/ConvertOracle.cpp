#include "platform/text/Text.h"
#include "varnex/Convert.h"
#include "varnex/LookupConversion.h"
#include "varnex/State.h"

namespace varnex {

namespace {

using platform::text::sqlLiteral;

std::string ownerIs(const char* column) {
    return std::string("(") + column + " = " + sqlLiteral(userName()) + ")";
}

} // namespace

std::int32_t ConvertOracle(platform::db::Connection& connection) {
    LookupConversion conversion(connection, kFirebirdTags, "select max(ID) as ID from REG_LOK18");
    if (!conversion.prepareTables(
            "create table REG_LOK18 (ID NUMBER NOT NULL, FID NUMBER, CAPTION VARCHAR2(250), "
            "NUM_ORDER NUMBER, WIDTH NUMBER, FIELD_NAME VARCHAR2(250), FIELD_TYPE NUMBER, "
            "PARAMETER_TYPE NUMBER, COMPARE_TYPE VARCHAR2(2), DEFAULT_VALUE VARCHAR2(250), "
            "REFERENCE VARCHAR2(250), REFERENCE_TYPE NUMBER, HIDDEN_FIELD NUMBER, INDEX_FIELD "
            "NUMBER, IN_VAR_NAME VARCHAR2(250) , OUT_VAR_NAME VARCHAR2(250) )",
            "create table REG_LOK_VALUES (REC_NUM NUMBER NOT NULL, FID NUMBER, STR_VALUE "
            "VARCHAR2(250), INT_VALUE NUMBER, FLT_VALUE FLOAT )")) {
        return 1;
    }
    SetProcPercent(6.0);

    Cursor& forms = conversion.formsCursor();
    // The sequence and the trigger count only under the owner named by the connection.
    bool sequenceFound = false;
    try {
        sequenceFound =
            !forms
                 .open("select * from SYS.ALL_SEQUENCES where " + ownerIs("SEQUENCE_OWNER") +
                       " and (SEQUENCE_NAME = 'GEN_REG_LOK18_ID')")
                 .eof();
        forms.close();
    } catch (const std::exception& e) {
        appendStatementEntry(e.what(), forms.text(), 8);
        conversion.fail();
        return 1;
    }
    if (!sequenceFound && !conversion.runPreparation("create sequence GEN_REG_LOK18_ID", 7)) {
        return 1;
    }
    SetProcPercent(8.0);

    bool triggerFound = false;
    try {
        triggerFound = !forms
                            .open("select * from SYS.ALL_TRIGGERS where " + ownerIs("OWNER") +
                                  " and (TRIGGER_NAME = 'REG_LOK18_BI0')")
                            .eof();
        forms.close();
    } catch (const std::exception& e) {
        appendStatementEntry(e.what(), forms.text(), 10);
        conversion.fail();
        return 1;
    }
    if (!triggerFound) {
        try {
            conversion.runner().run("create trigger " + userName() +
                                    ".REG_LOK18_BI0 before insert on REG_LOK18 \r\n"
                                    "referencing NEW as NEW OLD as OLD for each row \r\n"
                                    "begin\r\n"
                                    "  select GEN_REG_LOK18_ID.NEXTVAL into :NEW.ID from DUAL; \r\n"
                                    "end;");
        } catch (const std::exception& e) {
            // The runner's parameter parsing is off, and the entry says so.
            appendStatementEntry(e.what(), conversion.runner().text(), 9, " False");
            conversion.fail();
            return 1;
        }
    }
    SetProcPercent(10.0);

    const bool finished = conversion.convertForms([&](const std::string& table) {
        return conversion.dropWithTriggers(table,
                                           "select * from SYS.ALL_TRIGGERS where " +
                                               ownerIs("OWNER") +
                                               " and (TABLE_NAME=" + sqlLiteral(table) + ")",
                                           "TRIGGER_NAME");
    });
    if (!finished) {
        return conversion.result();
    }
    conversion.dropOldParameterTables(
        "select * from SYS.ALL_TRIGGERS where " + ownerIs("OWNER") +
            " and ((TABLE_NAME='REG_LOK12') or (TABLE_NAME='REG_LOK13'))",
        "TRIGGER_NAME");
    return conversion.result();
}

} // namespace varnex
