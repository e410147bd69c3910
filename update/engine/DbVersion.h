#pragma once

// The version a database update produced, recorded as a new row of BO_VERSION.

#include "update/run/RunContext.h"

namespace update::engine {

// Appends the row (NextVersionId, ResultDbVersion, UserName, the server's time, NULL) after
// opening the connection of the run's type when it is closed. True when recorded, or when
// AlwaysUpdateDb leaves nothing to record; false after a run log entry when the insert fails.
// A connection that cannot be opened throws.
bool WriteDbVersion(run::RunContext& context);

} // namespace update::engine
