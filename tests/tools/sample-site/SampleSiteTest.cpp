// The sample database answers the product's own queries the way a real site's does.

#include "tools/sample-site/SampleSite.h"

#include "platform/db/ConnectionString.h"
#include "platform/text/Text.h"
#include "tests/support/TempDir.h"
#include "update/connect/CredentialForms.h"

#include <algorithm>
#include <gtest/gtest.h>

using platform::db::Connection;

namespace {

std::unique_ptr<Connection> openSample(const std::string& path) {
    return platform::db::openConnection(
        platform::db::firebirdConnectionString(path, "SYSDBA", "masterkey"));
}

std::vector<std::string> column(Connection& c, const std::string& sql) {
    std::vector<std::string> values;
    for (auto q = c.query(sql); !q->eof(); q->next()) {
        values.push_back(q->isNull(0) ? "<null>" : q->text(0));
    }
    return values;
}

bool hasTable(Connection& c, const std::string& table) {
    const auto tables = c.tableNames();
    return std::find(tables.begin(), tables.end(), table) != tables.end();
}

} // namespace

class SampleSite : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return (dir / name).string(); }
    testsupport::TempDir dir;
};

TEST_F(SampleSite, LoginTablesAdmitTheAdministratorOnly) {
    tools::samplesite::createSampleDatabase(path("site.fdb"));
    const auto c = openSample(path("site.fdb"));

    const auto users = c->query("SELECT GUID, USERNAME, PAROL, USERNAMESQL, PASSWORDSQL, ROLES, "
                                "DEFGROUPGUID FROM LOGON_USER");
    ASSERT_EQ(users->recordCount(), 3);
    EXPECT_EQ(users->text("USERNAME"), "ADMIN");
    EXPECT_EQ(users->text("PAROL"), update::connect::storedFormNew("admin"));
    EXPECT_EQ(update::connect::readStoredNew(users->text("USERNAMESQL")), "SYSDBA");
    const std::string adminGuid = users->text("GUID");
    const std::string defaultGroup = users->text("DEFGROUPGUID");

    const auto groups = c->query("SELECT LG.GROUPNAME, LG.GUID FROM LOGON_GROUP LG, LOGON_LINK LL"
                                 " WHERE (LG.GUID=LL.GROUP_ID) AND (LL.USER_ID=" +
                                 platform::text::sqlLiteral(adminGuid) + ")");
    std::vector<std::string> names;
    std::string defaultName;
    for (; !groups->eof(); groups->next()) {
        names.push_back(groups->text("GROUPNAME"));
        if (groups->text("GUID") == defaultGroup) {
            defaultName = groups->text("GROUPNAME");
        }
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Администраторы", "Конструкторы"}));
    EXPECT_EQ(defaultName, "Администраторы");

    const auto privilegeCount = [&](const std::string& group) {
        return c
            ->query("SELECT COUNT(*) FROM LOGON_GROUP LG, LOGON_PRIVILEGES LP"
                    " WHERE LG.GUID=LP.GROUP_ID AND (LG.GROUPNAME=" +
                    platform::text::sqlLiteral(group) +
                    ") AND (Upper(LP.ACTIONNAME)='ADMINISTRATION')")
            ->integer(0);
    };
    EXPECT_GT(privilegeCount("Администраторы"), 0);
    EXPECT_EQ(privilegeCount("Конструкторы"), 0);
    EXPECT_EQ(column(*c, "SELECT PAROL FROM LOGON_USER WHERE USERNAME = 'GUEST'"),
              std::vector<std::string>{"<null>"});
}

TEST_F(SampleSite, VersionTableFilledEmptyOrAbsent) {
    const std::string versionQuery = "SELECT BV.BDVERSION, BV.ID FROM BO_VERSION BV"
                                     " WHERE BV.ID=(SELECT MAX(BV1.ID) FROM BO_VERSION BV1)";
    tools::samplesite::createSampleDatabase(path("default.fdb"));
    {
        const auto c = openSample(path("default.fdb"));
        const auto q = c->query(versionQuery);
        ASSERT_EQ(q->recordCount(), 1);
        EXPECT_EQ(q->text("BDVERSION"), "4.1");
        EXPECT_EQ(q->integer("ID"), 1);
        EXPECT_EQ(
            c->columnNames("BO_VERSION"),
            (std::vector<std::string>{"ID", "BDVERSION", "UPDATEUSER", "UPDATEDATE", "UPDATELOG"}));
    }

    tools::samplesite::SampleOptions history;
    history.versions = {"2.9", "3.0.0", "4.0", "4.1"};
    tools::samplesite::createSampleDatabase(path("history.fdb"), history);
    {
        const auto c = openSample(path("history.fdb"));
        const auto q = c->query(versionQuery);
        EXPECT_EQ(q->text("BDVERSION"), "4.1");
        EXPECT_EQ(q->integer("ID"), 4);
        EXPECT_EQ(column(*c, "SELECT MAX(BDVERSION) FROM BO_VERSION"),
                  std::vector<std::string>{"4.1"});
        // The row the updater writes after a database update fits the table.
        c->execute("INSERT INTO BO_VERSION (ID, BDVERSION, UPDATEUSER, UPDATEDATE,UPDATELOG)"
                   " VALUES (5, '4.2', 'ADMIN', CAST('NOW' AS TIMESTAMP), NULL)");
        EXPECT_EQ(c->query(versionQuery)->text("BDVERSION"), "4.2");
    }

    tools::samplesite::SampleOptions empty;
    empty.versions.clear();
    tools::samplesite::createSampleDatabase(path("empty.fdb"), empty);
    EXPECT_EQ(openSample(path("empty.fdb"))->query(versionQuery)->recordCount(), 0);

    tools::samplesite::SampleOptions none;
    none.withVersionTable = false;
    tools::samplesite::createSampleDatabase(path("none.fdb"), none);
    const auto c = openSample(path("none.fdb"));
    EXPECT_FALSE(hasTable(*c, "BO_VERSION"));
    EXPECT_THROW(c->query(versionQuery), platform::db::DbError);
}

TEST_F(SampleSite, StoredCredentialsGoThroughTheGivenCipher) {
    tools::samplesite::SampleOptions options;
    options.storePassword = [](const std::string& plain) { return "enc(" + plain + ")"; };
    options.sqlUser = "CXUSER";
    options.sqlPassword = "cxpass";
    tools::samplesite::createSampleDatabase(path("site.fdb"), options);
    const auto c = platform::db::openConnection(
        platform::db::firebirdConnectionString(path("site.fdb"), "", ""));
    EXPECT_EQ(column(*c, "SELECT PAROL || ' ' || USERNAMESQL || ' ' || PASSWORDSQL"
                         " FROM LOGON_USER WHERE USERNAME = 'ADMIN'"),
              std::vector<std::string>{"enc(admin) enc(CXUSER) enc(cxpass)"});
    EXPECT_EQ(column(*c, "SELECT PAROL FROM LOGON_USER WHERE USERNAME = 'IVANOV'"),
              std::vector<std::string>{"enc(ivanov)"});
}

TEST_F(SampleSite, LookupFormsPointAtTheirDataTables) {
    tools::samplesite::createSampleDatabase(path("site.fdb"));
    const auto c = openSample(path("site.fdb"));
    const auto forms = c->query("select * from REG_LOK7");
    ASSERT_EQ(forms->recordCount(), 2);
    for (; !forms->eof(); forms->next()) {
        const std::string table = forms->text("TABNAME");
        ASSERT_TRUE(hasTable(*c, table)) << table;
        const auto dataColumns = c->columnNames(table);
        // Every form column names a column of the form's data table (letter case aside).
        const auto fields =
            column(*c, "select USER_FIELD_NAME from REG_LOK_STR where FID=" + forms->text("ID") +
                           " order by SORT_ORDER");
        EXPECT_GE(fields.size(), 3U) << table;
        for (const auto& field : fields) {
            EXPECT_NE(std::find(dataColumns.begin(), dataColumns.end(),
                                platform::text::asciiUpper(field)),
                      dataColumns.end())
                << table << "." << field;
        }
        EXPECT_GE(c->query("select * from " + table)->recordCount(), 3) << table;
    }
    EXPECT_EQ(column(*c, "select NAME from REG_LOK12 where FID=2 and upper(VAR_NAME) = 'DIAMETER'"),
              std::vector<std::string>{"Диаметр болта"});
    EXPECT_EQ(column(*c, "select RES_NAME from REG_LOK13 where (FID=2) and"
                         " (upper(RES_FIELD) = 'DESIGNATION')"),
              std::vector<std::string>{"BOLT_NAME"});
    // The data tables are tied together as a real site's are: the conversion must undo that.
    ASSERT_EQ(c->foreignKeysTo("LOK_STEEL").size(), 1U);
    EXPECT_EQ(c->foreignKeysTo("LOK_STEEL")[0].table, "LOK_BOLTS");
    EXPECT_EQ(column(*c, "select trim(RDB$TRIGGER_NAME) from RDB$TRIGGERS"
                         " where RDB$RELATION_NAME = 'LOK_BOLTS'"),
              std::vector<std::string>{"LOK_BOLTS_BI"});
    EXPECT_EQ(column(*c, "select DESIGNATION from LOK_BOLTS where ID = 1"),
              std::vector<std::string>{"М8x1.25x40"});
}

TEST_F(SampleSite, OldDatabasesKeepCredentialsInTheShiftCipher) {
    struct Case {
        const char* what;
        bool withVersionTable;
        std::vector<std::string> versions;
    };
    const Case cases[] = {
        {"version below 3.0.0", true, {"2.5", "2.9"}},
        {"10.0 sorts below 3.0.0", true, {"10.0"}},
        {"no version rows", true, {}},
        {"no version table", false, {}},
    };
    int n = 0;
    for (const Case& c : cases) {
        tools::samplesite::SampleOptions options;
        options.withVersionTable = c.withVersionTable;
        options.versions = c.versions;
        const std::string file = path("old" + std::to_string(n++) + ".fdb");
        tools::samplesite::createSampleDatabase(file, options);
        EXPECT_EQ(
            column(*openSample(file), "SELECT PAROL FROM LOGON_USER WHERE USERNAME = 'ADMIN'"),
            std::vector<std::string>{
                update::connect::storedFormOld("admin", update::connect::loadShiftKeyTable())})
            << c.what;
    }
}
