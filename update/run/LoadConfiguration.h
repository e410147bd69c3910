#pragma once

// Loading the configuration at login: updcfg.xml beside the program, the system's folders, the
// registry entries of Catalex and Plexar and the database's current version.

#include "update/run/RunContext.h"

namespace update::run {

inline constexpr const char* kConfigFileName = "updcfg.xml";

// Fills the run record and replaces ConfigDocument. Called by the login once it has set the
// user, SQL account and RunConnectionString. Returns false, after an error box, when
// updcfg.xml is missing (box without owner) or cannot be loaded (box owned by the window; no
// document is kept then). A connection that cannot be opened for the version read throws
// platform::db::DbError: nothing after the version read happens then.
bool LoadConfiguration(RunContext& context);

} // namespace update::run
