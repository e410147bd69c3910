#pragma once

// Values of the Firebird client's messages: texts converted between UTF-8 and the connection's
// character set, and the column kind of an SQL type. Numbers and dates get their texts from
// platform/db/Values.h.

#include "platform/db/Connection.h"

#include <string>
#include <string_view>

namespace platform::db::firebird {

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

} // namespace platform::db::firebird
