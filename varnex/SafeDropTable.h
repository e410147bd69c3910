#pragma once

#include "platform/db/Connection.h"

#include <string>

namespace varnex {

// Drops a table together with the foreign keys from and to it and the triggers listed (names
// each followed by a line break). With stop set, the first trigger that cannot be dropped ends
// the drop. Never fails: the result is empty when every statement succeeded, otherwise the
// failure message, a "SafeDropTable/#NN" mark and the statement that failed.
std::string SafeDropTable(platform::db::Connection& connection, const std::string& table,
                          const std::string& triggers, bool stop);

} // namespace varnex
