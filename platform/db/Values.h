#pragma once

// Values as Query::text gives them, the same for every backend: numbers in the C locale, dates
// as YYYY-MM-DD, times as HH:MM:SS.

#include <cstdint>
#include <string>

namespace platform::db {

// An integer of the given scale as a decimal text. A negative scale gives that many decimals
// (1250, -2 gives "12.50"; 5, -3 gives "0.005"); a positive one appends zeros (12, 2 gives
// "1200").
std::string formatScaled(std::int64_t value, int scale);
// The shortest text that reads back as the same number ("42", "1.5", "1e+20").
std::string formatDouble(double value);
std::string formatFloat(float value);
std::string formatDate(unsigned year, unsigned month, unsigned day);
std::string formatTime(unsigned hours, unsigned minutes, unsigned seconds);

} // namespace platform::db
