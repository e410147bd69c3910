#include "varnex/DoIt.h"

#include "tests/support/ScriptedConnection.h"
#include "tests/varnex/ProgressRecorder.h"
#include "tests/varnex/ScriptedLibrary.h"
#include "varnex/GetConnectionParam.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testsupport::ScriptedConnection;

class DoItTest : public testing::Test {
protected:
    void SetUp() override { varnextest::resetLibrary(); }
    void TearDown() override { varnex::resetState(); }
};

TEST_F(DoItTest, DatabaseTypeChoosesTheRoutineExactlyAndWithCase) {
    const struct {
        const char* databaseType;
        const char* createStart;
    } cases[] = {
        {"FIREBIRD", "create table REG_LOK18 (ID INTEGER NOT NULL"},
        {"INTRBASE", "create table REG_LOK18 (ID INTEGER NOT NULL"},
        {"MSSQL", "create table REG_LOK18 (ID INT IDENTITY(1, 1)"},
        {"ORACLE", "create table REG_LOK18 (ID NUMBER NOT NULL"},
        {"Firebird", "create table REG_LOK18 (ID NUMBER NOT NULL"},
        {"mssql", "create table REG_LOK18 (ID NUMBER NOT NULL"},
        {"", "create table REG_LOK18 (ID NUMBER NOT NULL"},
        {" MSSQL", "create table REG_LOK18 (ID NUMBER NOT NULL"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.databaseType);
        varnextest::resetLibrary();
        ScriptedConnection db;
        varnextest::useScriptedConnection(db);
        EXPECT_EQ(varnex::DoIt("Provider=X;", c.databaseType), 0) << varnex::errorStr();
        ASSERT_GE(db.statements().size(), 1u);
        EXPECT_EQ(db.statements()[0].rfind(c.createStart, 0), 0u) << db.statements()[0];
    }
}

TEST_F(DoItTest, ConnectionStringReachesTheOpenerUnchanged) {
    std::string seen;
    ScriptedConnection db;
    varnex::setConnectionOpener([&](const std::string& s) {
        seen = s;
        return std::make_unique<varnextest::ForwardingConnection>(db, false);
    });
    const char* const text = " Provider=LCPI.IBProvider.2;Location=/srv/Справочник.fdb; ";
    EXPECT_EQ(varnex::DoIt(text, "FIREBIRD"), 0);
    EXPECT_EQ(seen, text);
    EXPECT_FALSE(db.connected());
}

TEST_F(DoItTest, EntryFromARoutineThatSucceededFailsTheCall) {
    ScriptedConnection db;
    varnextest::scriptOneForm(db);
    db.fail("insert into REG_LOK_VALUES", "value does not fit");
    varnextest::useScriptedConnection(db);
    EXPECT_EQ(varnex::DoIt("Provider=X;", "MSSQL"), 1);
    EXPECT_THAT(varnex::errorStr(), HasSubstr("value does not fit"));
    EXPECT_EQ(varnex::procPercent(), 100.0);
}

TEST_F(DoItTest, FailureWhileClosingIsTheFinalEntry) {
    ScriptedConnection db;
    varnextest::useScriptedConnection(db, true);
    EXPECT_EQ(varnex::DoIt("Provider=X;", "MSSQL"), 1);
    EXPECT_EQ(varnex::errorStr(), "\r\r\nconnection lost while closing\r\nDoIt.");
    EXPECT_EQ(varnextest::recordedProgress().back(), 100.0);
}

TEST_F(DoItTest, FailedCommitOfTheLastColumnIsRolledBackByTheFrame) {
    ScriptedConnection db;
    varnextest::scriptOneForm(db);
    db.fail("commit", "commit refused");
    varnextest::useScriptedConnection(db);
    EXPECT_EQ(varnex::DoIt("Provider=X;", "FIREBIRD"), 1);
    // The column step's failed commit leaves the transaction open; the frame rolls it back,
    // then the connection is closed.
    ASSERT_GE(db.journal.size(), 2u);
    EXPECT_EQ(db.journal[db.journal.size() - 2], "rollback");
    EXPECT_EQ(db.journal.back(), "close");
    EXPECT_THAT(varnex::errorStr(), HasSubstr("commit refused"));
}

TEST_F(DoItTest, ConnectionFailureReturnsMinusOneWithTheMessageAndKeepsTheProgress) {
    ScriptedConnection db;
    varnextest::useScriptedConnection(db);
    ASSERT_EQ(varnex::DoIt("Provider=X;", "MSSQL"), 0);
    varnextest::recordedProgress().clear();
    varnex::setConnectionOpener(
        [](const std::string&) -> std::unique_ptr<platform::db::Connection> {
            throw platform::db::DbError("I/O error during \"open\" of file \"/x.fdb\"");
        });
    EXPECT_EQ(varnex::DoIt("Provider=X;", "FIREBIRD"), varnex::kConnectionFailed);
    EXPECT_EQ(varnex::errorStr(), "I/O error during \"open\" of file \"/x.fdb\"");
    EXPECT_EQ(varnex::procPercent(), 100.0);
    EXPECT_TRUE(varnextest::recordedProgress().empty());
}

TEST_F(DoItTest, ProgressIsKeptWithoutACallback) {
    varnex::setCallBackPercent(nullptr);
    ScriptedConnection db;
    varnextest::useScriptedConnection(db);
    EXPECT_EQ(varnex::procPercent(), 0.0);
    EXPECT_EQ(varnex::DoIt("Provider=X;", "MSSQL"), 0);
    EXPECT_EQ(varnex::procPercent(), 100.0);
    EXPECT_TRUE(varnextest::recordedProgress().empty());
}

TEST_F(DoItTest, UserNameIsTheUpperCasedUserIdOfTheConnectionString) {
    const struct {
        const char* connectionString;
        const char* userName;
    } cases[] = {
        {"Provider=OraOLEDB.Oracle.1;User ID=scott;Data Source=x;", "SCOTT"},
        {"Provider=OraOLEDB.Oracle.1;user id =  Scott  ;", "SCOTT"},
        {"Provider=OraOLEDB.Oracle.1;USER ID=пётр;", "ПЁТР"},
        {"Provider=OraOLEDB.Oracle.1;Data Source=x;", ""},
        {"Provider=OraOLEDB.Oracle.1;User ID=scott", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.connectionString);
        ScriptedConnection db;
        varnextest::useScriptedConnection(db);
        varnex::DoIt(c.connectionString, "ORACLE");
        EXPECT_EQ(varnex::userName(), c.userName);
    }
}

TEST(GetConnectionParam, FindsTheKeyAsAPlainSubstringIgnoringCase) {
    const struct {
        const char* s;
        const char* key;
        const char* value;
    } cases[] = {
        {"Provider=SQLOLEDB.1;User ID=sa;Password=x;", "User ID", "sa"},
        {"  provider=a; USER ID =  sa  ; ", "user id", "sa"},
        {"Provider=SQLOLEDB.1;User ID=sa", "User ID", ""},
        {"Provider=SQLOLEDB.1;", "User ID", ""},
        {"Provider=SQLOLEDB.1;User ID", "User ID", ""},
        // A plain substring: the first occurrence wins, inside another key too.
        {"Provider=a;Old User ID=x;User ID=y;", "User ID", "x"},
        {"Provider=a;Data Source=db;", "source", "db"},
        {"Location=/srv/Справочник.fdb;", "location", "/srv/Справочник.fdb"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(varnex::GetConnectionParam(c.s, c.key), c.value) << c.s;
    }
}

} // namespace
