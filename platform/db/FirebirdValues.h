#pragma once

// Values of the Firebird client's messages as this layer shows them: texts converted between
// UTF-8 and the connection's character set, numbers in the C locale, dates as YYYY-MM-DD.

#include "platform/db/Connection.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::db {

// Conversion between the program's UTF-8 and the bytes of the connection's character set.
class FirebirdCodec {
public:
    // "WIN1251" converts to and from windows-1251; "UTF8" and "UNICODE_FSS" pass the bytes on.
    // Throws DbError for any other character set.
    explicit FirebirdCodec(const std::string& charset);

    const std::string& charset() const { return charset_; }
    // The engine's number of the character set (RDB$CHARACTER_SET_ID).
    unsigned charsetId() const { return charsetId_; }
    // Throws DbError naming the character that the connection's character set cannot hold.
    std::string toDb(std::string_view utf8) const;
    std::string fromDb(std::string_view bytes) const;

private:
    std::string charset_;
    bool cp1251_ = true;
    unsigned charsetId_ = 52;
};

// The kind of a column of the given SQL type (without the null flag), scale and sub-type.
ColumnKind firebirdColumnKind(unsigned sqlType, int scale, int subType);

// An integer of the given (zero or negative) scale as a decimal text: 1250, -2 gives "12.50".
std::string formatScaled(std::int64_t value, int scale);
// The shortest text that reads back as the same number ("42", "1.5", "1e+20").
std::string formatDouble(double value);
std::string formatFloat(float value);
std::string formatDate(unsigned year, unsigned month, unsigned day);
std::string formatTime(unsigned hours, unsigned minutes, unsigned seconds);

} // namespace platform::db
