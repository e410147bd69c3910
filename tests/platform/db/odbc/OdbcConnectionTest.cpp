// The ODBC backend on a real driver that needs no server: SQLite through its ODBC driver.

#include "platform/db/odbc/OdbcBackend.h"
#include "tests/platform/db/odbc/OdbcTestDrivers.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace platform::db;
using odbctest::scalar;

class OdbcSqlite : public ::testing::Test {
protected:
    void SetUp() override {
        if (!odbctest::driverRegistered(odbctest::kSqliteDriver)) {
            GTEST_SKIP() << "the SQLite ODBC driver (libsqliteodbc) is not installed";
        }
        c = db.connect();
    }
    odbctest::SqliteDatabase db;
    std::unique_ptr<Connection> c;
};

TEST_F(OdbcSqlite, ColumnKindsAndValueTexts) {
    c->execute("CREATE TABLE T (I INTEGER, S SMALLINT, B BIGINT, D DOUBLE, R REAL,"
               " N NUMERIC(10,2), V VARCHAR(20), C CHAR(4), X TEXT, DT DATE, TS TIMESTAMP,"
               " TM TIME, BL BLOB)");
    c->execute("INSERT INTO T VALUES (-7, 3, 9007199254740993, 1.5, 0.25, 12.5, 'Справочник',"
               " 'ab', 'long text', '2024-02-29', '2024-02-29 13:14:15', '23:59:58', X'00FF10')");
    c->execute("INSERT INTO T (I) VALUES (NULL)");
    const auto q = c->query("SELECT * FROM T ORDER BY I DESC");
    struct Case {
        const char* column;
        ColumnKind kind;
        const char* text;
    };
    const Case cases[] = {
        {"I", ColumnKind::Integer, "-7"},
        {"S", ColumnKind::Integer, "3"},
        {"B", ColumnKind::Integer, "9007199254740993"},
        {"D", ColumnKind::Numeric, "1.5"},
        {"R", ColumnKind::Numeric, "0.25"},
        {"N", ColumnKind::Numeric, "12.5"},
        {"V", ColumnKind::Character, "Справочник"},
        {"C", ColumnKind::Character, "ab"},
        {"X", ColumnKind::Character, "long text"},
        {"DT", ColumnKind::Other, "2024-02-29"},
        {"TS", ColumnKind::Other, "2024-02-29 13:14:15"},
        {"TM", ColumnKind::Other, "23:59:58"},
        {"BL", ColumnKind::Other, std::string("\0\xff\x10", 3).c_str()},
    };
    ASSERT_EQ(q->columnCount(), 13);
    ASSERT_EQ(q->recordCount(), 2);
    for (const Case& cs : cases) {
        const int index = q->column(cs.column);
        EXPECT_EQ(q->columnKind(index), cs.kind) << cs.column;
        EXPECT_FALSE(q->isNull(index)) << cs.column;
        if (std::string(cs.column) != "BL") {
            EXPECT_EQ(q->text(index), cs.text) << cs.column;
        }
    }
    EXPECT_EQ(q->text("BL"), std::string("\0\xff\x10", 3));
    q->next();
    for (const Case& cs : cases) {
        EXPECT_TRUE(q->isNull(cs.column)) << cs.column;
        EXPECT_EQ(q->text(cs.column), "") << cs.column;
    }
}

TEST_F(OdbcSqlite, TransactionsSwitchAutocommitOffWhileOpen) {
    c->execute("CREATE TABLE T (ID INTEGER PRIMARY KEY, NAME VARCHAR(10))");
    const auto other = db.connect();
    c->beginTransaction();
    c->execute("INSERT INTO T VALUES (1, 'a')");
    EXPECT_THROW(c->execute("INSERT INTO T VALUES (1, 'duplicate')"), DbError);
    EXPECT_TRUE(c->inTransaction()) << "a failing statement leaves the transaction open";
    c->execute("INSERT INTO T VALUES (2, 'b')");
    c->commit();
    EXPECT_EQ(scalar(*other, "SELECT COUNT(*) FROM T"), "2");

    c->beginTransaction();
    c->execute("DELETE FROM T");
    c->rollback();
    EXPECT_EQ(scalar(*other, "SELECT COUNT(*) FROM T"), "2");
    // Autocommit is back: the next statement is seen at once.
    c->execute("DELETE FROM T WHERE ID = 1");
    EXPECT_EQ(scalar(*other, "SELECT COUNT(*) FROM T"), "1");

    // The statement forms that end the transaction, in any letter case.
    c->beginTransaction();
    c->execute("INSERT INTO T VALUES (3, 'c')");
    c->execute(" commit work; ");
    EXPECT_FALSE(c->inTransaction());
    c->beginTransaction();
    c->execute("DELETE FROM T");
    EXPECT_EQ(c->query("Rollback Transaction")->columnCount(), 0);
    EXPECT_FALSE(c->inTransaction());
    EXPECT_EQ(scalar(*other, "SELECT COUNT(*) FROM T"), "2");
}

TEST_F(OdbcSqlite, CatalogueListsAndForeignKeysBothWays) {
    c->execute("CREATE TABLE PARENT (ID INTEGER PRIMARY KEY, A INTEGER, B INTEGER,"
               " UNIQUE (A, B))");
    c->execute("CREATE TABLE CHILD (ID INTEGER, PID INTEGER, A INTEGER, B INTEGER,"
               " CONSTRAINT FK_CHILD_PARENT FOREIGN KEY (PID) REFERENCES PARENT (ID),"
               " CONSTRAINT FK_CHILD_PAIR FOREIGN KEY (A, B) REFERENCES PARENT (A, B))");
    c->execute("CREATE TABLE GRANDCHILD (CID INTEGER REFERENCES CHILD (ID))");
    c->execute("CREATE TABLE REGXLOK (X INTEGER)");
    c->execute("CREATE TABLE REG_LOK (Y INTEGER, Z INTEGER)");
    c->execute("CREATE VIEW V_PARENT AS SELECT ID FROM PARENT");

    const auto names = c->tableNames();
    EXPECT_EQ(names, (std::vector<std::string>{"CHILD", "GRANDCHILD", "PARENT", "REGXLOK",
                                               "REG_LOK", "V_PARENT"}));
    // "_" is no wildcard: REG_LOK's columns only, not REGXLOK's.
    EXPECT_EQ(c->columnNames("REG_LOK"), (std::vector<std::string>{"Y", "Z"}));
    EXPECT_EQ(c->columnNames("V_PARENT"), (std::vector<std::string>{"ID"}));
    EXPECT_TRUE(c->columnNames("NO_SUCH").empty());

    const auto of = c->foreignKeysOf("CHILD");
    ASSERT_EQ(of.size(), 2u) << "a key over two columns is one key";
    for (const ForeignKey& key : of) {
        EXPECT_EQ(key.table, "CHILD");
        EXPECT_EQ(key.referencedTable, "PARENT");
    }
    const auto to = c->foreignKeysTo("CHILD");
    ASSERT_EQ(to.size(), 1u);
    EXPECT_EQ(to[0].table, "GRANDCHILD");
    EXPECT_EQ(to[0].referencedTable, "CHILD");
    EXPECT_EQ(c->foreignKeysTo("PARENT").size(), 2u);
    EXPECT_TRUE(c->foreignKeysOf("PARENT").empty());
}

TEST_F(OdbcSqlite, ErrorsAreTheDiagnosticRecords) {
    try {
        c->execute("SELECT * FROM NO_SUCH_TABLE");
        FAIL() << "no error";
    } catch (const DbError& e) {
        const std::string message = e.what();
        // "SQLSTATE (native code) message"
        EXPECT_EQ(message.find("HY000 ("), 0u) << message;
        EXPECT_NE(message.find("no such table: NO_SUCH_TABLE"), std::string::npos) << message;
    }
    // Bytes that are not UTF-8 never reach the driver.
    EXPECT_THROW(c->execute("SELECT '\xff'"), DbError);
    // An unknown driver is the driver manager's message.
    try {
        odbc::openOdbcString("DRIVER={No Such Driver};Database=x", std::chrono::seconds(5));
        FAIL() << "no error";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("'No Such Driver'"), std::string::npos) << e.what();
    }
}
