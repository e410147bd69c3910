#pragma once

// One statement of an update script file, sent whole and verbatim on the connection of the
// run's type.

#include "update/run/RunContext.h"

#include <string>

namespace update::engine {

inline constexpr const char* kUndefinedError = "неопределенная ошибка";

// Runs the statement. The text "COMMIT" in any letter case (nothing else around it) succeeds
// without reaching the database: the statement objects commit on their own. On failure returns
// false with the database's message in `error`; on success `error` is empty. A failure that
// leaves the connection closed is not a failure of the statement: that error leaves the
// function.
bool ExecuteStatement(run::RunContext& context, const std::string& text, std::string& error);

} // namespace update::engine
