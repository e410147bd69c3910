#include "varnex/Convert.h"
#include "varnex/LookupConversion.h"
#include "varnex/SafeDropTable.h"
#include "varnex/State.h"

namespace varnex {

std::int32_t ConvertMSSQL(platform::db::Connection& connection) {
    LookupConversion conversion(connection, kMsSqlTags,
                                "select top 1 ID from REG_LOK18 order by ID desc");
    if (!conversion.prepareTables(
            "create table REG_LOK18 (ID INT IDENTITY(1, 1), FID INT, CAPTION VARCHAR(250), "
            "NUM_ORDER INT, WIDTH INT, FIELD_NAME VARCHAR(250), FIELD_TYPE INT, PARAMETER_TYPE "
            "INT, COMPARE_TYPE VARCHAR(2), DEFAULT_VALUE VARCHAR(250), REFERENCE VARCHAR(250), "
            "REFERENCE_TYPE INT, HIDDEN_FIELD INT, INDEX_FIELD INT, IN_VAR_NAME VARCHAR(250), "
            "OUT_VAR_NAME VARCHAR(250) )",
            "create table REG_LOK_VALUES (REC_NUM INT NOT NULL, FID INT, STR_VALUE VARCHAR(250), "
            "INT_VALUE INTEGER, FLT_VALUE FLOAT(53) )")) {
        return 1;
    }
    // The server numbers the rows: no generator, no trigger.
    SetProcPercent(10.0);

    // A data table is dropped in a transaction, so that a drop that fails half way is undone,
    // foreign keys included.
    conversion.convertForms([&](const std::string& table) {
        try {
            if (!connection.inTransaction()) {
                connection.beginTransaction();
            }
        } catch (const std::exception& e) {
            appendShortEntry(e.what(), 14);
            conversion.fail();
            return true;
        }
        try {
            if (SafeDropTable(connection, table, std::string(), true).empty()) {
                connection.commit();
            } else {
                connection.rollback();
            }
        } catch (const std::exception& e) {
            appendShortEntry(e.what(), 15);
            conversion.fail();
        }
        return true;
    });
    // REG_LOK12 and REG_LOK13 stay.
    return conversion.result();
}

} // namespace varnex
