// A separate process for the tests that must look at a process from outside: its peak memory
// while a large BLOB is written, or the embedded engine started by another user.
//
//   db_child write-blob DB SIZE SEED   writes SIZE pseudo-random bytes into BLOBS.DATA of the row
//                                      with ID 1; prints "rows=N growth_kib=K"
//   db_child create DB                 creates a database, a table and a row; prints "rows=N"

#include "platform/db/ConnectionString.h"
#include "tests/platform/db/RandomBytes.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <sys/resource.h>

namespace {

long peakKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::string connectionStringFor(const std::string& path) {
    return platform::db::firebirdConnectionString(path, "SYSDBA", "any password");
}

int writeBlob(const std::string& path, std::uint64_t size, std::uint64_t seed) {
    auto connection = platform::db::openConnection(connectionStringFor(path));
    dbtest::RandomBytesStream data(size, seed);
    const long before = peakKib();
    const auto rows = connection->writeBlob("BLOBS", "DATA", "ID", "1", data);
    const long after = peakKib();
    connection->close();
    std::printf("rows=%lld growth_kib=%ld\n", static_cast<long long>(rows), after - before);
    return 0;
}

int create(const std::string& path) {
    auto connection = platform::db::createFirebirdDatabase(connectionStringFor(path));
    connection->execute("CREATE TABLE T (NAME VARCHAR(20))");
    connection->execute("INSERT INTO T VALUES ('Справочник')");
    const auto q = connection->query("SELECT COUNT(*) FROM T WHERE NAME = 'Справочник'");
    std::printf("rows=%d\n", q->integer(0));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const std::string command = argc > 1 ? argv[1] : "";
        if (command == "write-blob" && argc == 5) {
            return writeBlob(argv[2], std::strtoull(argv[3], nullptr, 10),
                             std::strtoull(argv[4], nullptr, 10));
        }
        if (command == "create" && argc == 3) {
            return create(argv[2]);
        }
        std::fprintf(stderr, "usage: db_child write-blob DB SIZE SEED | create DB\n");
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
