// Explicit transactions, and statements that commit on their own without one.

#include "tests/platform/db/TestDatabase.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace platform::db;
using dbtest::scalar;

class FirebirdTransaction : public ::testing::Test {
protected:
    void SetUp() override {
        c = db.create();
        c->execute("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(10))");
        other = db.open(); // a second connection sees only what was committed
    }
    std::string countSeenByOther() { return scalar(*other, "SELECT COUNT(*) FROM T"); }

    dbtest::TestDatabase db;
    std::unique_ptr<Connection> c;
    std::unique_ptr<Connection> other;
};

TEST_F(FirebirdTransaction, WithoutTransactionEveryStatementCommitsOnItsOwn) {
    EXPECT_FALSE(c->inTransaction());
    c->execute("INSERT INTO T VALUES (1, 'a')");
    EXPECT_EQ(countSeenByOther(), "1");
    // A failing statement takes nothing with it, and the next one runs normally.
    EXPECT_THROW(c->execute("INSERT INTO T VALUES (1, 'duplicate')"), DbError);
    c->execute("INSERT INTO T VALUES (2, 'b')");
    EXPECT_EQ(countSeenByOther(), "2");
    EXPECT_FALSE(c->inTransaction());
}

TEST_F(FirebirdTransaction, CommitMakesTheWorkVisible) {
    c->beginTransaction();
    EXPECT_TRUE(c->inTransaction());
    EXPECT_THROW(c->beginTransaction(), DbError);
    c->execute("INSERT INTO T VALUES (1, 'a')");
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM T"), "1"); // the query runs inside it
    EXPECT_EQ(countSeenByOther(), "0");
    c->commit();
    EXPECT_FALSE(c->inTransaction());
    EXPECT_EQ(countSeenByOther(), "1");
    EXPECT_THROW(c->commit(), DbError);
}

TEST_F(FirebirdTransaction, FailedStatementInsideCanBeRolledBack) {
    c->beginTransaction();
    c->execute("INSERT INTO T VALUES (1, 'a')");
    EXPECT_THROW(c->execute("INSERT INTO T VALUES (1, 'again')"), DbError);
    EXPECT_TRUE(c->inTransaction()); // the failure does not end the transaction
    c->rollback();
    EXPECT_FALSE(c->inTransaction());
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM T"), "0");
    EXPECT_EQ(countSeenByOther(), "0");
}

TEST_F(FirebirdTransaction, ClosingRollsBackAnOpenTransaction) {
    c->beginTransaction();
    c->execute("INSERT INTO T VALUES (1, 'a')");
    c->close();
    EXPECT_FALSE(c->connected());
    c->close(); // harmless
    EXPECT_THROW(c->execute("SELECT 1 FROM RDB$DATABASE"), DbError);
    EXPECT_EQ(countSeenByOther(), "0");
}

TEST_F(FirebirdTransaction, DefinitionsWorkInBothModes) {
    c->execute("CREATE TABLE AUTO_T (A INTEGER)");
    c->execute("ALTER TABLE AUTO_T ADD B VARCHAR(5)");
    c->beginTransaction();
    c->execute("CREATE TABLE TX_T (A INTEGER)");
    c->execute("ALTER TABLE AUTO_T DROP B");
    c->commit();
    c->execute("INSERT INTO TX_T VALUES (1)");
    EXPECT_EQ(c->columnNames("AUTO_T"), std::vector<std::string>{"A"});
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM TX_T"), "1");

    c->beginTransaction();
    c->execute("CREATE TABLE GONE (A INTEGER)");
    c->rollback();
    const auto tables = c->tableNames();
    EXPECT_EQ(std::count(tables.begin(), tables.end(), "GONE"), 0);
}
