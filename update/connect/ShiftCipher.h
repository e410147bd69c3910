#pragma once

// The product's shift cipher: a running-key shift over the 224 byte values 32 to 255 of
// windows-1251 text. Mode 1 takes its key from entries 0 to 9 of the key table, mode 2 from
// entries 10 to 19.

#include "update/connect/ShiftKeyTable.h"

#include <string>
#include <string_view>

namespace update::connect {

// On windows-1251 bytes; the result has the same length. The mode is 1 or 2; any other mode
// throws std::invalid_argument.
std::string shiftEncodeBytes(std::string_view bytes, int mode, const ShiftKeyTable& table);
std::string shiftDecodeBytes(std::string_view bytes, int mode, const ShiftKeyTable& table);

// On UTF-8 text: converted to windows-1251, shifted, and the resulting bytes given back as
// UTF-8. Throws platform::text::TextError for text that windows-1251 cannot hold.
std::string ShiftEncode(std::string_view utf8, int mode, const ShiftKeyTable& table);
std::string ShiftDecode(std::string_view utf8, int mode, const ShiftKeyTable& table);

} // namespace update::connect
