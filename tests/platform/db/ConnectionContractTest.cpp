// The promises of Connection.h and Query.h on every backend (ConnectionContract.h); here on
// embedded Firebird databases.

#include "tests/platform/db/ConnectionContract.h"

#include "tests/platform/db/TestDatabase.h"

#include <algorithm>
#include <sstream>

namespace dbtest {
namespace {

using platform::db::ColumnKind;
using platform::db::DbError;

TEST_P(ConnectionContract, QueriesGiveTheirRowsAndColumns) {
    c->execute("INSERT INTO ITEMS VALUES (1, 'Справочник')");
    c->execute("INSERT INTO ITEMS VALUES (2, NULL)");
    c->execute("INSERT INTO ITEMS VALUES (3, '42')");
    const auto q = c->query("SELECT ID, NAME AS LABEL FROM ITEMS ORDER BY ID");
    EXPECT_EQ(q->sql(), "SELECT ID, NAME AS LABEL FROM ITEMS ORDER BY ID");
    ASSERT_EQ(q->columnCount(), 2);
    EXPECT_EQ(q->columnName(1), "LABEL");
    EXPECT_EQ(q->findColumn("label"), 1);
    EXPECT_EQ(q->findColumn("NAME"), -1);
    EXPECT_EQ(q->columnKind(0), ColumnKind::Integer);
    EXPECT_EQ(q->columnKind(1), ColumnKind::Character);
    ASSERT_EQ(q->recordCount(), 3);

    EXPECT_EQ(q->recNo(), 1);
    EXPECT_EQ(q->integer("ID"), 1);
    EXPECT_EQ(q->text("LABEL"), "Справочник");
    EXPECT_THROW(q->integer("LABEL"), DbError);
    q->next();
    EXPECT_TRUE(q->isNull(1));
    EXPECT_EQ(q->text(1), "");
    EXPECT_EQ(q->integer(1), 0);
    q->next();
    EXPECT_EQ(q->integer(1), 42);
    q->next();
    EXPECT_TRUE(q->eof());
    EXPECT_EQ(q->recNo(), 4);

    const auto none = c->query("SELECT ID FROM ITEMS WHERE ID < 0");
    EXPECT_TRUE(none->eof());
    EXPECT_EQ(none->recordCount(), 0);
    EXPECT_EQ(none->columnCount(), 1);
}

TEST_P(ConnectionContract, StatementsReachTheDatabaseVerbatim) {
    c->execute("INSERT INTO ITEMS VALUES (1, 'a :b ? :c?')");
    EXPECT_EQ(scalar(*c, "SELECT NAME FROM ITEMS WHERE NAME LIKE '%:b ?%'"), "a :b ? :c?");
}

TEST_P(ConnectionContract, AStatementWithoutResultSetGivesNoColumnsAndNoRows) {
    const auto q = c->query("INSERT INTO ITEMS VALUES (1, 'x')");
    EXPECT_EQ(q->columnCount(), 0);
    EXPECT_EQ(q->recordCount(), 0);
    EXPECT_TRUE(q->eof());
    EXPECT_EQ(countSeenByAnother(), "1") << "it ran and committed";
    // Executing a query runs it and drops its rows.
    EXPECT_NO_THROW(c->execute("SELECT ID FROM ITEMS"));
}

TEST_P(ConnectionContract, WithoutTransactionEveryStatementCommitsOnItsOwn) {
    EXPECT_FALSE(c->inTransaction());
    c->execute("INSERT INTO ITEMS VALUES (1, 'a')");
    EXPECT_EQ(countSeenByAnother(), "1");
    EXPECT_THROW(c->execute("INSERT INTO ITEMS VALUES (1, 'duplicate')"), DbError);
    EXPECT_FALSE(c->inTransaction());
    c->execute("INSERT INTO ITEMS VALUES (2, 'b')");
    EXPECT_EQ(countSeenByAnother(), "2");
}

TEST_P(ConnectionContract, TransactionsCommitAndRollBack) {
    EXPECT_THROW(c->commit(), DbError);
    EXPECT_NO_THROW(c->rollback()) << "nothing to roll back";
    c->beginTransaction();
    EXPECT_TRUE(c->inTransaction());
    EXPECT_THROW(c->beginTransaction(), DbError);
    c->execute("INSERT INTO ITEMS VALUES (1, 'a')");
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM ITEMS"), "1") << "the query runs inside it";
    EXPECT_EQ(countSeenByAnother(), "0");
    // A failing statement leaves the transaction open with its work.
    EXPECT_THROW(c->execute("INSERT INTO ITEMS VALUES (1, 'again')"), DbError);
    EXPECT_TRUE(c->inTransaction());
    c->commit();
    EXPECT_FALSE(c->inTransaction());
    EXPECT_EQ(countSeenByAnother(), "1");

    c->beginTransaction();
    c->execute("DELETE FROM ITEMS");
    c->rollback();
    EXPECT_FALSE(c->inTransaction());
    EXPECT_EQ(countSeenByAnother(), "1");
}

TEST_P(ConnectionContract, CommitAndRollbackStatementsEndTheOpenTransaction) {
    c->beginTransaction();
    c->execute("INSERT INTO ITEMS VALUES (1, 'kept')");
    c->execute("COMMIT");
    EXPECT_FALSE(c->inTransaction());
    EXPECT_EQ(countSeenByAnother(), "1");

    c->beginTransaction();
    c->execute("INSERT INTO ITEMS VALUES (2, 'dropped')");
    c->execute("ROLLBACK");
    EXPECT_FALSE(c->inTransaction());
    EXPECT_EQ(countSeenByAnother(), "1");
    // The connection goes on as before.
    c->execute("INSERT INTO ITEMS VALUES (3, 'after')");
    EXPECT_EQ(countSeenByAnother(), "2");
}

TEST_P(ConnectionContract, AFailureIsTheDatabasesMessageAndTheConnectionGoesOn) {
    try {
        c->query("SELECT * FROM NO_SUCH_TABLE");
        ADD_FAILURE() << "no error";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("NO_SUCH_TABLE"), std::string::npos) << e.what();
    }
    EXPECT_THROW(c->execute("THIS IS NO STATEMENT"), DbError);
    c->execute("INSERT INTO ITEMS VALUES (1, 'a')");
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM ITEMS"), "1");
}

TEST_P(ConnectionContract, AQueryOutlivesItsTransactionAndItsConnection) {
    c->execute("INSERT INTO ITEMS VALUES (1, 'a')");
    c->execute("INSERT INTO ITEMS VALUES (2, 'b')");
    c->beginTransaction();
    const auto walked = c->query("SELECT ID FROM ITEMS ORDER BY ID");
    const auto kept = c->query("SELECT ID, NAME FROM ITEMS ORDER BY ID");
    // Statements run while a query is walked.
    for (; !walked->eof(); walked->next()) {
        c->execute("DELETE FROM ITEMS WHERE ID = " + walked->text(0));
    }
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM ITEMS"), "0");
    c->rollback();
    c->close();
    c.reset();
    ASSERT_EQ(kept->recordCount(), 2);
    EXPECT_EQ(kept->text("NAME"), "a");
    kept->next();
    EXPECT_EQ(kept->integer("ID"), 2);
    EXPECT_EQ(kept->text("NAME"), "b");
    EXPECT_EQ(countSeenByAnother(), "2");
}

TEST_P(ConnectionContract, AClosedConnectionRefusesWork) {
    c->beginTransaction();
    c->execute("INSERT INTO ITEMS VALUES (1, 'a')");
    c->close();
    EXPECT_FALSE(c->connected());
    EXPECT_NO_THROW(c->close());
    EXPECT_THROW(c->execute("INSERT INTO ITEMS VALUES (2, 'b')"), DbError);
    EXPECT_THROW(c->query("SELECT ID FROM ITEMS"), DbError);
    EXPECT_THROW(c->beginTransaction(), DbError);
    EXPECT_EQ(countSeenByAnother(), "0") << "closing rolled the open transaction back";
}

TEST_P(ConnectionContract, BinaryBlobsAreWrittenFromStreamsAndReadAsRawBytes) {
    c->execute("CREATE TABLE FILES (ID INTEGER, DATA " + database->binaryBlobType() + ")");
    c->execute("INSERT INTO FILES (ID) VALUES (1)");
    c->execute("INSERT INTO FILES (ID) VALUES (2)");
    c->execute("INSERT INTO FILES (ID) VALUES (2)");
    const std::string bytes("\0\x01\xff\xfe binary \xd0\r\n", 15);
    std::istringstream in(bytes);
    EXPECT_EQ(c->writeBlob("FILES", "DATA", "ID", "2", in), 2);
    std::istringstream none(bytes);
    EXPECT_EQ(c->writeBlob("FILES", "DATA", "ID", "3", none), 0);

    const auto q = c->query("SELECT ID, DATA FROM FILES ORDER BY ID");
    EXPECT_EQ(q->columnKind(1), ColumnKind::Other);
    EXPECT_TRUE(q->isNull(1));
    for (q->next(); !q->eof(); q->next()) {
        EXPECT_EQ(q->text(1), bytes);
    }
    // Inside a transaction the value goes with it.
    c->beginTransaction();
    std::istringstream again("other");
    EXPECT_EQ(c->writeBlob("FILES", "DATA", "ID", "1", again), 1);
    c->rollback();
    EXPECT_EQ(scalar(*c, "SELECT DATA FROM FILES WHERE ID = 1"), "<null>");
}

TEST_P(ConnectionContract, TheCatalogueListsTablesAndStoredColumns) {
    c->execute("CREATE TABLE OTHER_ITEMS (A INTEGER, B VARCHAR(5))");
    c->execute("CREATE VIEW ITEM_NAMES AS SELECT NAME FROM ITEMS");
    std::vector<std::string> tables = c->tableNames();
    std::sort(tables.begin(), tables.end());
    EXPECT_EQ(tables, (std::vector<std::string>{"ITEMS", "ITEM_NAMES", "OTHER_ITEMS"}));
    EXPECT_EQ(c->columnNames("OTHER_ITEMS"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(c->columnNames("ITEMS"), (std::vector<std::string>{"ID", "NAME"}));
    EXPECT_TRUE(c->columnNames("NO_SUCH").empty());
}

// Embedded Firebird: a database file of its own, made by the test.
class FirebirdDatabase final : public ContractDatabase {
public:
    FirebirdDatabase() { db_.create()->close(); }
    std::unique_ptr<platform::db::Connection> connect() override { return db_.open(); }
    std::string binaryBlobType() const override { return "BLOB SUB_TYPE 0"; }

private:
    TestDatabase db_;
};

INSTANTIATE_TEST_SUITE_P(Firebird, ConnectionContract,
                         ::testing::Values(Backend{"Embedded",
                                                   [] {
                                                       return std::unique_ptr<ContractDatabase>(
                                                           std::make_unique<FirebirdDatabase>());
                                                   }}),
                         backendName);

} // namespace
} // namespace dbtest
