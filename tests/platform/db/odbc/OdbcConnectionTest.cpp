// The ODBC backend on a real driver that needs no server: SQLite through its ODBC driver.

#include "platform/db/odbc/OdbcConnection.h"

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
