#pragma once

// update-db: the database update of a release package run against one database, without the
// wizard. The package folder plays the program folder; the run state is filled as the login
// fills it; the version gating of updcfg.xml decides whether the database is updated.

#include "tools/update-db/Options.h"
#include "update/run/RunContext.h"

#include <ostream>
#include <string>

namespace tools::updatedb {

// Exit statuses.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoDatabase = 3;
inline constexpr int kExitNothingToRun = 4;

// The database type a connection string's provider stands for. Throws UsageError for a
// connection string without a known provider.
std::string databaseTypeOf(const std::string& connectionString);

// Why the version gating refuses the database, or the empty text when it lets it through:
// the reasons the update page appends to the caption "Обновление базы данных".
std::string refusalReason(const update::run::RunContext& context);

// The password from the file (a trailing line break removed), UPDATE_DB_PASSWORD or the
// connection string, and whether it came from the connection string.
struct Password {
    std::string value;
    bool fromConnectionString = false;
};
Password databasePassword(const Options& options);

// Runs the whole tool; err receives warnings and errors. Returns the exit status.
int runUpdateDb(const Options& options, update::run::Host& host, std::ostream& err);

} // namespace tools::updatedb
