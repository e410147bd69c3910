#include "platform/db/Values.h"

#include <charconv>
#include <cstdio>

namespace platform::db {

std::string formatScaled(std::int64_t value, int scale) {
    const bool negative = value < 0;
    // The magnitude as unsigned, so that the smallest 64-bit value has one too.
    const std::uint64_t magnitude =
        negative ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    if (scale < 0) {
        const auto decimals = static_cast<std::size_t>(-scale);
        if (digits.size() <= decimals) {
            digits.insert(0, decimals + 1 - digits.size(), '0');
        }
        digits.insert(digits.size() - decimals, 1, '.');
    } else {
        digits.append(static_cast<std::size_t>(scale), '0');
    }
    return negative ? "-" + digits : digits;
}

std::string formatDouble(double value) {
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

std::string formatFloat(float value) {
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

std::string formatDate(unsigned year, unsigned month, unsigned day) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02u", year, month, day);
    return buf;
}

std::string formatTime(unsigned hours, unsigned minutes, unsigned seconds) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02u:%02u:%02u", hours, minutes, seconds);
    return buf;
}

} // namespace platform::db
