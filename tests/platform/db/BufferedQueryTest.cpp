// The rows every backend hands out: walking them, values by name, and the caller's mistakes.

#include "platform/db/BufferedQuery.h"

#include "platform/db/Connection.h"

#include <gtest/gtest.h>

using namespace platform::db;

namespace {

BufferedQuery twoRows() {
    return BufferedQuery("SELECT", {{"ID", ColumnKind::Integer}, {"Имя", ColumnKind::Character}},
                         {{{false, "1"}, {false, "один"}}, {{false, "2 "}, {true, ""}}});
}

} // namespace

TEST(BufferedQuery, ValuesByIndexAndByNameIgnoringCase) {
    BufferedQuery q = twoRows();
    EXPECT_EQ(q.column("имя"), 1);
    EXPECT_EQ(q.findColumn("ИМЯ"), 1);
    EXPECT_EQ(q.findColumn("none"), -1);
    EXPECT_THROW(q.column("none"), DbError);
    EXPECT_EQ(q.text("имя"), "один");
    q.next();
    EXPECT_EQ(q.integer("id"), 2) << "blanks after the digits";
    EXPECT_TRUE(q.isNull(1));
    EXPECT_EQ(q.text(1), "");
    EXPECT_EQ(q.integer(1), 0);
    q.next();
    EXPECT_TRUE(q.eof());
    EXPECT_EQ(q.recNo(), 3);
}

TEST(BufferedQuery, ValuesThatAreNoIntegerAreTheDatabasesProblem) {
    BufferedQuery q("SELECT", {{"V", ColumnKind::Character}},
                    {{{false, "x"}}, {{false, "2147483648"}}, {{false, "1.5"}}, {{false, ""}}});
    for (; !q.eof(); q.next()) {
        EXPECT_THROW(q.integer(0), DbError) << q.text(0);
    }
}

#ifndef NDEBUG
TEST(BufferedQueryDeathTest, AnIndexOutOfRangeOrReadingPastTheEndIsAProgrammingError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    BufferedQuery q = twoRows();
    EXPECT_DEATH(q.text(2), "column index out of range");
    EXPECT_DEATH(q.isNull(-1), "column index out of range");
    EXPECT_DEATH(q.columnName(2), "column index out of range");
    q.next();
    q.next();
    EXPECT_DEATH(q.text(0), "past its last row");
    EXPECT_DEATH(q.integer(0), "past its last row");
    BufferedQuery empty("SELECT", {{"ID", ColumnKind::Integer}}, {});
    EXPECT_DEATH(empty.isNull(0), "past its last row");
}
#endif
