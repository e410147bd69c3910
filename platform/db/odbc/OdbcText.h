#pragma once

// Texts between the program's UTF-8 and the wide-character (UTF-16) interface of ODBC, so that
// no driver's 8-bit code page stands between the program and the database.

#include <sql.h>
#include <string>
#include <string_view>

namespace platform::db::odbc {

using WideString = std::basic_string<SQLWCHAR>;

// UTF-8 to UTF-16. Throws DbError for bytes that are not UTF-8: such a text has no UTF-16 form,
// and dropping or replacing a character would change a statement or a value silently.
WideString toWide(std::string_view utf8);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string fromWide(const SQLWCHAR* text, std::size_t length);
inline std::string fromWide(const WideString& text) {
    return fromWide(text.data(), text.size());
}

} // namespace platform::db::odbc
