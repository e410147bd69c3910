#include "update/run/DatabaseVersion.h"

#include "platform/db/ConnectionString.h"
#include "tests/update/run/StartFixture.h"
#include "update/run/LoadConfiguration.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace update::run {
namespace {

using starttest::StartTest;
using testsupport::ScriptedConnection;
using testsupport::ScriptedRows;

const std::string kQuery = "SELECT BV.BDVERSION, BV.ID FROM BO_VERSION BV WHERE "
                           "BV.ID=(SELECT MAX(BV1.ID) FROM BO_VERSION BV1)";

TEST(ConnectionStringPart, TakesTheValueAfterTheKeyInItsOwnCase) {
    EXPECT_EQ(connectionStringPart("Provider=X;data source=Srv.Example;User Id=a", "DATA SOURCE="),
              "Srv.Example");
    EXPECT_EQ(connectionStringPart("Provider=X;Location=/d/Base.FDB", "LOCATION="), "/d/Base.FDB");
    EXPECT_EQ(connectionStringPart("Location=a;Location=b", "LOCATION="), "a");
    EXPECT_EQ(connectionStringPart("Provider=X;User Id=a", "LOCATION="), "");
    EXPECT_EQ(connectionStringPart("Location=", "LOCATION="), "");
}

// The run against a real embedded Firebird database made by the test.
class FirebirdVersionRead : public StartTest {
protected:
    testsupport::TempDir dbDir;
    std::string dbPath = (dbDir / "site.fdb").string();

    FirebirdVersionRead() {
        context.DatabaseType = "FIREBIRD";
        context.UpdaterState.SqlUserName = "SYSDBA";
        context.UpdaterState.SqlPassword = "masterkey";
        context.UpdaterState.RunConnectionString =
            "Provider=LCPI.IBProvider.2;Password=masterkey;User ID=SYSDBA;location=" + dbPath +
            ";ctype=win1251";
    }

    std::string directConnection() const {
        return platform::db::firebirdConnectionString(dbPath, "SYSDBA", "masterkey");
    }
    // Makes the database; statements run in order.
    void createDatabase(const std::vector<std::string>& statements) const {
        auto c = platform::db::createFirebirdDatabase(directConnection());
        for (const std::string& sql : statements) {
            c->execute(sql);
        }
        c->close();
    }
    void createVersionTable(const std::vector<std::string>& inserts) const {
        std::vector<std::string> statements = {
            "CREATE TABLE BO_VERSION (ID INTEGER NOT NULL PRIMARY KEY, BDVERSION VARCHAR(20), "
            "USER_NAME VARCHAR(40))"};
        statements.insert(statements.end(), inserts.begin(), inserts.end());
        createDatabase(statements);
    }
};

TEST_F(FirebirdVersionRead, AnEmptyTableGivesTheStartVersionsAndIdOne) {
    createVersionTable({});
    writeSettings("<VERSIONS START_BD_VERSION=\" 4.0; 4.1 \" RESULT_BD_VERSION=\"4.2\"/>");
    ASSERT_TRUE(LoadConfiguration(context));

    EXPECT_EQ(context.UpdaterState.CurrentDbVersion, "4.0; 4.1");
    EXPECT_EQ(context.UpdaterState.NextVersionId, 1);
    EXPECT_EQ(context.UpdaterState.StartDbVersions, "4.0; 4.1;");
    ASSERT_EQ(factory.firebirdCalls.size(), 1u);
    EXPECT_EQ(factory.firebirdCalls[0], "Provider=LCPI.IBProvider.2;Location=" + dbPath +
                                            ";User Id=SYSDBA;Password=masterkey;ctype=WIN1251");
    ASSERT_NE(context.connections.fibDB, nullptr);
    EXPECT_TRUE(context.connections.fibDB->connected()) << "the connection stays open";
    EXPECT_EQ(context.connections.conCX, nullptr);
}

TEST_F(FirebirdVersionRead, TheRowOfTheHighestIdGivesVersionAndNextId) {
    createVersionTable({"INSERT INTO BO_VERSION VALUES (1, '4.0', 'a')",
                        "INSERT INTO BO_VERSION VALUES (7, '4.2;', 'b')",
                        "INSERT INTO BO_VERSION VALUES (3, '4.5', 'c')"});
    writeSettings("<VERSIONS START_BD_VERSION=\"4.0\"/>");
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_EQ(context.UpdaterState.CurrentDbVersion, "4.2");
    EXPECT_EQ(context.UpdaterState.NextVersionId, 8);
}

TEST_F(FirebirdVersionRead, OnlyOneTrailingSeparatorIsRemoved) {
    createVersionTable({"INSERT INTO BO_VERSION VALUES (1, '4.2;;', 'a')"});
    writeSettings("");
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_EQ(context.UpdaterState.CurrentDbVersion, "4.2;");
}

TEST_F(FirebirdVersionRead, ADatabaseWithoutTheTableHasAnUndefinedVersion) {
    createDatabase({"CREATE TABLE OTHER (ID INTEGER)"});
    writeSettings("<VERSIONS START_BD_VERSION=\"4.0\"/>");
    context.UpdaterState.NextVersionId = 5;
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_EQ(context.UpdaterState.CurrentDbVersion, "не определена");
    EXPECT_EQ(context.UpdaterState.NextVersionId, 0);
    EXPECT_TRUE(host.boxes().empty());
    EXPECT_EQ(host.statePicture(StatePicture::UpdateDB), kPicturePending);
    EXPECT_TRUE(context.connections.fibDB->connected());
}

TEST_F(FirebirdVersionRead, AnIdWithoutSuccessorCountsAsUnreadable) {
    createVersionTable({"INSERT INTO BO_VERSION VALUES (2147483647, '4.2', 'a')"});
    writeSettings("");
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_EQ(context.UpdaterState.CurrentDbVersion, "не определена");
    EXPECT_EQ(context.UpdaterState.NextVersionId, 0);
}

TEST_F(FirebirdVersionRead, InterBaseIsReadTheSameWay) {
    createVersionTable({"INSERT INTO BO_VERSION VALUES (4, '4.1', 'a')"});
    context.DatabaseType = "INTRBASE";
    writeSettings("");
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_EQ(context.UpdaterState.CurrentDbVersion, "4.1");
    EXPECT_EQ(context.UpdaterState.NextVersionId, 5);
    EXPECT_EQ(factory.firebirdCalls.size(), 1u);
}

TEST_F(FirebirdVersionRead, ASecondLoginReplacesTheConnection) {
    createVersionTable({"INSERT INTO BO_VERSION VALUES (1, '4.0', 'a')"});
    writeSettings("");
    ASSERT_TRUE(LoadConfiguration(context));
    context.connections.fibDB->beginTransaction();
    context.connections.fibDB->execute("INSERT INTO BO_VERSION VALUES (2, '4.1', 'b')");
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_EQ(context.UpdaterState.CurrentDbVersion, "4.1");
    EXPECT_EQ(context.UpdaterState.NextVersionId, 3) << "the open transaction was committed";
    EXPECT_TRUE(context.connections.fibDB->connected());
    EXPECT_EQ(factory.firebirdCalls.size(), 2u);
}

TEST_F(FirebirdVersionRead, AccountValuesWithSeparatorsReachTheDatabaseWhole) {
    createVersionTable({"INSERT INTO BO_VERSION VALUES (1, '4.0', 'a')"});
    context.UpdaterState.SqlUserName = "SYSDBA";
    context.UpdaterState.SqlPassword = " a;b\"c ";
    writeSettings("");
    ASSERT_TRUE(LoadConfiguration(context));
    ASSERT_EQ(factory.firebirdCalls.size(), 1u);
    EXPECT_EQ(platform::db::connectionValue(factory.firebirdCalls[0], "Password"), " a;b\"c ");
    EXPECT_EQ(platform::db::connectionValue(factory.firebirdCalls[0], "ctype"), "WIN1251");
    EXPECT_EQ(context.UpdaterState.CurrentDbVersion, "4.0");
}

TEST_F(FirebirdVersionRead, AConnectionThatCannotOpenLeavesWithTheDatabasesMessage) {
    writeSettings("<VERSIONS START_BD_VERSION=\"4.0\"/>");
    context.UpdaterState.CurrentDbVersion = "earlier";
    std::string expected;
    try {
        platform::db::openConnection(directConnection());
    } catch (const platform::db::DbError& e) {
        expected = e.what();
    }
    ASSERT_FALSE(expected.empty()) << "the database file must not exist";

    try {
        LoadConfiguration(context);
        FAIL() << "no exception";
    } catch (const platform::db::DbError& e) {
        EXPECT_EQ(std::string(e.what()), expected);
    }
    EXPECT_EQ(context.UpdaterState.CurrentDbVersion, "earlier");
    EXPECT_EQ(host.statePicture(StatePicture::UpdateDB), -1);
    EXPECT_EQ(host.statePicture(StatePicture::UpdateConf), -1);
    EXPECT_TRUE(host.boxes().empty());
}

TEST_F(FirebirdVersionRead, AConnectionStringWithoutLocationFailsToOpen) {
    context.UpdaterState.RunConnectionString = "Provider=LCPI.IBProvider.2;User ID=SYSDBA";
    writeSettings("");
    EXPECT_THROW(LoadConfiguration(context), platform::db::DbError);
    ASSERT_EQ(factory.firebirdCalls.size(), 1u);
    EXPECT_EQ(platform::db::connectionValue(factory.firebirdCalls[0], "Location"), "");
}

TEST_F(StartTest, MsSqlOpensTheRunConnectionStringAndReadsTheRow) {
    context.UpdaterState.RunConnectionString =
        "Provider=SQLOLEDB.1;Data Source=srv;Initial Catalog=cx;User ID=sa;Password=pw";
    factory.prepare = [](ScriptedConnection& c) {
        c.answer("BO_VERSION", ScriptedRows{{"BDVERSION", "ID"}, {}, {{"4.1;", "12"}}});
    };
    writeSettings("");
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_EQ(factory.msSqlCalls,
              std::vector<std::string>{context.UpdaterState.RunConnectionString});
    ASSERT_EQ(factory.handedOut.size(), 1u);
    EXPECT_EQ(factory.handedOut[0]->statements(), std::vector<std::string>{kQuery});
    EXPECT_EQ(context.UpdaterState.CurrentDbVersion, "4.1");
    EXPECT_EQ(context.UpdaterState.NextVersionId, 13);
    EXPECT_EQ(context.connections.conCX.get(), factory.handedOut[0]);
    EXPECT_TRUE(factory.handedOut[0]->connected());
}

TEST_F(StartTest, AnyOtherTypeIsReadLikeMsSql) {
    context.DatabaseType = "firebird"; // codes are case-sensitive
    writeSettings("<VERSIONS START_BD_VERSION=\"4.0\"/>");
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_EQ(factory.msSqlCalls.size(), 1u);
    EXPECT_TRUE(factory.firebirdCalls.empty());
    EXPECT_EQ(context.UpdaterState.CurrentDbVersion, "4.0") << "no row: the start versions";
    EXPECT_EQ(context.UpdaterState.NextVersionId, 1);
}

TEST_F(StartTest, AFailingQueryOrRowMakesTheVersionUndefined) {
    for (const auto& prepare : std::vector<std::function<void(ScriptedConnection&)>>{
             [](ScriptedConnection& c) { c.fail("BO_VERSION", "Invalid object name"); },
             [](ScriptedConnection& c) {
                 c.answer("BO_VERSION", ScriptedRows{{"BDVERSION", "ID"}, {}, {{"4.1", "x"}}});
             },
             [](ScriptedConnection& c) {
                 c.answer("BO_VERSION", ScriptedRows{{"BDVERSION"}, {}, {{"4.1"}}});
             }}) {
        factory.prepare = prepare;
        writeSettings("");
        ASSERT_TRUE(LoadConfiguration(context));
        EXPECT_EQ(context.UpdaterState.CurrentDbVersion, "не определена");
        EXPECT_EQ(context.UpdaterState.NextVersionId, 0);
    }
    EXPECT_TRUE(host.boxes().empty());
}

TEST_F(StartTest, OracleTakesTheServerInItsOwnCaseAndTheSqlAccount) {
    context.DatabaseType = "ORACLE";
    context.UpdaterState.SqlUserName = "CX_OWNER";
    context.UpdaterState.SqlPassword = "Secret;1";
    context.UpdaterState.RunConnectionString =
        "Provider=OraOLEDB.Oracle.1;Password=other;User ID=other;data source=OraSrv.Site;"
        "Persist Security Info=True";
    factory.prepare = [](ScriptedConnection& c) {
        c.answer("BO_VERSION", ScriptedRows{{"BDVERSION", "ID"}, {}, {{"4.2", "2"}}});
    };
    writeSettings("");
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_EQ(factory.oracleCalls,
              std::vector<std::string>{"Provider=OraOLEDB.Oracle.1;Data Source=OraSrv.Site;"
                                       "User Id=CX_OWNER;Password=\"Secret;1\""});
    EXPECT_EQ(context.UpdaterState.CurrentDbVersion, "4.2");
    EXPECT_EQ(context.UpdaterState.NextVersionId, 3);
    EXPECT_EQ(context.connections.oraSession.get(), factory.handedOut[0]);
}

TEST_F(StartTest, ASecondOracleLoginClosesTheEarlierSession) {
    context.DatabaseType = "ORACLE";
    context.UpdaterState.RunConnectionString = "Provider=OraOLEDB.Oracle.1;Data Source=ora";
    writeSettings("");
    ASSERT_TRUE(LoadConfiguration(context));
    ASSERT_EQ(factory.handedOut.size(), 1u);
    ScriptedConnection* first = factory.handedOut[0];
    // Look at the first session's journal before the second login releases it.
    std::vector<std::string> journalAtReplace;
    factory.prepare = [&](ScriptedConnection&) { journalAtReplace = first->journal; };
    ASSERT_TRUE(LoadConfiguration(context));
    ASSERT_FALSE(journalAtReplace.empty());
    EXPECT_EQ(journalAtReplace.back(), "close");
    EXPECT_EQ(context.connections.oraSession.get(), factory.handedOut[1]);
}

TEST(DefaultFactory, OpensThroughTheDatabaseLayer) {
    EXPECT_THROW(defaultConnectionFactory().open("Provider=OraOLEDB.Oracle.1;Data Source=ora"),
                 platform::db::DbError);
    testsupport::TempDir dir;
    const std::string connection =
        platform::db::firebirdConnectionString((dir / "x.fdb").string(), "SYSDBA", "pw");
    platform::db::createFirebirdDatabase(connection)->close();
    EXPECT_TRUE(defaultConnectionFactory().open(connection)->connected());
}

} // namespace
} // namespace update::run
