#include "update/engine/Conditions.h"

#include "tests/update/engine/EngineFixture.h"
#include "update/run/RunConnection.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using enginetest::EngineTest;
using platform::xml::Document;
using update::engine::CheckConditions;
using update::engine::ConditionCheck;
using update::engine::takeCheck;

TEST(TakeCheck, ReadsNameParametersAndRest) {
    const struct {
        std::string text;
        std::string name;
        bool negated;
        std::string first, second, rest;
    } cases[] = {
        {"EXIST_TABLE(REG_LOK18);", "EXIST_TABLE", false, "REG_LOK18", "", ""},
        {" NOT_EXIST_FIELD ( BO_VERSION , UPDATELOG ) ; EXIST_TABLE(X);", "EXIST_FIELD", true,
         "BO_VERSION", "UPDATELOG", "EXIST_TABLE(X);"},
        {"EXIST_FIELD(T);", "EXIST_FIELD", false, "", "T", ""},
        {"EXIST_VIEW(A,B);", "EXIST_VIEW", false, "A,B", "", ""},
        {"EXIST_TABLE(T;", "EXIST_TABLE", false, "", "", ""},
        {"T);", "", false, "T", "", ""},
        {"EXIST_TABLE(A)B);junk", "EXIST_TABLE", false, "A", "", "junk"},
        {"NOT_(X);", "", true, "X", "", ""},
    };
    for (const auto& c : cases) {
        std::string remaining = c.text;
        const ConditionCheck check = takeCheck(remaining);
        EXPECT_EQ(check.name, c.name) << c.text;
        EXPECT_EQ(check.negated, c.negated) << c.text;
        EXPECT_EQ(check.first, c.first) << c.text;
        EXPECT_EQ(check.second, c.second) << c.text;
        EXPECT_EQ(remaining, c.rest) << c.text;
    }
}

class ConditionsTest : public EngineTest {
protected:
    // Whether an element with this CONDITION runs.
    bool holds(const std::string& condition) {
        const Document doc =
            Document::parse("<G CONDITION=\"" + condition + "\"/>", "condition.xml");
        return CheckConditions(context, doc.root(), "script.xml");
    }
    testsupport::ScriptedConnection& scripted(const std::string& type) {
        useScripted(type);
        auto& slot = update::run::runConnectionSlot(context);
        auto connection = std::make_unique<testsupport::ScriptedConnection>();
        auto& ref = *connection;
        slot = std::move(connection);
        return ref;
    }
};

TEST_F(ConditionsTest, FirebirdCatalogueChecks) {
    useFirebird();
    {
        auto c = enginetest::openDatabase(dbPath);
        for (const char* ddl :
             {"CREATE TABLE T1 (F1 INTEGER, F2 COMPUTED BY (F1 + 1))",
              "CREATE VIEW V1 AS SELECT F1 FROM T1", "CREATE VIEW \"V'Q\" AS SELECT F1 FROM T1",
              "CREATE PROCEDURE P1 AS BEGIN END", "CREATE GENERATOR G1",
              "CREATE INDEX IX1 ON T1 (F1)", "CREATE TRIGGER TR1 FOR T1 BEFORE INSERT AS BEGIN END",
              "CREATE TABLE T2 (A INTEGER CHECK (A > 0))"}) {
            c->execute(ddl);
        }
    }
    update::run::reopenRunConnection(context);
    const struct {
        const char* condition;
        bool expected;
    } cases[] = {
        {"EXIST_TABLE(T1);", true},
        {"exist_table(t1);", true},
        {"  EXIST_TABLE( T1 ) ;  ", true},
        {"EXIST_TABLE(T1)", false}, // no semicolon: nothing evaluated
        {"EXIST_TABLE(T1);junk", true},
        {"EXIST_TABLE(NOPE);", false},
        {"NOT_EXIST_TABLE(NOPE);", true},
        {"EXIST_TABLE(V1);", false}, // a view is no table
        {"EXIST_TABLE(RDB$RELATIONS);", false},
        {"EXIST_FIELD(T1, F1);", true},
        {"EXIST_FIELD(T1, F2);", false}, // computed
        {"EXIST_FIELD(T1, NOPE);", false},
        {"EXIST_FIELD(NOPE, F1);", false},
        {"EXIST_VIEW(V1);", true},
        {"EXIST_VIEW(T1);", false},
        {"EXIST_VIEW(V'Q);", true}, // the quote doubled in the literal
        {"EXIST_PRC(P1);", true},
        {"EXIST_PRC(P2);", false},
        {"EXIST_TRIGGER(TR1);", true},
        {"EXIST_TRIGGER(CHECK_1);", false}, // check constraints' triggers do not count
        {"EXIST_GENERATOR(G1);", true},
        {"EXIST_GENERATOR(RDB$SECURITY_CLASS);", false},
        {"EXIST_INDEX(IX1);", true},
        {"NOT_EXIST_INDEX(IX1);", false},
        {"EXIST_TABLE(T1);EXIST_VIEW(V1);NOT_EXIST_PRC(P9);", true},
        {"EXIST_TABLE(T1);EXIST_VIEW(NOPE);EXIST_PRC(P1);", false},
        {"EXIST_TABLE(NOPE);EXIST_TABLE(T1);", false},
        // A name outside the table of checks repeats the value before it.
        {"EXIST_TABLE(T1);BOGUS(X);", true},
        {"EXIST_TABLE(T1);NOT_BOGUS(X);", false},
        {"BOGUS(X);", false},
        {"NOT_BOGUS(X);", true},
        {"", true},
        {"   ", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(holds(c.condition), c.expected) << c.condition;
    }
    EXPECT_TRUE(log().empty()) << "LOGCHECKERROR is off";
}

TEST_F(ConditionsTest, ChecksSeeTheDatabaseAsItIsNow) {
    useFirebird("INTRBASE");
    auto& connection = update::run::reopenRunConnection(context);
    EXPECT_FALSE(holds("EXIST_TABLE(LATE);"));
    connection.execute("CREATE TABLE LATE (A INTEGER)");
    EXPECT_TRUE(holds("EXIST_TABLE(LATE);"));
    EXPECT_TRUE(holds("EXIST_FIELD(LATE, A);"));
}

TEST_F(ConditionsTest, EveryFailingCheckIsLoggedWithWhatIsLeft) {
    useFirebird();
    update::run::reopenRunConnection(context);
    context.LogCheckErrors = true;
    host.setStatusCaption("группа 1, элемент 1");
    EXPECT_FALSE(holds("exist_prc(p9);EXIST_TABLE(BO_VERSION);NOT_EXIST_TABLE(BO_VERSION);"));
    const std::vector<std::string> expected = {
        "/*",
        "Операция:группа 1, элемент 1",
        "Источник:script.xml",
        "Ошибка:",
        "Условия не выполнены:",
        "  Текст условия: 'EXIST_TABLE(BO_VERSION);NOT_EXIST_TABLE(BO_VERSION);'",
        "  Проверяем: 'EXIST_PRC'",
        "  Параметры: 'P9', ''",
        "  Запрос на проверку: 'SELECT COUNT(*) FROM RDB$PROCEDURES WHERE "
        "RDB$PROCEDURE_NAME='P9''",
        "------------------------------------------------",
        "*/",
        "/*",
        "Операция:группа 1, элемент 1",
        "Источник:script.xml",
        "Ошибка:",
        "Условия не выполнены:",
        "  Текст условия: ''",
        "  Проверяем: 'NOT_EXIST_TABLE'",
        "  Параметры: 'BO_VERSION', ''",
        // EXIST_TABLE reads a name list: the query object keeps its last text.
        "  Запрос на проверку: 'SELECT COUNT(*) FROM RDB$PROCEDURES WHERE "
        "RDB$PROCEDURE_NAME='P9''",
        "------------------------------------------------",
        "*/",
    };
    EXPECT_EQ(log(), expected);
}

TEST_F(ConditionsTest, NoConditionAsksNothing) {
    auto& c = scripted("MSSQL");
    const Document doc = Document::parse("<G/>", "c.xml");
    EXPECT_TRUE(CheckConditions(context, doc.root(), "s.xml"));
    EXPECT_TRUE(holds(" "));
    EXPECT_TRUE(c.journal.empty());
}

TEST_F(ConditionsTest, MsSqlQueriesAndLists) {
    auto& c = scripted("MSSQL");
    c.tables = {"dbo_t", "v"};
    c.tableColumns = {{"V", "Col"}};
    c.answer("name = 'P1'", {{"n"}, {}, {{"1"}}});
    EXPECT_TRUE(holds("EXIST_TABLE(V);"));
    EXPECT_TRUE(holds("EXIST_FIELD(v, col);"));
    EXPECT_FALSE(holds("EXIST_FIELD(V, OTHER);"));
    EXPECT_TRUE(holds("NOT_EXIST_GENERATOR(X);"));
    EXPECT_FALSE(holds("EXIST_GENERATOR(X);"));
    EXPECT_TRUE(holds("EXIST_PRC(p1);"));
    c.journal.clear();
    EXPECT_FALSE(holds("EXIST_VIEW(A'B);EXIST_TRIGGER(T);EXIST_INDEX(I);"));
    EXPECT_EQ(c.statements(),
              (std::vector<std::string>{
                  "SELECT COUNT(*) FROM sysobjects WHERE type = 'V' AND category = 0 AND name = "
                  "'A''B'",
                  "SELECT COUNT(*) FROM sysobjects WHERE type = 'TR' AND category = 0 AND name = "
                  "'T'",
                  "SELECT COUNT(*) FROM sysindexes WHERE name = 'I'"}));
}

TEST_F(ConditionsTest, OracleQueries) {
    auto& c = scripted("ORACLE");
    c.answer("user_All_tables", {{"TABLE_NAME"}, {}, {{"T"}}});
    c.answer("COLUMN_NAME = 'F'", {{"C"}, {}, {{"1"}}});
    EXPECT_TRUE(holds("EXIST_TABLE(t);"));
    EXPECT_TRUE(holds("EXIST_FIELD(T, F);"));
    EXPECT_FALSE(holds("EXIST_FIELD(T, G);"));
    context.LogCheckErrors = true;
    EXPECT_FALSE(
        holds("EXIST_VIEW(V);EXIST_PRC(P);EXIST_TRIGGER(T);EXIST_GENERATOR(S);EXIST_INDEX(I);"));
    const auto statements = c.statements();
    const std::vector<std::string> tail(statements.end() - 5, statements.end());
    EXPECT_EQ(tail, (std::vector<std::string>{
                        "SELECT COUNT(*) FROM USER_OBJECTS WHERE OBJECT_TYPE = 'VIEW' AND "
                        "OBJECT_NAME='V'",
                        "SELECT COUNT(*) FROM USER_OBJECTS WHERE OBJECT_TYPE = 'PROCEDURE' AND "
                        "OBJECT_NAME='P'",
                        "SELECT COUNT(*) FROM USER_OBJECTS WHERE OBJECT_TYPE = 'TRIGGER' AND "
                        "OBJECT_NAME='T'",
                        "SELECT COUNT(*) FROM USER_OBJECTS WHERE OBJECT_TYPE = 'SEQUENCE' AND "
                        "OBJECT_NAME='S'",
                        "SELECT COUNT(*) FROM USER_OBJECTS WHERE OBJECT_TYPE = 'INDEX' AND "
                        "OBJECT_NAME='I'"}));
    EXPECT_EQ(statements[0], "select tabs.table_name from user_All_tables tabs where "
                             "UPPER(tabs.table_name)='T'");
    EXPECT_EQ(statements[1], "SELECT COUNT(*) FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'T' AND "
                             "COLUMN_NAME = 'F'");
    // Five failing checks, five entries, each naming the check's own query.
    EXPECT_NE(logText().find("Запрос на проверку: 'SELECT COUNT(*) FROM USER_OBJECTS WHERE "
                             "OBJECT_TYPE = 'INDEX' AND OBJECT_NAME='I''"),
              std::string::npos);
    const auto lines = log();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Условия не выполнены:"), 5);
}

TEST_F(ConditionsTest, AFailingCatalogueQueryLeaves) {
    auto& c = scripted("ORACLE");
    c.fail("USER_OBJECTS", "ORA-03113: end-of-file on communication channel");
    EXPECT_THROW(holds("EXIST_VIEW(V);"), platform::db::DbError);
}

} // namespace
