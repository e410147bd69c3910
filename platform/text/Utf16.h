#pragma once

// UTF-16LE: the encoding of the registry editor's export files and of the string values written
// as hex(1), hex(2) and hex(7) data in them.

#include <string>
#include <string_view>

namespace platform::text {

// UTF-16LE bytes to UTF-8. An unpaired surrogate or an odd last byte becomes U+FFFD: such
// data has no UTF-8 form.
std::string utf16leToUtf8(std::string_view bytes);
// UTF-8 to UTF-16LE bytes. A byte that is not part of a valid UTF-8 sequence becomes U+FFFD.
std::string utf8ToUtf16le(std::string_view utf8);

} // namespace platform::text
