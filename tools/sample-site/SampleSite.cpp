#include "tools/sample-site/SampleSite.h"

#include "platform/db/ConnectionString.h"
#include "platform/text/Text.h"
#include "tools/sample-site/SampleSchema.h"
#include "update/connect/CredentialForms.h"

#include <algorithm>
#include <cstdio>

namespace tools::samplesite {

namespace {

using platform::text::sqlLiteral;

const char* const kAdminsGuid = "{5B1E4C2A-7D3F-4E8A-9C61-0A2B3C4D5E01}";
const char* const kDesignersGuid = "{5B1E4C2A-7D3F-4E8A-9C61-0A2B3C4D5E02}";
const char* const kAdminGuid = "{9F0D2E6B-1A4C-4B7D-8E3F-112233445501}";
const char* const kIvanovGuid = "{9F0D2E6B-1A4C-4B7D-8E3F-112233445502}";
const char* const kGuestGuid = "{9F0D2E6B-1A4C-4B7D-8E3F-112233445503}";

std::string text(const std::string& value) {
    return sqlLiteral(value);
}
std::string number(int value) {
    return std::to_string(value);
}

// The cipher the product's login reads the credentials with: the RC4 digit text from database
// version "3.0.0" on, the shift cipher for older databases and for those whose version is
// unknown (no BO_VERSION rows).
std::function<std::string(const std::string&)> productCipher(const SampleOptions& options) {
    std::string newest;
    if (options.withVersionTable) {
        for (const std::string& version : options.versions) {
            newest = std::max(newest, version);
        }
    }
    if (newest < "3.0.0") {
        return [table = update::connect::loadShiftKeyTable()](const std::string& plain) {
            return update::connect::storedFormOld(plain, table);
        };
    }
    return [](const std::string& plain) { return update::connect::storedFormNew(plain); };
}

class Filler {
public:
    Filler(platform::db::Connection& c, const SampleOptions& options)
        : c_(c), store_(options.storePassword) {
        if (!store_) {
            store_ = productCipher(options);
        }
    }

    void insert(const std::string& table, const std::string& columns,
                const std::vector<std::string>& values) {
        std::string list;
        for (const auto& v : values) {
            list += (list.empty() ? "" : ", ") + v;
        }
        c_.execute("INSERT INTO " + table + " (" + columns + ") VALUES (" + list + ")");
    }

    // A stored credential; an empty plain text stays NULL.
    std::string credential(const std::string& plain) const {
        return plain.empty() ? "NULL" : text(store_(plain));
    }

private:
    platform::db::Connection& c_;
    std::function<std::string(const std::string&)> store_;
};

void fillLogin(Filler& f, const SampleOptions& options) {
    const std::string groupColumns = "GUID, GROUPNAME";
    f.insert("LOGON_GROUP", groupColumns, {text(kAdminsGuid), text("Администраторы")});
    f.insert("LOGON_GROUP", groupColumns, {text(kDesignersGuid), text("Конструкторы")});

    const std::string userColumns =
        "GUID, USERNAME, PAROL, USERNAMESQL, PASSWORDSQL, ROLES, DEFGROUPGUID";
    f.insert("LOGON_USER", userColumns,
             {text(kAdminGuid), text("ADMIN"), f.credential("admin"), f.credential(options.sqlUser),
              f.credential(options.sqlPassword), text("ADMIN"), text(kAdminsGuid)});
    f.insert("LOGON_USER", userColumns,
             {text(kIvanovGuid), text("IVANOV"), f.credential("ivanov"), "NULL", "NULL",
              text("USER"), text(kDesignersGuid)});
    f.insert("LOGON_USER", userColumns,
             {text(kGuestGuid), text("GUEST"), "NULL", "NULL", "NULL", "NULL", "NULL"});

    const std::string linkColumns = "USER_ID, GROUP_ID";
    f.insert("LOGON_LINK", linkColumns, {text(kAdminGuid), text(kAdminsGuid)});
    f.insert("LOGON_LINK", linkColumns, {text(kAdminGuid), text(kDesignersGuid)});
    f.insert("LOGON_LINK", linkColumns, {text(kIvanovGuid), text(kDesignersGuid)});

    const std::string privilegeColumns = "GROUP_ID, ACTIONNAME";
    f.insert("LOGON_PRIVILEGES", privilegeColumns, {text(kAdminsGuid), text("ADMINISTRATION")});
    f.insert("LOGON_PRIVILEGES", privilegeColumns, {text(kAdminsGuid), text("EDIT")});
    f.insert("LOGON_PRIVILEGES", privilegeColumns, {text(kDesignersGuid), text("VIEW")});
    f.insert("LOGON_PRIVILEGES", privilegeColumns, {text(kDesignersGuid), text("EDIT")});
}

void fillVersions(Filler& f, const SampleOptions& options) {
    int id = 0;
    for (const auto& version : options.versions) {
        ++id;
        // One update a month from January 2020 on, the latest last.
        char date[32];
        std::snprintf(date, sizeof date, "%04d-%02d-15 10:30:00", 2020 + (id - 1) / 12,
                      (id - 1) % 12 + 1);
        f.insert("BO_VERSION", "ID, BDVERSION, UPDATEUSER, UPDATEDATE, UPDATELOG",
                 {number(id), text(version), text("ADMIN"), text(date), "NULL"});
    }
}

void fillLookupForms(Filler& f) {
    f.insert("REG_LOK7", "ID, TABNAME, NAME", {number(1), text("LOK_STEEL"), text("Марки стали")});
    f.insert("REG_LOK7", "ID, TABNAME, NAME", {number(2), text("LOK_BOLTS"), text("Болты")});

    const std::string columns = "ID, FID, SORT_ORDER, USER_FIELD_TITLE, FIELD_WIDTH,"
                                " USER_FIELD_NAME, LOOKUP_DATA, LOOKUP_TYPE, HIDDEN_FIELD,"
                                " INDEX_FIELD";
    struct Column {
        int id, fid, order;
        const char* title;
        int width;
        const char* field;
        const char* lookup; // nullptr: NULL
        int lookupType, hidden, index;
    };
    // Field names are not always written in upper case in old forms (see "hardness").
    const Column rows[] = {
        {1, 1, 1, "Марка", 120, "GRADE", nullptr, 0, 0, 1},
        {2, 1, 2, "Плотность, г/см3", 80, "DENSITY", nullptr, 0, 0, 0},
        {3, 1, 3, "Твёрдость HB", 80, "hardness", nullptr, 0, 0, 0},
        {4, 2, 1, "Диаметр", 60, "DIAMETER", nullptr, 0, 0, 1},
        {5, 2, 2, "Шаг резьбы", 60, "PITCH", nullptr, 0, 0, 0},
        {6, 2, 3, "Длина", 60, "LENGTH_MM", nullptr, 0, 0, 0},
        {7, 2, 4, "Материал", 100, "GRADE", "LOK_STEEL.GRADE", 1, 0, 0},
        {8, 2, 5, "Обозначение", 150, "DESIGNATION", nullptr, 0, 1, 0},
    };
    for (const auto& r : rows) {
        // Old forms left the title of a hidden column NULL.
        f.insert("REG_LOK_STR", columns,
                 {number(r.id), number(r.fid), number(r.order),
                  r.hidden != 0 ? "NULL" : text(r.title), number(r.width), text(r.field),
                  r.lookup == nullptr ? "NULL" : text(r.lookup), number(r.lookupType),
                  number(r.hidden), number(r.index)});
    }

    // Parameters: the bolts form is opened with a diameter and a material (its name written in
    // lower case, as some old forms have it).
    const std::string parameterColumns = "FID, VAR_NAME, VALUE_TYPE, COMP_DATA, NAME";
    f.insert("REG_LOK12", parameterColumns,
             {number(2), text("DIAMETER"), number(1), text("="), text("Диаметр болта")});
    f.insert("REG_LOK12", parameterColumns,
             {number(2), text("grade"), number(0), text("="), "NULL"});
    // Results: the steel form hands back the grade, the bolts form the designation.
    const std::string resultColumns = "ID, FID, RES_FIELD, RES_DEF, NAME, RES_NAME";
    f.insert("REG_LOK13", resultColumns,
             {number(1), number(1), text("GRADE"), text("Ст3"), "NULL", text("MATERIAL")});
    f.insert("REG_LOK13", resultColumns,
             {number(2), number(2), text("DESIGNATION"), "NULL", text("Болт"), text("BOLT_NAME")});
    f.insert("REG_LOK13", resultColumns,
             {number(3), number(2), text("GRADE"), text("Ст3"), "NULL", text("BOLT_GRADE")});

    const std::string steel = "GRADE, DENSITY, HARDNESS, NOTE";
    f.insert("LOK_STEEL", steel, {text("Ст3"), "7.85", number(131), text("Конструкционная")});
    f.insert("LOK_STEEL", steel, {text("09Г2С"), "7.85", number(150), "NULL"});
    f.insert("LOK_STEEL", steel, {text("12Х18Н10Т"), "7.9", number(179), text("Нержавеющая")});

    const std::string bolts = "ID, DIAMETER, PITCH, LENGTH_MM, GRADE";
    f.insert("LOK_BOLTS", bolts, {number(1), number(8), "1.25", number(40), text("Ст3")});
    f.insert("LOK_BOLTS", bolts, {number(2), number(10), "1.5", number(50), text("Ст3")});
    f.insert("LOK_BOLTS", bolts, {number(3), number(12), "1.75", number(60), text("09Г2С")});
    f.insert("LOK_BOLTS", bolts, {number(4), number(16), "2", "NULL", text("12Х18Н10Т")});
}

void fillCatalog(Filler& f) {
    const std::string columns = "ID, CODE, NAME, PRICE";
    f.insert("CX_CATALOG", columns,
             {number(1), text("ГОСТ 7798-70"), text("Болты с шестигранной головкой"), "125.50"});
    f.insert("CX_CATALOG", columns,
             {number(2), text("ГОСТ 5915-70"), text("Гайки шестигранные"), "48.00"});
    f.insert("CX_CATALOG", columns,
             {number(3), text("ГОСТ 380-2005"), text("Сталь углеродистая обыкновенного качества"),
              "NULL"});
    const std::string documents = "ID, CATALOG_ID, TITLE, BODY, CREATED";
    f.insert("CX_DOCUMENT", documents,
             {number(1), number(1), text("Чертёж болта М8"), "NULL", text("2022-11-03 09:15:00")});
    f.insert(
        "CX_DOCUMENT", documents,
        {number(2), number(2), text("Таблица размеров гаек"), "NULL", text("2022-11-04 14:40:00")});
}

} // namespace

void createSampleDatabase(const std::string& path, const SampleOptions& options) {
    auto c = platform::db::createFirebirdDatabase(
        platform::db::firebirdConnectionString(path, options.sqlUser, options.sqlPassword));
    for (const auto& statement : sampleSchema(options.withVersionTable)) {
        c->execute(statement);
    }
    Filler f(*c, options);
    c->beginTransaction();
    try {
        fillLogin(f, options);
        if (options.withVersionTable) {
            fillVersions(f, options);
        }
        fillLookupForms(f);
        fillCatalog(f);
        c->commit();
    } catch (...) {
        c->rollback();
        throw;
    }
    c->close();
}

} // namespace tools::samplesite
