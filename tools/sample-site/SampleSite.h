#pragma once

// A small product database for trying the updater out and for tests: the login tables, the
// version history, the old layout of the lookup forms with two forms and their data tables,
// and a few data tables, filled with a believable sample.
//
// Users (LOGON_USER), their groups and what the groups may do:
//   ADMIN   password "admin"   groups "Администраторы" (default, privilege ADMINISTRATION)
//                              and "Конструкторы"; database account SYSDBA / masterkey
//   IVANOV  password "ivanov"  group "Конструкторы" (privileges VIEW and EDIT only)
//   GUEST   no password (NULL) no group
// Lookup forms (REG_LOK7): "Марки стали" with the data table LOK_STEEL and "Болты" with
// LOK_BOLTS; LOK_BOLTS.GRADE references LOK_STEEL, LOK_BOLTS has a trigger of its own, and
// REG_LOK12 has its key generator and trigger.

#include <functional>
#include <string>
#include <vector>

namespace tools::samplesite {

struct SampleOptions {
    // Whether the table BO_VERSION exists at all.
    bool withVersionTable = true;
    // The rows of BO_VERSION, oldest first, with the IDs 1, 2, ...; empty leaves the table
    // empty.
    std::vector<std::string> versions = {"4.1"};
    // Turns a plain password or database account into the value stored in LOGON_USER (PAROL,
    // USERNAMESQL, PASSWORDSQL). The default is the product's own cipher for the newest of the
    // versions: the RC4 digit text from "3.0.0" on, else the shift cipher in mode 1.
    std::function<std::string(const std::string&)> storePassword;
    // The database account the sample's administrator logs on to the database with.
    std::string sqlUser = "SYSDBA";
    std::string sqlPassword = "masterkey";
};

// Creates a new Firebird database file at path (it must not exist yet) holding the sample.
// Throws platform::db::DbError when the database cannot be made.
void createSampleDatabase(const std::string& path, const SampleOptions& options = {});

} // namespace tools::samplesite
