#include "update/engine/DbVersion.h"

#include "tests/update/engine/EngineFixture.h"
#include "update/run/RunConnection.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using enginetest::EngineTest;
using enginetest::scalar;
using update::engine::WriteDbVersion;

using DbVersionTest = EngineTest;

TEST_F(DbVersionTest, FirebirdRowWithAQuoteInTheUserName) {
    useFirebird();
    context.UpdaterState.UserName = "O'Neil";
    context.UpdaterState.ResultDbVersion = "4.1 'beta'";
    EXPECT_TRUE(WriteDbVersion(context)) << logText();
    context.connections.closeAll();
    auto c = inspect();
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM BO_VERSION"), "2");
    EXPECT_EQ(scalar(*c, "SELECT BDVERSION FROM BO_VERSION WHERE ID = 2"), "4.1 'beta'");
    EXPECT_EQ(scalar(*c, "SELECT UPDATEUSER FROM BO_VERSION WHERE ID = 2"), "O'Neil");
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM BO_VERSION WHERE ID = 2 AND UPDATEDATE IS NOT NULL "
                         "AND UPDATELOG IS NULL"),
              "1");
    EXPECT_TRUE(log().empty());
}

TEST_F(DbVersionTest, FirebirdFailureIsLoggedWithTheStatement) {
    useFirebird("INTRBASE");
    context.UpdaterState.NextVersionId = 1; // taken
    EXPECT_FALSE(WriteDbVersion(context));
    const auto lines = log();
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[2], "Источник:");
    EXPECT_EQ(lines[4], "Не удалось записать информацию о версии");
    EXPECT_NE(lines[5].find("PRIMARY"), std::string::npos) << lines[5];
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "INSERT INTO BO_VERSION (ID, BDVERSION, UPDATEUSER, UPDATEDATE,UPDATELOG) "
                        "VALUES (1, '4.1', 'ADMIN', CAST('NOW' AS TIMESTAMP), NULL)"),
              lines.end());
}

TEST_F(DbVersionTest, AlwaysUpdateDbWritesNothing) {
    useFirebird();
    context.UpdaterState.AlwaysUpdateDb = true;
    EXPECT_TRUE(WriteDbVersion(context));
    context.connections.closeAll();
    auto c = inspect();
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM BO_VERSION"), "1");
}

TEST_F(DbVersionTest, MsSqlTriesIdentityInsertFirst) {
    useScripted("MSSQL");
    EXPECT_TRUE(WriteDbVersion(context));
    EXPECT_EQ(factory.last().statements(),
              (std::vector<std::string>{
                  "SET IDENTITY_INSERT BO_VERSION ON;\r\nINSERT INTO BO_VERSION (ID, BDVERSION, "
                  "UPDATEUSER, UPDATEDATE,UPDATELOG) VALUES (2, '4.1', 'ADMIN', GETDATE(), "
                  "NULL);\r\nSET IDENTITY_INSERT BO_VERSION OFF;\r\n"}));
}

TEST_F(DbVersionTest, MsSqlFallsBackAndReportsOnlyTheFallback) {
    useScripted("MSSQL");
    factory.prepare = [](testsupport::ScriptedConnection& c) {
        c.fail("IDENTITY_INSERT", "Table 'BO_VERSION' does not have the identity property.");
    };
    EXPECT_TRUE(WriteDbVersion(context));
    EXPECT_EQ(factory.last().statements().back(),
              "INSERT INTO BO_VERSION (ID, BDVERSION, UPDATEUSER, UPDATEDATE,UPDATELOG) VALUES "
              "(2, '4.1', 'ADMIN', GETDATE(), NULL);");
    EXPECT_TRUE(log().empty());

    factory.last().fail("INSERT", "permission denied");
    EXPECT_FALSE(WriteDbVersion(context));
    const auto lines = log();
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[4], "Не удалось записать информацию о версии");
    EXPECT_EQ(lines[5], "permission denied");
    EXPECT_EQ(lines[6], "INSERT INTO BO_VERSION (ID, BDVERSION, UPDATEUSER, UPDATEDATE,UPDATELOG) "
                        "VALUES (2, '4.1', 'ADMIN', GETDATE(), NULL);");
}

TEST_F(DbVersionTest, OracleOpensTheClosedConnection) {
    useScripted("ORACLE");
    context.UpdaterState.UserName = "O'Neil";
    EXPECT_TRUE(WriteDbVersion(context));
    ASSERT_EQ(factory.handedOut.size(), 1u);
    EXPECT_EQ(factory.last().statements(),
              (std::vector<std::string>{"INSERT INTO BO_VERSION (ID, BDVERSION, UPDATEUSER, "
                                        "UPDATEDATE,UPDATELOG) VALUES (2, '4.1', 'O''Neil', "
                                        "SYSDATE, NULL)"}));
    EXPECT_TRUE(WriteDbVersion(context));
    EXPECT_EQ(factory.handedOut.size(), 1u) << "an open connection is used as it is";
}

} // namespace
