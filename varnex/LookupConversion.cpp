#include "varnex/LookupConversion.h"

#include "platform/text/Text.h"
#include "varnex/ProbeFieldType.h"
#include "varnex/SafeDropTable.h"
#include "varnex/State.h"

#include <algorithm>

namespace varnex {

namespace {

using platform::text::sqlLiteral;

// Trigger names of a trigger list query, each followed by CR LF. The catalogues pad their
// names with blanks; they are taken without them.
std::string triggerList(platform::db::Query& rows, const char* column) {
    std::string list;
    for (; !rows.eof(); rows.next()) {
        list.append(platform::text::trimBlanks(rows.text(column))).append("\r\n");
    }
    return list;
}

bool hasTable(const std::vector<std::string>& names, const std::string& table) {
    const std::string wanted = platform::text::trimBlanks(table);
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return platform::text::localeUpper(name) == platform::text::localeUpper(wanted);
    });
}

std::string idList(const std::set<std::int32_t>& ids) {
    std::string list;
    for (const auto id : ids) {
        if (!list.empty()) {
            list.append(", ");
        }
        list.append(std::to_string(id));
    }
    return list;
}

} // namespace

std::string columnInsert(const TLookupField& f) {
    std::string sql = "insert into REG_LOK18 (FID, CAPTION, NUM_ORDER, WIDTH, FIELD_NAME, "
                      "FIELD_TYPE, PARAMETER_TYPE, COMPARE_TYPE, DEFAULT_VALUE, REFERENCE, "
                      "REFERENCE_TYPE, HIDDEN_FIELD, INDEX_FIELD, IN_VAR_NAME, OUT_VAR_NAME) "
                      "values (";
    const auto number = [&](std::int32_t v) { sql.append(std::to_string(v)).append(", "); };
    const auto text = [&](const std::string& v) { sql.append(sqlLiteral(v)).append(", "); };
    number(f.FID);
    text(f.CAPTION);
    number(f.NUM_ORDER);
    number(f.WIDTH);
    text(f.FIELD_NAME);
    number(f.FIELD_TYPE);
    number(f.PARAMETER_TYPE);
    text(f.COMPARE_TYPE);
    text(f.DEFAULT_VALUE);
    text(f.REFERENCE);
    number(f.REFERENCE_TYPE);
    number(f.HIDDEN_FIELD);
    number(f.INDEX_FIELD);
    text(f.IN_VAR_NAME);
    sql.append(sqlLiteral(f.OUT_VAR_NAME)).append(")");
    return sql;
}

std::string valueInsert(std::int32_t recordNumber, std::int32_t fieldId, const std::string& value) {
    std::string integer = "null";
    std::string floating = "null";
    if (platform::text::parseInt32(value)) {
        integer = value;
    }
    if (platform::text::parseDecimal(value)) {
        floating = value;
        std::replace(floating.begin(), floating.end(), ',', '.');
    }
    std::string sql =
        "insert into REG_LOK_VALUES (REC_NUM, FID, STR_VALUE, INT_VALUE, FLT_VALUE) values (";
    sql.append(std::to_string(recordNumber)).append(", ").append(std::to_string(fieldId));
    sql.append(", ").append(value.empty() ? std::string("null") : sqlLiteral(value));
    sql.append(", ").append(integer).append(", ").append(floating).append(")");
    return sql;
}

LookupConversion::LookupConversion(platform::db::Connection& connection, const StepTags& tags,
                                   std::string readBackSql)
    : connection_(connection), tags_(tags), readBackSql_(std::move(readBackSql)),
      runner_(connection), forms_(connection), columns_(connection), data_(connection),
      lookup_(connection) {}

bool LookupConversion::runPreparation(const std::string& sql, int tag) {
    try {
        runner_.run(sql);
        return true;
    } catch (const std::exception& e) {
        appendStatementEntry(e.what(), runner_.text(), tag);
        fail();
        return false;
    }
}

bool LookupConversion::prepareTables(const std::string& createLookupFields,
                                     const std::string& createValues) {
    try {
        tableNames_ = connection_.tableNames();
    } catch (const std::exception& e) {
        appendTableListingEntry(e.what());
        fail();
        return false;
    }
    lookupFieldsExisted_ = hasTable(tableNames_, "REG_LOK18");
    if (!lookupFieldsExisted_) {
        if (!runPreparation(createLookupFields, 1) ||
            !runPreparation("alter table REG_LOK18 add constraint PK_REG_LOK18 primary key (ID)",
                            2) ||
            !runPreparation("alter table REG_LOK18 add constraint FK_REG_LOK18_1 foreign key "
                            "(FID) references REG_LOK7 (ID)",
                            3)) {
            return false;
        }
    }
    SetProcPercent(2.0);
    if (!hasTable(tableNames_, "REG_LOK_VALUES")) {
        if (!runPreparation(createValues, 4) ||
            !runPreparation("alter table REG_LOK_VALUES add constraint FK_REG_LOK_VALUES_1 "
                            "foreign key (FID) references REG_LOK18 (ID)",
                            5)) {
            return false;
        }
    }
    SetProcPercent(4.0);

    // The deletes remove only the rows of the forms that are converted in this run; a form that
    // an earlier run converted keeps its rows, since its data table is gone.
    const std::string* failing = &runner_.text();
    try {
        failing = &forms_.text();
        findConvertedForms();
        failing = &runner_.text();
        if (convertedForms_.empty()) {
            runner_.run("delete from REG_LOK_VALUES");
            runner_.run("delete from REG_LOK18");
        } else {
            const std::string kept = idList(convertedForms_);
            runner_.run("delete from REG_LOK_VALUES where (FID is null) or (FID not in (select "
                        "ID from REG_LOK18 where FID in (" +
                        kept + ")))");
            runner_.run("delete from REG_LOK18 where (FID is null) or (FID not in (" + kept + "))");
        }
    } catch (const std::exception& e) {
        appendStatementEntry(e.what(), *failing, 6);
        fail();
        return false;
    }
    return true;
}

void LookupConversion::findConvertedForms() {
    convertedForms_.clear();
    if (!lookupFieldsExisted_) {
        return;
    }
    std::set<std::int32_t> withoutTable;
    for (auto& form = forms_.open("select * from REG_LOK7"); !form.eof(); form.next()) {
        if (!form.isNull("ID") && !hasTable(tableNames_, form.text("TABNAME"))) {
            withoutTable.insert(form.integer("ID"));
        }
    }
    forms_.close();
    if (withoutTable.empty()) {
        return;
    }
    for (auto& row = forms_.open("select distinct FID from REG_LOK18"); !row.eof(); row.next()) {
        if (!row.isNull(0) && withoutTable.count(row.integer(0)) != 0) {
            convertedForms_.insert(row.integer(0));
        }
    }
    forms_.close();
}

bool LookupConversion::convertForms(const DropDataTable& dropDataTable) {
    try {
        auto& form = forms_.open("select * from REG_LOK7");
        const int count = form.recordCount();
        for (int k = 1; !form.eof(); ++k, form.next()) {
            SetProcPercent(10.0 + 90.0 * k / count);
            const std::int32_t formId = form.integer("ID");
            const std::string table = form.text("TABNAME");
            if (convertedForms_.count(formId) != 0) {
                continue;
            }
            const std::size_t entriesBefore = errorStr().size();
            convertColumns(formId, table);
            if (errorStr().size() != entriesBefore) {
                // Part of the form did not reach the new tables: its data table stays.
                keptDataTable_ = true;
                continue;
            }
            if (!dropDataTable(table)) {
                fail();
                return false;
            }
        }
    } catch (const std::exception& e) {
        appendStatementEntry(e.what(), forms_.text(), tags_.formsLoop);
    }
    return true;
}

void LookupConversion::convertColumns(std::int32_t formId, const std::string& table) {
    fields_.clear();
    try {
        auto& row = columns_.open("select * from REG_LOK_STR where FID=" + std::to_string(formId) +
                                  " order by SORT_ORDER");
        for (; !row.eof(); row.next()) {
            columnSteps(row, formId, table);
        }
        copyValues(table);
    } catch (const std::exception& e) {
        appendStatementEntry(e.what(), columns_.text(), tags_.readColumns);
    }
}

void LookupConversion::columnSteps(platform::db::Query& row, std::int32_t formId,
                                   const std::string& table) {
    // C1: the form column as REG_LOK_STR describes it.
    TLookupField f;
    f.FID = formId;
    const auto integer = [&](const char* column, std::int32_t& target) {
        if (!row.isNull(column)) {
            target = row.integer(column);
        }
    };
    const auto text = [&](const char* column, std::string& target) {
        if (!row.isNull(column)) {
            target = row.text(column);
        }
    };
    text("USER_FIELD_TITLE", f.CAPTION);
    integer("SORT_ORDER", f.NUM_ORDER);
    integer("FIELD_WIDTH", f.WIDTH);
    if (!row.isNull("USER_FIELD_NAME")) {
        f.FIELD_NAME = platform::text::localeUpper(row.text("USER_FIELD_NAME"));
    }
    text("LOOKUP_DATA", f.REFERENCE);
    integer("LOOKUP_TYPE", f.REFERENCE_TYPE);
    integer("HIDDEN_FIELD", f.HIDDEN_FIELD);
    integer("INDEX_FIELD", f.INDEX_FIELD);

    // C2: the type of the data column.
    f.FIELD_TYPE = ProbeFieldType(lookup_, table, f.FIELD_NAME);
    const std::string fid = std::to_string(f.FID);

    // C3: the column as an input parameter of the form.
    try {
        auto& p = lookup_.open("select * from REG_LOK12 where FID=" + fid + " and " +
                               "upper(VAR_NAME) = " + sqlLiteral(f.FIELD_NAME));
        if (!p.eof()) {
            f.PARAMETER_TYPE |= 1;
            f.IN_VAR_NAME = f.FIELD_NAME;
            if (!p.isNull("VALUE_TYPE") && p.integer("VALUE_TYPE") > 0) {
                f.FIELD_TYPE = p.integer("VALUE_TYPE");
            }
            if (!p.isNull("COMP_DATA")) {
                f.COMPARE_TYPE = p.text("COMP_DATA");
            }
            if (!p.isNull("NAME")) {
                f.CAPTION = p.text("NAME");
            }
        }
    } catch (const std::exception& e) {
        appendStatementEntry(e.what(), lookup_.text(), tags_.parameterLookup);
    }

    // C4: the column as a result of the form.
    try {
        auto& r = lookup_.open("select * from REG_LOK13 where (FID=" + fid + ") and (" +
                               "upper(RES_FIELD) = " + sqlLiteral(f.FIELD_NAME) + ")");
        if (!r.eof()) {
            f.PARAMETER_TYPE |= 2;
            if (!r.isNull("RES_DEF")) {
                f.DEFAULT_VALUE = r.text("RES_DEF");
            }
            if (!r.isNull("NAME")) {
                f.CAPTION = r.text("NAME");
            }
            if (!r.isNull("RES_NAME")) {
                f.OUT_VAR_NAME = r.text("RES_NAME");
            }
        }
    } catch (const std::exception& e) {
        appendStatementEntry(e.what(), lookup_.text(), tags_.resultLookup);
    }

    // C5: one transaction per column row.
    try {
        if (!connection_.inTransaction()) {
            connection_.beginTransaction();
        }
    } catch (const std::exception& e) {
        appendShortEntry(e.what(), tags_.beginColumn);
        fail();
        return;
    }

    // C6: the insert and the ID the server gave the row.
    const std::string* failing = &runner_.text();
    try {
        runner_.run(columnInsert(f));
        failing = &lookup_.text();
        auto& id = lookup_.open(readBackSql_);
        f.ID = id.integer("ID");
        lookup_.close();
    } catch (const std::exception& e) {
        appendStatementEntry(e.what(), *failing, tags_.insertColumn);
        fail();
        connection_.rollback();
        return;
    }

    // C7
    if (connection_.inTransaction()) {
        connection_.commit();
    }
    fields_.push_back(std::move(f));
}

void LookupConversion::copyValues(const std::string& table) {
    try {
        auto& record = data_.open("select * from " + table);
        std::vector<int> columnOf;
        for (const auto& f : fields_) {
            columnOf.push_back(record.findColumn(f.FIELD_NAME));
        }
        for (std::int32_t recordNumber = 0; !record.eof(); ++recordNumber, record.next()) {
            for (std::size_t i = 0; i < fields_.size(); ++i) {
                std::string value;
                try {
                    if (columnOf[i] >= 0 && !record.isNull(columnOf[i])) {
                        value = record.text(columnOf[i]);
                    }
                } catch (const std::exception&) {
                    value.clear();
                }
                try {
                    runner_.run(valueInsert(recordNumber, fields_[i].ID, value));
                } catch (const std::exception& e) {
                    appendStatementEntry(e.what(), runner_.text(), tags_.valueInsert);
                }
            }
        }
    } catch (const std::exception& e) {
        appendStatementEntry(e.what(), data_.text(), tags_.readData);
    }
}

bool LookupConversion::dropWithTriggers(const std::string& table, const std::string& triggerQuery,
                                        const char* triggerColumn) {
    try {
        const std::string triggers = triggerList(data_.open(triggerQuery), triggerColumn);
        data_.close();
        const std::string dropped = SafeDropTable(connection_, table, triggers, true);
        if (!dropped.empty()) {
            appendDropEntry(dropped);
        }
        return true;
    } catch (const std::exception& e) {
        appendStatementEntry(e.what(), data_.text(), 18);
        return false;
    }
}

void LookupConversion::dropOldParameterTables(const std::string& triggerQuery,
                                              const char* triggerColumn) {
    if (keptDataTable_) {
        return;
    }
    try {
        const std::string triggers = triggerList(data_.open(triggerQuery), triggerColumn);
        data_.close();
        SafeDropTable(connection_, "REG_LOK12", triggers, false);
        SafeDropTable(connection_, "REG_LOK13", triggers, false);
    } catch (const std::exception&) {
        // The clean-up reports nothing.
    }
}

} // namespace varnex
