#include "platform/db/firebird/FirebirdValues.h"

#include "platform/text/Text.h"

#include <ibase.h>

namespace platform::db::firebird {

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

} // namespace platform::db::firebird
