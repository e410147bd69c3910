#pragma once

// What the three conversion routines share: the working objects, the creation and emptying of
// the new tables, the forms loop with its column steps and value copy. The routines add their
// dialect's statements, the drop of a data table and the final clean-up.

#include "varnex/WorkObjects.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace varnex {

// The step tags of the shared steps, which the MSSQL routine numbers differently.
struct StepTags {
    int parameterLookup;
    int resultLookup;
    int beginColumn;
    int insertColumn;
    int valueInsert;
    int readData;
    int readColumns;
    int formsLoop;
};

constexpr StepTags kFirebirdTags{11, 12, 13, 14, 15, 16, 17, 19};
constexpr StepTags kMsSqlTags{7, 8, 9, 10, 11, 12, 13, 16};

// One converted form column, and the REG_LOK18.ID the server gave its row.
struct TLookupField {
    std::int32_t FID = 0;
    std::string CAPTION;
    std::int32_t NUM_ORDER = 0;
    std::int32_t WIDTH = 0;
    std::string FIELD_NAME;
    std::int32_t FIELD_TYPE = 0;
    std::int32_t PARAMETER_TYPE = 0;
    std::string COMPARE_TYPE;
    std::string DEFAULT_VALUE;
    std::string REFERENCE;
    std::int32_t REFERENCE_TYPE = 0;
    std::int32_t HIDDEN_FIELD = 0;
    std::int32_t INDEX_FIELD = 0;
    std::string IN_VAR_NAME;
    std::string OUT_VAR_NAME;
    std::int32_t ID = 0;
};

// The insert of a form column's REG_LOK18 row.
std::string columnInsert(const TLookupField& field);
// The insert of one stored value; value is the text read (empty for a null or a missing column).
std::string valueInsert(std::int32_t recordNumber, std::int32_t fieldId, const std::string& value);

class LookupConversion {
public:
    LookupConversion(platform::db::Connection& connection, const StepTags& tags,
                     std::string readBackSql);

    platform::db::Connection& connection() { return connection_; }
    StatementRunner& runner() { return runner_; }
    Cursor& formsCursor() { return forms_; }
    Cursor& dataCursor() { return data_; }

    std::int32_t result() const { return result_; }
    void fail() { result_ = 1; }

    // Part A, shared: the table list, the creation of REG_LOK18 (tags 01 to 03, progress 2.0)
    // and REG_LOK_VALUES (tags 04 and 05, progress 4.0), and the deletes of tag 06. False means
    // stop: the entry is written and the result is 1.
    bool prepareTables(const std::string& createLookupFields, const std::string& createValues);

    // Runs one statement of part A; on failure the statement entry with the runner's text and
    // the tag, result 1, false.
    bool runPreparation(const std::string& sql, int tag);

    // Part B. dropDataTable runs the dialect's drop of a converted form's data table and
    // returns false to stop the routine. Returns false when a stop ended the loop, true when the
    // loop ran to its end or its own guard ended it.
    using DropDataTable = std::function<bool(const std::string& table)>;
    bool convertForms(const DropDataTable& dropDataTable);

    // True when some form kept its data table because part of it did not reach the new tables.
    bool keptDataTable() const { return keptDataTable_; }

    // The drop of a converted form's data table in Firebird and Oracle: the trigger names that
    // triggerQuery gives in triggerColumn, then SafeDropTable with the stop flag set; a text it
    // returns becomes the drop entry. Any other failure is the statement entry with the data
    // cursor's text and tag 18, and false (stop).
    bool dropWithTriggers(const std::string& table, const std::string& triggerQuery,
                          const char* triggerColumn);

    // Part C in Firebird and Oracle: unless a form kept its data table, REG_LOK12 and REG_LOK13
    // go with the triggers that triggerQuery lists. Every failure is ignored.
    void dropOldParameterTables(const std::string& triggerQuery, const char* triggerColumn);

private:
    void findConvertedForms();
    void convertColumns(std::int32_t formId, const std::string& table);
    void columnSteps(platform::db::Query& row, std::int32_t formId, const std::string& table);
    void copyValues(const std::string& table);

    platform::db::Connection& connection_;
    StepTags tags_;
    std::string readBackSql_;
    StatementRunner runner_;
    Cursor forms_;
    Cursor columns_;
    Cursor data_;
    Cursor lookup_;
    std::int32_t result_ = 0;
    std::vector<std::string> tableNames_;
    bool lookupFieldsExisted_ = false;
    // Forms converted by an earlier run: their data table is gone and REG_LOK18 holds their
    // columns. They keep their rows and are skipped.
    std::set<std::int32_t> convertedForms_;
    std::vector<TLookupField> fields_;
    bool keptDataTable_ = false;
};

} // namespace varnex
