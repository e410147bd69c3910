// BLOB values written from streams.

#include "tests/platform/db/ChildProcess.h"
#include "tests/platform/db/RandomBytes.h"
#include "tests/platform/db/TestDatabase.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace platform::db;
using dbtest::scalar;

namespace {

dbtest::Fnv1a hashOf(std::string_view bytes) {
    dbtest::Fnv1a h;
    h.add(bytes);
    return h;
}

} // namespace

class FirebirdBlob : public ::testing::Test {
protected:
    void SetUp() override {
        c = db.create();
        c->execute("CREATE TABLE BLOBS (ID INTEGER NOT NULL, GUID CHAR(8), DATA BLOB SUB_TYPE 0,"
                   " NOTE BLOB SUB_TYPE TEXT)");
        c->execute("INSERT INTO BLOBS (ID, GUID) VALUES (1, 'g1')");
        c->execute("INSERT INTO BLOBS (ID, GUID) VALUES (2, 'g2')");
        c->execute("INSERT INTO BLOBS (ID, GUID) VALUES (2, 'g2b')");
    }
    dbtest::TestDatabase db;
    std::unique_ptr<Connection> c;
};

TEST_F(FirebirdBlob, KeyComparedAsTextAndRowsCounted) {
    std::string bytes("\0\x01\xff binary \r\n", 13);
    struct Case {
        const char* keyColumn;
        const char* key;
        std::int64_t rows;
    };
    const Case cases[] = {
        {"ID", "1", 1},    {"ID", "2", 2},   {"ID", "3", 0},
        {"GUID", "g2", 1}, {"GUID", "g", 0}, {"GUID", "G1", 0},
    };
    for (const auto& cs : cases) {
        std::istringstream in(bytes);
        EXPECT_EQ(c->writeBlob("BLOBS", "DATA", cs.keyColumn, cs.key, in), cs.rows)
            << cs.keyColumn << "=" << cs.key;
    }
    const auto q = c->query("SELECT ID, GUID, DATA FROM BLOBS ORDER BY GUID");
    for (; !q->eof(); q->next()) {
        EXPECT_EQ(q->text("DATA"), bytes) << q->text("GUID");
    }
    // A key that cannot be compared with the column's type is the database's error.
    std::istringstream in(bytes);
    EXPECT_THROW(c->writeBlob("BLOBS", "DATA", "ID", "not a number", in), DbError);
    EXPECT_THROW(c->writeBlob("BLOBS", "NO_SUCH", "ID", "1", in), DbError);
}

TEST_F(FirebirdBlob, EmptySourceGivesAnEmptyValueAndTextBlobsTakeBytes) {
    std::istringstream empty("");
    ASSERT_EQ(c->writeBlob("BLOBS", "DATA", "ID", "1", empty), 1);
    EXPECT_EQ(scalar(*c, "SELECT DATA FROM BLOBS WHERE ID = 1"), "");
    EXPECT_EQ(scalar(*c, "SELECT OCTET_LENGTH(DATA) FROM BLOBS WHERE ID = 1"), "0");

    // A text BLOB gets the file's bytes; they read back as windows-1251 text.
    std::istringstream note(std::string("\xcf\xf0\xe8\xe2\xe5\xf2")); // "Привет"
    ASSERT_EQ(c->writeBlob("BLOBS", "NOTE", "ID", "1", note), 1);
    EXPECT_EQ(scalar(*c, "SELECT NOTE FROM BLOBS WHERE ID = 1"), "Привет");
}

TEST_F(FirebirdBlob, WritingJoinsTheOpenTransaction) {
    c->beginTransaction();
    std::istringstream in("value");
    ASSERT_EQ(c->writeBlob("BLOBS", "DATA", "ID", "1", in), 1);
    c->rollback();
    EXPECT_EQ(scalar(*c, "SELECT DATA FROM BLOBS WHERE ID = 1"), "<null>");
}

TEST_F(FirebirdBlob, LargeValueStreamsThroughWithoutFillingMemory) {
    constexpr std::uint64_t size = 64ULL * 1024 * 1024;
    constexpr std::uint64_t seed = 20240229;
    // The write runs in a process of its own, so that its peak memory is its own; the engine
    // admits one process per database at a time.
    c->close();
    const auto child = dbtest::runChild({dbtest::childProgram(), "write-blob", db.path(),
                                         std::to_string(size), std::to_string(seed)});
    ASSERT_EQ(child.exitCode, 0) << child.output;
    long rows = -1;
    long growthKib = -1;
    ASSERT_EQ(std::sscanf(child.output.c_str(), "rows=%ld growth_kib=%ld", &rows, &growthKib), 2)
        << child.output;
    EXPECT_EQ(rows, 1);
    EXPECT_LT(growthKib, 32 * 1024) << "the writer's peak memory grew by " << growthKib << " KiB";

    dbtest::RandomBytesStream expected(size, seed);
    const dbtest::Fnv1a want = dbtest::hashOfStream(expected);
    const auto back = db.open();
    EXPECT_EQ(scalar(*back, "SELECT OCTET_LENGTH(DATA) FROM BLOBS WHERE ID = 1"),
              std::to_string(size));
    const auto q = back->query("SELECT DATA FROM BLOBS WHERE ID = 1");
    const dbtest::Fnv1a got = hashOf(q->text(0));
    EXPECT_EQ(got.size(), want.size());
    EXPECT_EQ(got.hash(), want.hash());
}
