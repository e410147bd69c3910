#include "tests/varnex/LookupFormsDatabase.h"

#include "platform/db/ConnectionString.h"
#include "platform/text/Text.h"

namespace varnextest {

namespace {

// The one place that creates a database file.
void createDatabase(const std::string& connectionString) {
    platform::db::createFirebirdDatabase(connectionString)->close();
}

} // namespace

std::string sysdbaConnectionString(const std::string& path) {
    return platform::db::firebirdConnectionString(path, "SYSDBA", "masterkey");
}

LookupFormsDatabase::LookupFormsDatabase()
    : path_((dir_ / "product.fdb").string()), connectionString_(sysdbaConnectionString(path_)) {
    createDatabase(connectionString_);
    run({
        "create table REG_LOK7 (ID INTEGER NOT NULL PRIMARY KEY, TABNAME VARCHAR(31), "
        "NAME VARCHAR(100))",
        "create table REG_LOK_STR (ID INTEGER NOT NULL PRIMARY KEY, FID INTEGER, SORT_ORDER "
        "INTEGER, USER_FIELD_TITLE VARCHAR(100), FIELD_WIDTH INTEGER, USER_FIELD_NAME "
        "VARCHAR(31), LOOKUP_DATA VARCHAR(100), LOOKUP_TYPE INTEGER, HIDDEN_FIELD INTEGER, "
        "INDEX_FIELD INTEGER)",
        "create table REG_LOK12 (FID INTEGER, VAR_NAME VARCHAR(31), VALUE_TYPE INTEGER, "
        "COMP_DATA VARCHAR(2), NAME VARCHAR(100))",
        "create table REG_LOK13 (FID INTEGER, RES_FIELD VARCHAR(31), RES_DEF VARCHAR(100), "
        "NAME VARCHAR(100), RES_NAME VARCHAR(31))",
        "create trigger REG_LOK12_BI for REG_LOK12 before insert as begin "
        "NEW.VAR_NAME = trim(NEW.VAR_NAME); end",
    });
}

std::unique_ptr<platform::db::Connection> LookupFormsDatabase::open() const {
    return platform::db::openConnection(connectionString_);
}

void LookupFormsDatabase::run(const std::vector<std::string>& statements) const {
    const auto c = open();
    for (const auto& sql : statements) {
        c->execute(sql);
    }
    c->close();
}

void LookupFormsDatabase::addSampleForms() const {
    run({
        "create table LOK_CITY (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(100), "
        "POPULATION INTEGER, AREA DOUBLE PRECISION, FOUNDED DATE, NOTE VARCHAR(100))",
        "create trigger LOK_CITY_BI for LOK_CITY before insert as begin "
        "if (NEW.NOTE = '') then NEW.NOTE = null; end",
        "create table CITY_REF (ID INTEGER, CITY_ID INTEGER, "
        "constraint FK_CITY_REF_CITY foreign key (CITY_ID) references LOK_CITY (ID))",
        "insert into LOK_CITY values (1, 'Москва', 12600000, 2561.5, '1147-04-04', '1,5')",
        "insert into LOK_CITY values (2, 'O''Hara', -7, 42, null, 'x')",
        "insert into LOK_CITY values (3, '', null, null, '2024-05-01', null)",
        "insert into CITY_REF values (10, 1)",
        "create table LOK_UNIT (CODE INTEGER, CAPTION VARCHAR(50))",
        "insert into LOK_UNIT values (1, 'кг')",
        "insert into LOK_UNIT values (2, 'd''Arc')",

        "insert into REG_LOK7 values (1, 'LOK_CITY', 'Города')",
        "insert into REG_LOK7 values (2, 'LOK_UNIT', 'Units')",
        // Form 1, in an order other than SORT_ORDER.
        "insert into REG_LOK_STR values (13, 1, 3, null, 80, 'area', null, null, null, null)",
        "insert into REG_LOK_STR values (11, 1, 1, 'Код', 50, 'id', 'REF_CITY', 2, 1, 1)",
        "insert into REG_LOK_STR values (12, 1, 2, 'Название', 200, 'Name', null, null, 0, 0)",
        "insert into REG_LOK_STR values (14, 1, 4, 'Основан', 60, 'FOUNDED', null, null, null, "
        "null)",
        "insert into REG_LOK_STR values (15, 1, 5, 'Нет такой', 10, 'MISSING', null, null, "
        "null, null)",
        "insert into REG_LOK_STR values (16, 1, 6, 'Примечание', 10, 'note', null, null, null, "
        "null)",
        // Form 2.
        "insert into REG_LOK_STR values (21, 2, 1, 'Unit''s name', 100, 'CAPTION', null, null, "
        "null, null)",
        "insert into REG_LOK_STR values (22, 2, 2, null, null, 'CODE', null, null, null, null)",
        // Parameters: a name replaces the caption; a VALUE_TYPE above 0 replaces the type, 0
        // and negative ones do not.
        "insert into REG_LOK12 values (1, 'ID', 0, '=', 'Код города')",
        "insert into REG_LOK12 values (1, 'name', 5, 'LK', 'Параметр')",
        "insert into REG_LOK12 values (1, 'AREA', -1, null, null)",
        "insert into REG_LOK12 values (2, 'CODE', 4, null, null)",
        // Results: a result name wins over the parameter's.
        "insert into REG_LOK13 values (1, 'NAME', 'Москва', 'Город', 'CITY_NAME')",
        "insert into REG_LOK13 values (2, 'caption', null, null, 'UNIT')",
    });
}

std::vector<std::string> LookupFormsDatabase::rows(const std::string& sql) const {
    const auto c = open();
    std::vector<std::string> out;
    {
        const auto q = c->query(sql);
        for (; !q->eof(); q->next()) {
            std::string row;
            for (int i = 0; i < q->columnCount(); ++i) {
                if (i > 0) {
                    row.push_back('|');
                }
                row.append(q->isNull(i) ? "<null>" : q->text(i));
            }
            out.push_back(row);
        }
    }
    c->close();
    return out;
}

bool LookupFormsDatabase::hasTable(const std::string& name) const {
    const auto c = open();
    const auto names = c->tableNames();
    c->close();
    for (const auto& n : names) {
        if (n == name) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> LookupFormsDatabase::triggersOf(const std::string& table) const {
    std::vector<std::string> names;
    for (const auto& row : rows("select RDB$TRIGGER_NAME from RDB$TRIGGERS where "
                                "RDB$RELATION_NAME = " +
                                platform::text::sqlLiteral(table) +
                                " and coalesce(RDB$SYSTEM_FLAG, 0) = 0 order by 1")) {
        names.push_back(platform::text::trimBlanks(row));
    }
    return names;
}

} // namespace varnextest
