#include "platform/db/FirebirdValues.h"

#include "platform/text/Text.h"

#include <charconv>
#include <cstdio>
#include <ibase.h>

namespace platform::db {

FirebirdCodec::FirebirdCodec(const std::string& charset) : charset_(text::asciiUpper(charset)) {
    if (charset_ == "WIN1251") {
        cp1251_ = true;
        charsetId_ = 52;
    } else if (charset_ == "UTF8" || charset_ == "UNICODE_FSS") {
        cp1251_ = false;
        charsetId_ = charset_ == "UTF8" ? 4 : 3;
    } else {
        throw DbError("the connection character set " + charset +
                      " is not supported (use WIN1251 or UTF8)");
    }
}

std::string FirebirdCodec::toDb(std::string_view utf8) const {
    if (!cp1251_) {
        return std::string(utf8);
    }
    try {
        return text::utf8ToCp1251(utf8);
    } catch (const text::TextError& e) {
        throw DbError(std::string("the text cannot be sent in the connection character set ") +
                      charset_ + ": " + e.what());
    }
}

std::string FirebirdCodec::fromDb(std::string_view bytes) const {
    return cp1251_ ? text::cp1251ToUtf8(bytes) : std::string(bytes);
}

ColumnKind firebirdColumnKind(unsigned sqlType, int scale, int subType) {
    switch (sqlType) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        return scale == 0 ? ColumnKind::Integer : ColumnKind::Numeric;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return ColumnKind::Numeric;
    case SQL_TEXT:
    case SQL_VARYING:
        return ColumnKind::Character;
    case SQL_BLOB:
        return subType == isc_blob_text ? ColumnKind::Character : ColumnKind::Other;
    default:
        return ColumnKind::Other;
    }
}

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
