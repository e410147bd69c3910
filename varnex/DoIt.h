#pragma once

#include <cstdint>

namespace varnex {

// Result of a DoIt whose connection could not be opened; the error text is the database's
// message.
constexpr std::int32_t kConnectionFailed = -1;

// One complete conversion: opens the library's connection, runs the routine of the database
// type, ends the open transaction and closes the connection. Returns 0, 1 or -1. Never throws.
std::int32_t DoIt(const char* connectionString, const char* databaseType);

} // namespace varnex
