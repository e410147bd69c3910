#include "update/engine/DbUpdate.h"

#include "tests/update/engine/EngineFixture.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using enginetest::EngineTest;
using enginetest::scalar;
using platform::xml::Document;
using update::engine::ExecuteDbUpdate;
using update::engine::ItemValueError;

std::string library(const std::string& name) {
    return std::string(TEST_LIBRARY_DIR) + "/lib" + name + ".so";
}

class DbUpdateTest : public EngineTest {
protected:
    // Runs the database update of a DB_UPDATE element given as text.
    bool run(const std::string& dbUpdate) {
        testsupport::writeFile(programDir / "updcfg.xml",
                               "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ROOT>" + dbUpdate +
                                   "</ROOT>");
        context.ConfigDocument.emplace(Document::load((programDir / "updcfg.xml").string()));
        return ExecuteDbUpdate(context, context.ConfigDocument->root().child("DB_UPDATE"));
    }
    bool versionWritten() const {
        for (const auto* c : factory.handedOut) {
            for (const auto& s : c->statements()) {
                if (s.find("INSERT INTO BO_VERSION") != std::string::npos) {
                    return true;
                }
            }
        }
        return false;
    }
};

TEST_F(DbUpdateTest, NoElementNoUpdate) {
    useScripted("MSSQL");
    EXPECT_FALSE(ExecuteDbUpdate(context, platform::xml::Element()));
    const auto lines = log();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[2], "Источник:");
    EXPECT_EQ(lines[4], "Нет информации о файле скрипта");
}

TEST_F(DbUpdateTest, SelectionAndShares) {
    const struct {
        std::string type;
        std::string items;
        int maximum;
    } cases[] = {
        {"MSSQL", "", 0},
        {"MSSQL",
         R"(<I SUBD="MSSQL" TIME_PERCENT="33,3" SOURCE="2"/><I SUBD="MSSQL" TIME_PERCENT="33,3" SOURCE="2"/><I SUBD="MSSQL" TIME_PERCENT="33.3" SOURCE="2"/>)",
         100},
        {"MSSQL",
         R"(<I SUBD="MSSQL" TIME_PERCENT="0,5" SOURCE="2"/><I SUBD="MSSQL" TIME_PERCENT="1,5" SOURCE="2"/>)",
         2},
        {"MSSQL", R"(<I SUBD="MSSQL" TIME_PERCENT="2,5" SOURCE="2"/>)", 2},
        {"MSSQL", R"(<I SUBD="firebird, mssql" TIME_PERCENT="250" SOURCE="2"/>)", 250},
        {"ORACLE",
         R"(<I SUBD="ORACLE,MSSQL" TIME_PERCENT="7" SOURCE="2"/><!-- c --><I SUBD="MSSQL" TIME_PERCENT="x" SOURCE="2"/>)",
         7},
    };
    for (const auto& c : cases) {
        factory.handedOut.clear();
        useScripted(c.type);
        EXPECT_TRUE(run("<DB_UPDATE>" + c.items + "</DB_UPDATE>")) << c.items;
        EXPECT_EQ(host.barMaximum(), c.maximum) << c.items;
        EXPECT_TRUE(versionWritten()) << c.items;
    }
}

TEST_F(DbUpdateTest, FirebirdItemsAreNotForInterBase) {
    useFirebird("INTRBASE");
    EXPECT_TRUE(run(R"(<DB_UPDATE><I SUBD="FIREBIRD" TIME_PERCENT="x" SOURCE="x"/></DB_UPDATE>)"));
    EXPECT_EQ(host.barMaximum(), 0);
    auto c = inspect();
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM BO_VERSION"), "2") << "nothing failed";
}

TEST_F(DbUpdateTest, ValuesThatAreNoNumbersAbort) {
    useScripted("MSSQL");
    try {
        run(R"(<DB_UPDATE><I SUBD="MSSQL" TIME_PERCENT="5" SOURCE="1" FILENAME="x.so"/><I SUBD="MSSQL" TIME_PERCENT="12%" SOURCE="0"/></DB_UPDATE>)");
        FAIL() << "no error";
    } catch (const ItemValueError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("TIME_PERCENT"), std::string::npos) << message;
        EXPECT_NE(message.find("\"12%\""), std::string::npos) << message;
        EXPECT_NE(message.find(programDir.str() + "/updcfg.xml"), std::string::npos) << message;
    }
    EXPECT_TRUE(log().empty()) << "nothing ran";

    try {
        run(R"(<DB_UPDATE><I SUBD="MSSQL" TIME_PERCENT="5" SOURCE="1" FILENAME="x.so"/><I SUBD="MSSQL" TIME_PERCENT="5" SOURCE="zero"/></DB_UPDATE>)");
        FAIL() << "no error";
    } catch (const ItemValueError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("SOURCE"), std::string::npos) << message;
        EXPECT_NE(message.find("\"zero\""), std::string::npos) << message;
    }
    EXPECT_NE(logText().find("Не найден файл"), std::string::npos) << "the first item ran";
    EXPECT_FALSE(versionWritten());
}

TEST_F(DbUpdateTest, MissingFiles) {
    useScripted("MSSQL");
    EXPECT_TRUE(run(
        R"(<DB_UPDATE><I SUBD="MSSQL" TIME_PERCENT="40" SOURCE="1" FILENAME="lib\conv.so" INFO_STRING="Конвертация форм"/><I SUBD="MSSQL" TIME_PERCENT="60" SOURCE="2"/></DB_UPDATE>)"));
    EXPECT_EQ(host.barPosition(), 40) << "a missing library still advances the bar";
    auto lines = log();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[1], "Операция:Конвертация форм");
    EXPECT_EQ(lines[2], "Источник:" + programDir.str() + "/lib/conv.so");
    EXPECT_EQ(lines[4], "Не найден файл");
    EXPECT_TRUE(versionWritten());

    host.clearLog();
    factory.handedOut.clear();
    EXPECT_FALSE(run(
        R"(<DB_UPDATE><I SUBD="MSSQL" TIME_PERCENT="40" SOURCE="0" FILENAME="none.xml"/><I SUBD="MSSQL" TIME_PERCENT="60" SOURCE="1" FILENAME="none.so"/></DB_UPDATE>)"));
    lines = log();
    EXPECT_EQ(lines[4], "Не найден файл скрипта обновления базы данных");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Источник:" + programDir.str() + "/none.so"),
              lines.end())
        << "the next item still runs";
    EXPECT_FALSE(versionWritten());
}

TEST_F(DbUpdateTest, FirebirdScriptsAndALibrary) {
    useFirebird();
    writeScript("one.xml", R"(<G><E STOP_ON_EXCEPTION="1">CREATE TABLE T (A INTEGER)</E></G>)");
    writeScript("two.xml", R"(<G><E STOP_ON_EXCEPTION="1">INSERT INTO T VALUES (1)</E></G>)");
    std::filesystem::copy_file(library("testconv_good"), programDir / "conv.so");
    EXPECT_TRUE(run(R"(<DB_UPDATE>
  <I SUBD="FIREBIRD" TIME_PERCENT="30" SOURCE="0" FILENAME="one.xml"/>
  <I SUBD="MSSQL" TIME_PERCENT="1000" SOURCE="0" FILENAME="mssql.xml"/>
  <I SUBD="FIREBIRD" TIME_PERCENT="20" SOURCE="1" FILENAME="conv.so" INFO_STRING="Конвертация"/>
  <I SUBD="FIREBIRD" TIME_PERCENT="50" SOURCE="0" FILENAME="two.xml"/>
</DB_UPDATE>)"))
        << logText();
    EXPECT_EQ(host.barMaximum(), 100);
    EXPECT_EQ(host.barPosition(), 100);
    const auto& history = host.barPositionHistory();
    EXPECT_NE(std::find(history.begin(), history.end(), 40), history.end()) << "library at 50 %";
    EXPECT_FALSE(context.connections.fibDB && context.connections.fibDB->connected());
    EXPECT_EQ(factory.firebirdOpens, 2) << "each script reopens; the version uses the open one";
    auto c = inspect();
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM T"), "1");
    EXPECT_EQ(scalar(*c, "SELECT BDVERSION || '/' || UPDATEUSER FROM BO_VERSION WHERE ID = 2"),
              "4.1/ADMIN");
}

TEST_F(DbUpdateTest, AFailedItemFailsTheStepButTheOthersRun) {
    useFirebird();
    writeScript("one.xml",
                R"(<G><E STOP_ON_EXCEPTION="1">CREATE TABLE NOPE.X (A INTEGER)</E></G>)");
    writeScript("two.xml", R"(<G><E STOP_ON_EXCEPTION="1">CREATE TABLE T (A INTEGER)</E></G>)");
    EXPECT_FALSE(run(R"(<DB_UPDATE>
  <I SUBD="FIREBIRD" TIME_PERCENT="50" SOURCE="0" FILENAME="one.xml"/>
  <I SUBD="FIREBIRD" TIME_PERCENT="50" SOURCE="0" FILENAME="two.xml"/>
</DB_UPDATE>)"));
    auto c = inspect();
    EXPECT_EQ(c->columnNames("T"), std::vector<std::string>{"A"});
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM BO_VERSION"), "1") << "no version after a failure";
}

TEST_F(DbUpdateTest, AlwaysUpdateDbRecordsNoVersion) {
    useFirebird();
    context.UpdaterState.AlwaysUpdateDb = true;
    writeScript("one.xml", R"(<G><E STOP_ON_EXCEPTION="1">CREATE TABLE T (A INTEGER)</E></G>)");
    EXPECT_TRUE(run(
        R"(<DB_UPDATE><I SUBD="FIREBIRD" TIME_PERCENT="1" SOURCE="0" FILENAME="one.xml"/></DB_UPDATE>)"));
    auto c = inspect();
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM BO_VERSION"), "1");
}

} // namespace
