#pragma once

// The lookup-form conversion routines, one per database dialect. Each works on the library's
// connection, appends error entries to the error text, reports progress and returns 0 or 1.

#include "platform/db/Connection.h"

#include <cstdint>

namespace varnex {

std::int32_t ConvertFirebird(platform::db::Connection& connection);
std::int32_t ConvertMSSQL(platform::db::Connection& connection);
std::int32_t ConvertOracle(platform::db::Connection& connection);

} // namespace varnex
