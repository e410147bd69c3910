#pragma once

// A product database in the old lookup-form layout, made with the embedded Firebird engine in
// a temporary folder, and the helpers the conversion tests read it back with.

#include "platform/db/Connection.h"
#include "tests/support/TempDir.h"

#include <memory>
#include <string>
#include <vector>

namespace varnextest {

// The connection string of the product for a Firebird database file of the tests.
std::string sysdbaConnectionString(const std::string& path);

class LookupFormsDatabase {
public:
    // An empty database with REG_LOK7, REG_LOK_STR, REG_LOK12 and REG_LOK13.
    LookupFormsDatabase();

    const std::string& connectionString() const { return connectionString_; }
    std::unique_ptr<platform::db::Connection> open() const;

    // Runs statements, each committing on its own.
    void run(const std::vector<std::string>& statements) const;

    // Two forms: LOK_CITY (integer, floating, text, date and null values, Cyrillic, an
    // apostrophe, a trigger, a table CITY_REF that references it, parameters and results) and
    // LOK_UNIT (an apostrophe in a caption and a value).
    void addSampleForms() const;

    // The rows of a query, the values of a row joined by "|", a null as "<null>".
    std::vector<std::string> rows(const std::string& sql) const;
    bool hasTable(const std::string& name) const;
    // Names of the triggers of a table (Firebird catalogue).
    std::vector<std::string> triggersOf(const std::string& table) const;

private:
    testsupport::TempDir dir_;
    std::string path_;
    std::string connectionString_;
};

} // namespace varnextest
