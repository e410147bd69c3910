#include "update/engine/ScriptFile.h"

#include "tests/update/engine/EngineFixture.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <utility>

namespace {

using enginetest::EngineTest;
using enginetest::scalar;
using update::engine::ExecuteScriptFile;

class ScriptFileTest : public EngineTest {
protected:
    ScriptFileTest() {
        host.setBarMaximum(100);
        context.CurrentItemShare = 100;
    }
    // The rows of T(A) as text, in order.
    std::string rowsOfT() {
        auto c = inspect();
        std::string out;
        for (auto q = c->query("SELECT A FROM T ORDER BY A"); !q->eof(); q->next()) {
            out += q->text(0) + ";";
        }
        return out;
    }
};

TEST_F(ScriptFileTest, GroupsRunInOrderAndConditionsSeeEarlierStatements) {
    useFirebird();
    const std::string path = writeScript("s.xml", R"(
<CREATE CONDITION="NOT_EXIST_TABLE(T);">
  <E STOP_ON_EXCEPTION="1" LOG_ERROR="1">CREATE TABLE T (A INTEGER, B VARCHAR(40))</E>
  <E CONDITION="EXIST_FIELD(T, A);" STOP_ON_EXCEPTION="1" LOG_ERROR="1">INSERT INTO T (A, B) VALUES (1, '&lt;USER&gt;')</E>
  <E CONDITION="NOT_EXIST_FIELD(T, C);" STOP_ON_EXCEPTION="1" LOG_ERROR="1"><![CDATA[INSERT INTO T (A, B) VALUES (2, 'Привет; мир')]]></E>
</CREATE>
<AGAIN CONDITION="NOT_EXIST_TABLE(T);">
  <E STOP_ON_EXCEPTION="1" LOG_ERROR="1">CREATE TABLE T (A INTEGER)</E>
</AGAIN>
)");
    EXPECT_TRUE(ExecuteScriptFile(context, path));
    EXPECT_EQ(rowsOfT(), "1;2;");
    auto c = inspect();
    EXPECT_EQ(scalar(*c, "SELECT B FROM T WHERE A = 1"), "ADMIN");
    EXPECT_EQ(scalar(*c, "SELECT B FROM T WHERE A = 2"), "Привет; мир");
    EXPECT_TRUE(log().empty());
    EXPECT_EQ(factory.firebirdOpens, 1);
    ASSERT_TRUE(context.connections.fibDB);
    EXPECT_TRUE(context.connections.fibDB->connected()) << "the driver closes it";
}

TEST_F(ScriptFileTest, FailuresByFlags) {
    useFirebird();
    const std::string path = writeScript("s.xml", R"(
<SETUP><E>CREATE TABLE T (A INTEGER NOT NULL)</E></SETUP>
<STOPS>
  <E>INSERT INTO T VALUES (1)</E>
  <E>INSERT INTO T VALUES (2)</E>
  <E STOP_ON_EXCEPTION=" 1 " LOG_ERROR="0">INSERT INTO NOPE VALUES (3)</E>
  <E>INSERT INTO T VALUES (4)</E>
  <E>INSERT INTO T VALUES (5)</E>
</STOPS>
<GOES_ON>
  <E LOG_ERROR="1">INSERT INTO T VALUES (NULL)</E>
  <E STOP_ON_EXCEPTION="true" LOG_ERROR="yes">INSERT INTO T VALUES (NULL)</E>
  <E>INSERT INTO MISSING VALUES (1)</E>
  <E>INSERT INTO T VALUES (6)</E>
</GOES_ON>
)");
    EXPECT_FALSE(ExecuteScriptFile(context, path));
    EXPECT_EQ(rowsOfT(), "1;2;6;");
    const auto lines = log();
    // Two entries: the stopping failure and the logged one, each with its statement as detail.
    ASSERT_EQ(std::count(lines.begin(), lines.end(), "/*"), 4);
    EXPECT_EQ(lines[1], "Операция:группа 2, элемент 3");
    EXPECT_EQ(lines[2], "Источник:" + path);
    EXPECT_EQ(lines[3], "Ошибка:");
    const auto detail = std::find(lines.begin(), lines.end(), "INSERT INTO NOPE VALUES (3)");
    ASSERT_NE(detail, lines.end());
    EXPECT_EQ(*(detail - 1), "*/");
    EXPECT_EQ(*(detail + 1), "/*");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Операция:группа 3, элемент 1"), lines.end());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "INSERT INTO T VALUES (NULL)"), 1);
}

TEST_F(ScriptFileTest, LoggedFailureAloneKeepsTheScriptSuccessful) {
    useFirebird();
    const std::string path = writeScript("s.xml", R"(
<G><E LOG_ERROR="1">INSERT INTO NOPE VALUES (1)</E></G>)");
    EXPECT_TRUE(ExecuteScriptFile(context, path));
    EXPECT_FALSE(log().empty());
}

TEST_F(ScriptFileTest, AFailedStatementLeavesTheTransactionOpenUntilTheNextSuccess) {
    useFirebird();
    std::vector<std::pair<std::string, bool>> seen;
    host.onProcessMessages = [&] {
        const auto& c = context.connections.fibDB;
        seen.emplace_back(host.statusCaption(), c && c->connected() && c->inTransaction());
    };
    const std::string path = writeScript("s.xml", R"(
<G>
  <E>CREATE TABLE T (A INTEGER)</E>
  <E>INSERT INTO NOPE VALUES (1)</E>
  <E>INSERT INTO T VALUES (7)</E>
  <E>INSERT INTO NOPE VALUES (2)</E>
</G>)");
    EXPECT_TRUE(ExecuteScriptFile(context, path));
    // Before each statement runs, then after its progress step.
    const std::vector<std::pair<std::string, bool>> expected = {
        {"выполнение скриптов", false},   {"группа 1, элемент 1", false},
        {"группа 1, элемент 1", false},   {"группа 1, элемент 2", false},
        {"группа 1, элемент 2", true},    {"группа 1, элемент 3", true},
        {"группа 1, элемент 3", false},   {"группа 1, элемент 4", false},
        {"группа 1, элемент 4", true},    {"заполнение BLOB-полей", false},
        {"заполнение BLOB-полей", false},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(rowsOfT(), "7;");
}

TEST_F(ScriptFileTest, ALostConnectionReachesTheCallerAndKeepsWhatWasCommitted) {
    useFirebird();
    {
        auto c = enginetest::openDatabase(dbPath);
        c->execute("CREATE TABLE T (A INTEGER)");
    }
    factory.loseAfter = 2;
    const std::string path = writeScript("s.xml", R"(
<G>
  <E>INSERT INTO T VALUES (1)</E>
  <E>INSERT INTO T VALUES (2)</E>
  <E>INSERT INTO T VALUES (3)</E>
  <E>INSERT INTO T VALUES (4)</E>
</G>)");
    EXPECT_THROW(ExecuteScriptFile(context, path), platform::db::DbError);
    context.connections.closeAll();
    EXPECT_EQ(rowsOfT(), "1;2;");
}

TEST_F(ScriptFileTest, AConnectionThatCannotBeOpenedLeaves) {
    useFirebird();
    context.UpdaterState.RunConnectionString =
        "Provider=LCPI.IBProvider.2;Location=" + programDir.str() + "/none.fdb";
    const std::string path = writeScript("s.xml", "<G><E>SELECT 1 FROM RDB$DATABASE</E></G>");
    EXPECT_THROW(ExecuteScriptFile(context, path), platform::db::DbError);
}

TEST_F(ScriptFileTest, CommitWordIsNotSent) {
    useScripted("MSSQL");
    const std::string path = writeScript("s.xml", R"(
<G>
  <E STOP_ON_EXCEPTION="1">commit</E>
  <E STOP_ON_EXCEPTION="1">CoMmIt</E>
  <E>COMMIT;</E>
  <E> commit</E>
  <E>UPDATE X SET Y = :Z;
</E>
</G>)");
    EXPECT_TRUE(ExecuteScriptFile(context, path));
    EXPECT_EQ(factory.last().statements(),
              (std::vector<std::string>{"COMMIT;", " commit", "UPDATE X SET Y = :Z;\n"}));
}

TEST_F(ScriptFileTest, ProgressSplitsTheShare) {
    useScripted("MSSQL");
    host.setBarMaximum(200);
    host.setBarPosition(10);
    const std::string path = writeScript("s.xml", R"(
<G1><E>S1</E></G1>
<G2><E>S2</E><E>S3</E><E>S4</E><E>S5</E><E>S6</E></G2>
<G3 CONDITION="EXIST_TABLE(NOPE);"><E>S7</E></G3>
<G4><E CONDITION="EXIST_TABLE(NOPE);">S8</E></G4>
<G5></G5>
)");
    host.onProcessMessages = nullptr;
    const auto before = host.barPositionHistory().size();
    EXPECT_TRUE(ExecuteScriptFile(context, path));
    const std::vector<int> history(host.barPositionHistory().begin() +
                                       static_cast<std::ptrdiff_t>(before),
                                   host.barPositionHistory().end());
    // 80 % of 100 over five groups: 16 per group, 3.2 per element of the second group; the
    // jump to the full share comes at the end.
    EXPECT_EQ(history, (std::vector<int>{26, 29, 32, 36, 39, 42, 58, 110}));
}

TEST_F(ScriptFileTest, FailedConditionsAreLoggedOnlyWithTheSwitch) {
    useScripted("ORACLE");
    const std::string path = writeScript("s.xml", R"(
<GROUP_A CONDITION="EXIST_TABLE(NOPE);"><E>S1</E></GROUP_A>
<GROUP_B><E>S2</E><E CONDITION="EXIST_TABLE(NOPE);">INSERT '&lt;USER&gt;'</E></GROUP_B>
)");
    EXPECT_TRUE(ExecuteScriptFile(context, path));
    EXPECT_TRUE(log().empty());

    context.LogCheckErrors = true;
    EXPECT_TRUE(ExecuteScriptFile(context, path));
    const auto lines = log();
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), "Не выполнены условия выполнения для группы №1"),
        lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "GROUP_A"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Не выполнены условия выполнения для группы №2 скрипт №2"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "GROUP_B  INSERT '<USER>'"), lines.end());
    const auto& journal = factory.last().journal;
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "commit"), 0)
        << "Oracle commits on its own";
}

TEST_F(ScriptFileTest, AFileThatIsNoScriptIsAbandoned) {
    useScripted("MSSQL");
    host.setBarPosition(5);
    for (const std::string content : {"<SCRIPTS><G>", "<OTHER><G><E>S</E></G></OTHER>"}) {
        const auto path = programDir / "bad.xml";
        testsupport::writeFile(path, content);
        host.clearLog();
        EXPECT_FALSE(ExecuteScriptFile(context, path.string()));
        const auto lines = log();
        ASSERT_GE(lines.size(), 5u);
        EXPECT_EQ(lines[1], "Операция:выполнение скриптов");
        EXPECT_EQ(lines[4], "Ошибка доступа к файлу");
        EXPECT_EQ(host.barPosition(), 5);
        EXPECT_TRUE(factory.last().statements().empty());
    }
}

} // namespace
