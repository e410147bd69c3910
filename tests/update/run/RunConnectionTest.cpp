#include "update/run/RunConnection.h"

#include "platform/db/ConnectionString.h"
#include "tests/update/run/StartFixture.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace update::run {
namespace {

using starttest::StartTest;
using testsupport::ScriptedConnection;

TEST_F(StartTest, EachTypeHasItsSlot) {
    struct Case {
        const char* type;
        std::unique_ptr<platform::db::Connection>* slot;
    };
    const Case cases[] = {
        {"FIREBIRD", &context.connections.fibDB},    {"INTRBASE", &context.connections.fibDB},
        {"ORACLE", &context.connections.oraSession}, {"MSSQL", &context.connections.conCX},
        {"Oracle", &context.connections.conCX},      {"", &context.connections.conCX},
    };
    for (const Case& c : cases) {
        context.DatabaseType = c.type;
        EXPECT_EQ(&runConnectionSlot(context), c.slot) << c.type;
    }
}

TEST_F(StartTest, EnsuringOpensOnlyWhatIsNotConnected) {
    platform::db::Connection& first = ensureRunConnection(context);
    EXPECT_EQ(&ensureRunConnection(context), &first);
    EXPECT_EQ(factory.msSqlCalls.size(), 1u);

    first.close();
    platform::db::Connection& second = ensureRunConnection(context);
    EXPECT_TRUE(second.connected());
    EXPECT_EQ(factory.msSqlCalls.size(), 2u);
    EXPECT_EQ(context.connections.conCX.get(), &second);
}

TEST_F(StartTest, ReopeningClosesTheConnectedOneFirst) {
    context.DatabaseType = "ORACLE";
    context.UpdaterState.RunConnectionString = "Provider=OraOLEDB.Oracle.1;Data Source=ora";
    reopenRunConnection(context);
    ScriptedConnection* first = factory.handedOut.at(0);
    first->beginTransaction();
    std::vector<std::string> journalAtReopen;
    factory.prepare = [&](ScriptedConnection&) { journalAtReopen = first->journal; };
    reopenRunConnection(context);
    // Only Firebird commits before closing.
    EXPECT_EQ(journalAtReopen, (std::vector<std::string>{"begin", "close"}));
    EXPECT_EQ(context.connections.oraSession.get(), factory.handedOut.at(1));
}

TEST_F(StartTest, ClosingAFirebirdConnectionCommitsItsTransaction) {
    context.DatabaseType = "INTRBASE";
    auto fib = std::make_unique<ScriptedConnection>();
    ScriptedConnection* raw = fib.get();
    context.connections.fibDB = std::move(fib);
    raw->beginTransaction();
    closeRunConnection(context);
    EXPECT_EQ(raw->journal, (std::vector<std::string>{"begin", "commit", "close"}));
    closeRunConnection(context); // not connected: nothing more
    EXPECT_EQ(raw->journal.size(), 3u);

    // A failed commit still closes the connection, and says so.
    auto failing = std::make_unique<ScriptedConnection>();
    failing->fail("commit", "deadlock");
    ScriptedConnection* failingRaw = failing.get();
    context.connections.fibDB = std::move(failing);
    failingRaw->beginTransaction();
    EXPECT_THROW(closeRunConnection(context), platform::db::DbError);
    EXPECT_FALSE(failingRaw->connected());
}

TEST_F(StartTest, ClosingWithoutAConnectionDoesNothing) {
    for (const char* type : {"FIREBIRD", "ORACLE", "MSSQL"}) {
        context.DatabaseType = type;
        EXPECT_NO_THROW(closeRunConnection(context)) << type;
    }
    EXPECT_TRUE(factory.handedOut.empty());
}

// The Firebird connection of a run, on a real embedded database.
class FirebirdRunConnection : public StartTest {
protected:
    testsupport::TempDir dbDir;
    std::string dbPath = (dbDir / "run.fdb").string();

    FirebirdRunConnection() {
        context.DatabaseType = "FIREBIRD";
        context.UpdaterState.SqlUserName = "SYSDBA";
        context.UpdaterState.SqlPassword = "masterkey";
        context.UpdaterState.RunConnectionString =
            "Provider=LCPI.IBProvider.2;User ID=other;Location=" + dbPath + ";ctype=win1251";
        platform::db::createFirebirdDatabase(
            platform::db::firebirdConnectionString(dbPath, "SYSDBA", "masterkey"))
            ->execute("CREATE TABLE T (ID INTEGER)");
    }
};

TEST_F(FirebirdRunConnection, WorkOfAnOpenTransactionSurvivesTheReopen) {
    platform::db::Connection& first = reopenRunConnection(context);
    first.beginTransaction();
    first.execute("INSERT INTO T VALUES (1)");
    platform::db::Connection& second = reopenRunConnection(context);
    EXPECT_FALSE(second.inTransaction());
    EXPECT_EQ(second.query("SELECT COUNT(*) FROM T")->integer(0), 1);
    EXPECT_EQ(factory.firebirdCalls.size(), 2u);
    EXPECT_EQ(platform::db::connectionValue(factory.firebirdCalls[0], "User Id"), "SYSDBA");
}

} // namespace
} // namespace update::run
