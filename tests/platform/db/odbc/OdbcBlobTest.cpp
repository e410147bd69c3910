// BLOB values written through data-at-execution parameters, on the SQLite ODBC driver.

#include "tests/platform/db/RandomBytes.h"
#include "tests/platform/db/odbc/OdbcTestDrivers.h"

#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>

using namespace platform::db;
using odbctest::scalar;

namespace {

// The bytes of another stream buffer, which has the given size, recording the largest piece
// asked for at once; with a limit, the source breaks down once that many bytes have been read.
// It tells its size as a file would, by seeking to its end.
class WatchedBuf : public std::streambuf {
public:
    WatchedBuf(std::streambuf& source, std::uint64_t size, std::uint64_t failAfter = UINT64_MAX)
        : source_(source), size_(size), failAfter_(failAfter) {}
    std::streamsize largestRead() const { return largest_; }
    std::uint64_t reads() const { return reads_; }

protected:
    std::streamsize xsgetn(char* s, std::streamsize n) override {
        largest_ = std::max(largest_, n);
        ++reads_;
        if (given_ + static_cast<std::uint64_t>(n) > failAfter_) {
            throw std::runtime_error("the source broke down");
        }
        const std::streamsize got = source_.sgetn(s, n);
        given_ += static_cast<std::uint64_t>(got);
        at_ = given_;
        return got;
    }
    int_type underflow() override { return traits_type::eof(); }
    pos_type seekoff(off_type off, std::ios::seekdir dir, std::ios::openmode) override {
        // Only the moves that find the length: to the end, and back to where reading stands.
        if (off == 0 && dir == std::ios::end) {
            at_ = size_;
        } else if (off != 0 || dir != std::ios::cur) {
            return pos_type(off_type(-1));
        }
        return pos_type(static_cast<off_type>(at_));
    }
    pos_type seekpos(pos_type pos, std::ios::openmode) override {
        if (pos != pos_type(static_cast<off_type>(given_))) {
            return pos_type(off_type(-1));
        }
        at_ = given_;
        return pos;
    }

private:
    std::streambuf& source_;
    std::uint64_t size_;
    std::uint64_t failAfter_;
    std::uint64_t given_ = 0;
    std::uint64_t at_ = 0;
    std::uint64_t reads_ = 0;
    std::streamsize largest_ = 0;
};

} // namespace

class OdbcBlob : public ::testing::Test {
protected:
    void SetUp() override {
        if (!odbctest::driverRegistered(odbctest::kSqliteDriver)) {
            GTEST_SKIP() << "the SQLite ODBC driver (libsqliteodbc) is not installed";
        }
        c = db.connect();
        c->execute("CREATE TABLE FILES (ID INTEGER, GUID VARCHAR(8), DATA BLOB)");
        c->execute("INSERT INTO FILES (ID, GUID) VALUES (1, 'g1')");
        c->execute("INSERT INTO FILES (ID, GUID) VALUES (2, 'g2')");
        c->execute("INSERT INTO FILES (ID, GUID) VALUES (2, 'g2b')");
    }
    odbctest::SqliteDatabase db;
    std::unique_ptr<Connection> c;
};

TEST_F(OdbcBlob, KeyComparedByTheDatabaseAndRowsCounted) {
    const std::string bytes("\0\x01\xff binary \r\n", 13);
    struct Case {
        const char* keyColumn;
        const char* key;
        std::int64_t rows;
    };
    const Case cases[] = {
        {"ID", "1", 1}, {"ID", "2", 2}, {"ID", "3", 0}, {"GUID", "g2", 1}, {"GUID", "g", 0},
    };
    for (const Case& cs : cases) {
        std::istringstream in(bytes);
        EXPECT_EQ(c->writeBlob("FILES", "DATA", cs.keyColumn, cs.key, in), cs.rows)
            << cs.keyColumn << "=" << cs.key;
    }
    const auto q = c->query("SELECT GUID, DATA FROM FILES ORDER BY GUID");
    for (; !q->eof(); q->next()) {
        EXPECT_EQ(q->text("DATA"), bytes) << q->text("GUID");
    }
    std::istringstream empty("");
    ASSERT_EQ(c->writeBlob("FILES", "DATA", "ID", "1", empty), 1);
    EXPECT_EQ(scalar(*c, "SELECT LENGTH(DATA) FROM FILES WHERE ID = 1"), "0");
    std::istringstream in(bytes);
    EXPECT_THROW(c->writeBlob("FILES", "NO_SUCH", "ID", "1", in), DbError);
}

TEST_F(OdbcBlob, ASourceThatBreaksDownChangesNothing) {
    std::istringstream first("first value");
    ASSERT_EQ(c->writeBlob("FILES", "DATA", "ID", "1", first), 1);
    dbtest::RandomBytesBuf random(1024 * 1024, 7);
    WatchedBuf broken(random, 1024 * 1024, 200 * 1024);
    std::istream in(&broken);
    EXPECT_THROW(c->writeBlob("FILES", "DATA", "ID", "1", in), DbError);
    EXPECT_EQ(scalar(*c, "SELECT DATA FROM FILES WHERE ID = 1"), "first value");
    // The connection goes on.
    std::istringstream next("next");
    EXPECT_EQ(c->writeBlob("FILES", "DATA", "ID", "1", next), 1);
}

TEST_F(OdbcBlob, ALargeValueIsSentInSegments) {
    constexpr std::uint64_t size = 64ULL * 1024 * 1024;
    constexpr std::uint64_t seed = 20240229;
    dbtest::RandomBytesBuf random(size, seed);
    WatchedBuf watched(random, size);
    std::istream in(&watched);
    ASSERT_EQ(c->writeBlob("FILES", "DATA", "ID", "1", in), 1);
    // Never more than one segment is read from the source at a time.
    EXPECT_LE(watched.largestRead(), 64 * 1024);
    EXPECT_GE(watched.reads(), size / (64 * 1024));

    dbtest::RandomBytesStream expected(size, seed);
    const dbtest::Fnv1a want = dbtest::hashOfStream(expected);
    EXPECT_EQ(scalar(*c, "SELECT LENGTH(DATA) FROM FILES WHERE ID = 1"), std::to_string(size));
    const auto q = c->query("SELECT DATA FROM FILES WHERE ID = 1");
    dbtest::Fnv1a got;
    got.add(q->text(0));
    EXPECT_EQ(got.size(), want.size());
    EXPECT_EQ(got.hash(), want.hash());
}
