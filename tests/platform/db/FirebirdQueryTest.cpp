// Queries: rows read when the query opens, values by name or index, column kinds.

#include "tests/platform/db/TestDatabase.h"

#include <gtest/gtest.h>

using namespace platform::db;
using dbtest::scalar;

class FirebirdQuery : public ::testing::Test {
protected:
    void SetUp() override {
        c = db.create();
        c->execute("CREATE TABLE ITEMS (ID INTEGER NOT NULL, NAME VARCHAR(20), QTY SMALLINT,"
                   " BIG BIGINT, PRICE NUMERIC(15,2), RATE DECIMAL(9,4), SMALL_SCALED NUMERIC(4,1),"
                   " RATIO DOUBLE PRECISION, F FLOAT, DAY_ DATE, STAMP TIMESTAMP, T TIME,"
                   " CODE CHAR(3), MEMO BLOB SUB_TYPE TEXT, RAW BLOB SUB_TYPE 0, OK BOOLEAN)");
        c->execute("INSERT INTO ITEMS VALUES (1, 'first', 7, 9000000000, 12.5, -0.0625, 1.5, 1.5,"
                   " 0.25, '2024-02-29', '2024-02-29 13:05:09.1234', '07:08:09', 'ab', 'memo',"
                   " NULL, TRUE)");
        c->execute("INSERT INTO ITEMS (ID, NAME, PRICE) VALUES (2, 'second', -0.05)");
        c->execute("INSERT INTO ITEMS (ID, NAME) VALUES (3, '42')");
    }
    dbtest::TestDatabase db;
    std::unique_ptr<Connection> c;
};

TEST_F(FirebirdQuery, ValuesAsTextInTheCLocale) {
    const auto q = c->query("SELECT * FROM ITEMS WHERE ID = 1");
    ASSERT_EQ(q->recordCount(), 1);
    struct Case {
        const char* column;
        const char* text;
    };
    const Case cases[] = {
        {"ID", "1"},
        {"NAME", "first"},
        {"QTY", "7"},
        {"BIG", "9000000000"},
        {"PRICE", "12.50"},
        {"RATE", "-0.0625"},
        {"SMALL_SCALED", "1.5"},
        {"RATIO", "1.5"},
        {"F", "0.25"},
        {"DAY_", "2024-02-29"},
        {"STAMP", "2024-02-29 13:05:09"},
        {"T", "07:08:09"},
        {"CODE", "ab "},
        {"MEMO", "memo"},
        {"OK", "TRUE"},
    };
    for (const auto& cs : cases) {
        EXPECT_FALSE(q->isNull(cs.column)) << cs.column;
        EXPECT_EQ(q->text(cs.column), cs.text) << cs.column;
    }
    EXPECT_TRUE(q->isNull("RAW"));
    EXPECT_EQ(q->text("RAW"), "");
    EXPECT_EQ(scalar(*c, "SELECT PRICE FROM ITEMS WHERE ID = 2"), "-0.05");
}

TEST_F(FirebirdQuery, ColumnKinds) {
    const auto q = c->query("SELECT ITEMS.*, COUNT(*) OVER () AS N, CAST(ID AS VARCHAR(5)) AS S"
                            " FROM ITEMS");
    struct Case {
        const char* column;
        ColumnKind kind;
    };
    const Case cases[] = {
        {"ID", ColumnKind::Integer},
        {"QTY", ColumnKind::Integer},
        {"BIG", ColumnKind::Integer},
        {"N", ColumnKind::Integer},
        {"PRICE", ColumnKind::Numeric},
        {"RATE", ColumnKind::Numeric},
        {"SMALL_SCALED", ColumnKind::Numeric},
        {"RATIO", ColumnKind::Numeric},
        {"F", ColumnKind::Numeric},
        {"NAME", ColumnKind::Character},
        {"CODE", ColumnKind::Character},
        {"MEMO", ColumnKind::Character},
        {"S", ColumnKind::Character},
        {"DAY_", ColumnKind::Other},
        {"STAMP", ColumnKind::Other},
        {"T", ColumnKind::Other},
        {"RAW", ColumnKind::Other},
        {"OK", ColumnKind::Other},
    };
    for (const auto& cs : cases) {
        EXPECT_EQ(q->columnKind(q->column(cs.column)), cs.kind) << cs.column;
    }
}

TEST_F(FirebirdQuery, IntegersNullsAndTheirErrors) {
    const auto q = c->query("SELECT ID, NAME, QTY, PRICE, BIG FROM ITEMS ORDER BY ID");
    EXPECT_EQ(q->integer("ID"), 1);
    EXPECT_EQ(q->integer("qty"), 7);
    EXPECT_THROW(q->integer("PRICE"), DbError); // 12.50 is no integer
    EXPECT_THROW(q->integer("BIG"), DbError);   // out of the 32-bit range
    EXPECT_THROW(q->integer("NAME"), DbError);  // "first"
    q->next();
    EXPECT_TRUE(q->isNull("QTY"));
    EXPECT_EQ(q->integer("QTY"), 0);
    EXPECT_EQ(q->text("QTY"), "");
    q->next();
    EXPECT_EQ(q->integer("NAME"), 42); // a text that holds a number
}

TEST_F(FirebirdQuery, WalkingTheRows) {
    const auto q = c->query("SELECT ID AS \"Key\", NAME FROM ITEMS ORDER BY ID DESC");
    EXPECT_EQ(q->sql(), "SELECT ID AS \"Key\", NAME FROM ITEMS ORDER BY ID DESC");
    EXPECT_EQ(q->columnCount(), 2);
    EXPECT_EQ(q->columnName(0), "Key");
    EXPECT_EQ(q->findColumn("KEY"), 0);
    EXPECT_EQ(q->findColumn("name"), 1);
    EXPECT_EQ(q->findColumn("ABSENT"), -1);
    EXPECT_THROW(q->text("ABSENT"), DbError);
    ASSERT_EQ(q->recordCount(), 3);
    std::vector<std::string> seen;
    for (int expectedRecNo = 1; !q->eof(); ++expectedRecNo) {
        EXPECT_EQ(q->recNo(), expectedRecNo);
        seen.push_back(q->text(0));
        q->next();
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"3", "2", "1"}));
    EXPECT_EQ(q->recNo(), 4);
    q->next();
    EXPECT_EQ(q->recNo(), 4) << "next() at the end stays there";

    const auto empty = c->query("SELECT ID FROM ITEMS WHERE ID < 0");
    EXPECT_TRUE(empty->eof());
    EXPECT_EQ(empty->recordCount(), 0);
    EXPECT_EQ(empty->columnCount(), 1);
}

TEST_F(FirebirdQuery, AnOpenQueryLetsOtherStatementsRun) {
    const auto q = c->query("SELECT ID FROM ITEMS ORDER BY ID");
    // Statements run while the query is walked, as the lookup-form conversion does.
    for (; !q->eof(); q->next()) {
        c->execute("DELETE FROM ITEMS WHERE ID = " + q->text(0));
    }
    EXPECT_EQ(q->recordCount(), 3);
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM ITEMS"), "0");
    c->execute("DROP TABLE ITEMS");
}

TEST_F(FirebirdQuery, StatementsReachTheServerVerbatim) {
    // A colon and a question mark inside the text are no parameter markers.
    c->execute("CREATE TABLE LOG (ID INTEGER, NOTE VARCHAR(40))");
    c->execute("CREATE TRIGGER LOG_BI FOR LOG BEFORE INSERT AS BEGIN"
               " IF (NEW.ID IS NULL) THEN NEW.ID = 99; NEW.NOTE = NEW.NOTE || ':x?'; END");
    c->execute("INSERT INTO LOG (NOTE) VALUES ('a :b ?')");
    EXPECT_EQ(scalar(*c, "SELECT ID || ' ' || NOTE FROM LOG"), "99 a :b ?:x?");
    // A procedure with outputs gives its one row.
    c->execute("CREATE PROCEDURE TWICE (X INTEGER) RETURNS (Y INTEGER) AS BEGIN Y = X * 2; END");
    const auto q = c->query("EXECUTE PROCEDURE TWICE(21)");
    ASSERT_EQ(q->recordCount(), 1);
    EXPECT_EQ(q->integer("Y"), 42);
}

TEST_F(FirebirdQuery, ExecutingAQueryRunsItToTheEnd) {
    c->execute("CREATE TABLE LOG (ID INTEGER)");
    c->execute("CREATE PROCEDURE FILL RETURNS (N INTEGER) AS BEGIN N = 1;"
               " WHILE (N <= 3) DO BEGIN INSERT INTO LOG VALUES (:N); SUSPEND; N = N + 1; END END");
    c->execute("SELECT * FROM FILL");
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM LOG"), "3");
    c->execute("EXECUTE PROCEDURE FILL");
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM LOG"), "4");
    c->execute("SELECT ID FROM ITEMS");
    // Statements that end the transaction they run in.
    c->beginTransaction();
    c->execute("DELETE FROM LOG");
    c->execute("COMMIT");
    EXPECT_FALSE(c->inTransaction());
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM LOG"), "0");
    c->beginTransaction();
    c->execute("INSERT INTO LOG VALUES (9)");
    c->execute("ROLLBACK");
    EXPECT_FALSE(c->inTransaction());
    EXPECT_EQ(scalar(*c, "SELECT COUNT(*) FROM LOG"), "0");
}
