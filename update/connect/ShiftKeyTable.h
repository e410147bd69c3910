#pragma once

// The key table of the shift cipher: 20 integers from 1 to 31. Entries 0 to 9 key mode 1,
// entries 10 to 19 key mode 2. The program has one built in; a site replaces it with a file of
// its own. A program loads the table once when it starts (the run keeps it in its RunContext)
// and hands it to the cipher; nothing here keeps a table between calls.

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

// The table of this site: the file named by UPDATE_SHIFT_KEY_TABLE when that variable is set
// and not empty, else kSiteShiftKeyTableFile when it exists, else the built-in one. Reads the
// file on every call. Throws ShiftKeyTableError for a replacement that cannot be used; there is
// no silent fall-back to the built-in table.
ShiftKeyTable loadShiftKeyTable();

// Reads a key table file: 20 integers from 1 to 31, separated by blanks, line breaks or commas;
// "#" starts a comment that runs to the end of the line. Throws ShiftKeyTableError.
ShiftKeyTable readShiftKeyTableFile(const std::filesystem::path& file);
// The same rules on a text; source names the text in messages.
ShiftKeyTable parseShiftKeyTable(std::string_view text, const std::string& source);

} // namespace update::connect
