#pragma once

// The product's shift cipher: a running-key shift over the 224 byte values 32 to 255 of
// windows-1251 text. Mode 1 takes its key from entries 0 to 9 of the key table, mode 2 from
// entries 10 to 19.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace update::connect {

using ShiftKeyTable = std::array<std::int32_t, 20>;

// The key table in force: the built-in one, or the site's replacement (see the README).
const ShiftKeyTable& shiftKeyTable();

// On windows-1251 bytes; the result has the same length.
std::string ShiftEncodeBytes(std::string_view bytes, int mode);
std::string ShiftDecodeBytes(std::string_view bytes, int mode);

// On UTF-8 text: converted to windows-1251, shifted, and the resulting bytes given back as
// UTF-8. Throws platform::text::TextError for text that windows-1251 cannot hold.
std::string ShiftEncode(std::string_view utf8, int mode);
std::string ShiftDecode(std::string_view utf8, int mode);

} // namespace update::connect
