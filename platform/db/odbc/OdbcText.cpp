#include "platform/db/odbc/OdbcText.h"

#include "platform/db/Connection.h"
#include "platform/text/Text.h"
#include "platform/text/Utf16.h"

#include <bit>
#include <cstring>

namespace platform::db::odbc {

static_assert(sizeof(SQLWCHAR) == 2, "the driver manager must use 16-bit wide characters");
static_assert(std::endian::native == std::endian::little, "wide texts are copied as UTF-16LE");

WideString toWide(std::string_view utf8) {
    if (!text::isValidUtf8(utf8)) {
        throw DbError("a text for the database is not valid UTF-8");
    }
    const std::string bytes = text::utf8ToUtf16le(utf8);
    WideString wide(bytes.size() / 2, 0);
    std::memcpy(wide.data(), bytes.data(), wide.size() * 2);
    return wide;
}

std::string fromWide(const SQLWCHAR* text, std::size_t length) {
    if (length == 0) {
        return {};
    }
    std::string bytes(length * 2, '\0');
    std::memcpy(bytes.data(), text, bytes.size());
    return text::utf16leToUtf8(bytes);
}

} // namespace platform::db::odbc
