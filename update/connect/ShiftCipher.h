#pragma once

// The product's shift cipher: a running-key shift over the 224 byte values 32 to 255 of
// windows-1251 text. Mode 1 takes its key from entries 0 to 9 of the key table, mode 2 from
// entries 10 to 19.

#include <array>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace update::connect {

using ShiftKeyTable = std::array<std::int32_t, 20>;

// A site's replacement key table that cannot be used: unreadable, not exactly 20 integers, or a
// value outside 1 to 31. The message names the file and the problem.
class ShiftKeyTableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The table built into the program.
const ShiftKeyTable& builtInShiftKeyTable();

// Where a site puts its replacement table when UPDATE_SHIFT_KEY_TABLE is not set.
inline constexpr const char* kSiteShiftKeyTableFile = "/etc/korvel/shift-key-table";

// The key table in force: the file named by UPDATE_SHIFT_KEY_TABLE when that variable is set
// and not empty, else kSiteShiftKeyTableFile when it exists, else the built-in one. Read once per
// process. Throws ShiftKeyTableError for a replacement that cannot be used; there is no silent
// fall-back to the built-in table.
const ShiftKeyTable& shiftKeyTable();

// Forgets the table read so far; the next shiftKeyTable() looks for a replacement again.
void reloadShiftKeyTable();

// Reads a key table file: 20 integers from 1 to 31, separated by blanks, line breaks or commas;
// "#" starts a comment that runs to the end of the line. Throws ShiftKeyTableError.
ShiftKeyTable readShiftKeyTableFile(const std::filesystem::path& file);
// The same rules on a text; source names the text in messages.
ShiftKeyTable parseShiftKeyTable(std::string_view text, const std::string& source);

// On windows-1251 bytes; the result has the same length. The mode is 1 or 2; any other mode
// throws std::invalid_argument.
std::string ShiftEncodeBytes(std::string_view bytes, int mode);
std::string ShiftDecodeBytes(std::string_view bytes, int mode);
std::string ShiftEncodeBytes(std::string_view bytes, int mode, const ShiftKeyTable& table);
std::string ShiftDecodeBytes(std::string_view bytes, int mode, const ShiftKeyTable& table);

// On UTF-8 text: converted to windows-1251, shifted, and the resulting bytes given back as
// UTF-8. Throws platform::text::TextError for text that windows-1251 cannot hold.
std::string ShiftEncode(std::string_view utf8, int mode);
std::string ShiftDecode(std::string_view utf8, int mode);

} // namespace update::connect
