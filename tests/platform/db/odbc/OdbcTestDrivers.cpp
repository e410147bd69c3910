#include "tests/platform/db/odbc/OdbcTestDrivers.h"

#include "platform/db/odbc/OdbcBackend.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace odbctest {

namespace {

struct Registry {
    testsupport::TempDir dir;
    std::set<std::string> drivers;

    Registry() {
        const std::filesystem::path folder = ODBC_DRIVER_DIR;
        const std::pair<const char*, const char*> known[] = {
            {kSqliteDriver, "libsqlite3odbc.so"},
            {kFreeTdsDriver, "libtdsodbc.so"},
            {kPostgresDriver, "psqlodbcw.so"},
        };
        std::string ini;
        for (const auto& [name, library] : known) {
            const auto path = folder / library;
            if (std::filesystem::exists(path)) {
                ini += std::string("[") + name + "]\nDriver=" + path.string() + "\n\n";
                drivers.insert(name);
            }
        }
        testsupport::writeFile(dir / "odbcinst.ini", ini);
        testsupport::writeFile(dir / "odbc.ini", "");
        setenv("ODBCSYSINI", dir.str().c_str(), 1);
        setenv("ODBCINSTINI", "odbcinst.ini", 1);
        setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);
        // The SQLite driver has only the 8-bit interface: the driver manager converts the wide
        // texts for it in the character set of the locale, and SQLite's 8-bit texts are UTF-8.
        std::setlocale(LC_CTYPE, "C.UTF-8");
    }
};

Registry& registry() {
    static Registry instance;
    return instance;
}

} // namespace

bool driverRegistered(const std::string& name) {
    return registry().drivers.count(name) > 0;
}

std::string driverString(const std::string& name, const std::string& items) {
    registry();
    return "DRIVER={" + name + "};" + items;
}

std::unique_ptr<platform::db::Connection> SqliteDatabase::connect() const {
    return platform::db::odbc::openOdbcString(
        driverString(kSqliteDriver, "Database=" + path_ + ";SyncPragma=OFF"),
        std::chrono::seconds(5));
}

std::string scalar(platform::db::Connection& c, const std::string& sql) {
    const auto q = c.query(sql);
    if (q->eof()) {
        return "<no row>";
    }
    return q->isNull(0) ? "<null>" : q->text(0);
}

} // namespace odbctest
