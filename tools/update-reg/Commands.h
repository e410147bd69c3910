#pragma once

// The commands of update-reg. Each writes its output to out and throws ToolError (or
// platform::registry::StoreError) on failure.

#include "tools/update-reg/Arguments.h"

#include <ostream>

namespace tools::reg {

void runCommand(const Arguments& args, std::ostream& out);

} // namespace tools::reg
