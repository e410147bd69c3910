#pragma once

// An update script file: an XML document whose element SCRIPTS holds groups of statements,
// each group and statement under an optional execution condition.

#include "update/run/RunContext.h"

#include <string>

namespace update::engine {

// Runs the script file at path on a freshly opened connection of the run's type, logs its
// failures, moves the progress bar over CurrentItemShare (80 % for the statements, 20 % at the
// end for the BLOB filling), commits what is left open and fills the BLOB columns the groups
// asked for. True when nothing that counts as a failure happened. A connection that cannot be
// opened, or a catalogue query that fails, throws.
bool ExecuteScriptFile(run::RunContext& context, const std::string& path);

} // namespace update::engine
