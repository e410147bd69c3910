#include "update/connect/ShiftKeyTable.h"

#include "platform/os/File.h"
#include "platform/os/Os.h"
#include "platform/text/Text.h"

#include <system_error>

namespace update::connect {

namespace {

// Entries 0 to 9 key mode 1, entries 10 to 19 key mode 2. Texts enciphered by the product's
// other programs can be read only when they use the same values.
constexpr ShiftKeyTable kBuiltIn = {7,  19, 3,  28, 11, 24, 5,  16, 30, 9,
                                    14, 2,  27, 8,  21, 12, 31, 6,  18, 25};

[[noreturn]] void fail(const std::string& source, const std::string& problem) {
    throw ShiftKeyTableError("shift key table " + source + ": " + problem);
}

} // namespace

const ShiftKeyTable& builtInShiftKeyTable() {
    return kBuiltIn;
}

ShiftKeyTable parseShiftKeyTable(std::string_view text, const std::string& source) {
    ShiftKeyTable table{};
    std::size_t count = 0;
    std::size_t line = 1;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char ch = text[pos];
        if (ch == '#') {
            while (pos < text.size() && text[pos] != '\n') {
                ++pos;
            }
            continue;
        }
        if (ch == '\n') {
            ++line;
            ++pos;
            continue;
        }
        if (ch == ' ' || ch == '\t' || ch == '\r' || ch == ',' || ch == '\f' || ch == '\v') {
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        while (pos < text.size() &&
               std::string_view(" \t\r\n\f\v,#").find(text[pos]) == std::string_view::npos) {
            ++pos;
        }
        const std::string_view token = text.substr(start, pos - start);
        const auto value = platform::text::parseInt32(token);
        if (!value) {
            fail(source, "line " + std::to_string(line) + ": \"" + std::string(token) +
                             "\" is not an integer");
        }
        if (*value < 1 || *value > 31) {
            fail(source, "line " + std::to_string(line) + ": the value " + std::to_string(*value) +
                             " is outside 1 to 31");
        }
        if (count == table.size()) {
            fail(source, "holds more than 20 values; exactly 20 are needed");
        }
        table[count++] = *value;
    }
    if (count != table.size()) {
        fail(source, "holds " + std::to_string(count) + " values; exactly 20 are needed");
    }
    return table;
}

ShiftKeyTable readShiftKeyTableFile(const std::filesystem::path& file) {
    const std::string source = "\"" + file.string() + "\"";
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) {
        fail(source, "is a folder, not a file");
    }
    std::string text;
    try {
        text = platform::os::readWholeFile(file.string());
    } catch (const platform::os::FileError& e) {
        fail(source, std::string("cannot be read: ") + e.what());
    }
    return parseShiftKeyTable(text, source);
}

ShiftKeyTable loadShiftKeyTable() {
    const auto named = platform::os::environment("UPDATE_SHIFT_KEY_TABLE");
    if (named && !named->empty()) {
        return readShiftKeyTableFile(*named);
    }
    std::error_code ec;
    if (std::filesystem::exists(kSiteShiftKeyTableFile, ec)) {
        return readShiftKeyTableFile(kSiteShiftKeyTableFile);
    }
    if (ec && ec != std::errc::no_such_file_or_directory) {
        fail(std::string("\"") + kSiteShiftKeyTableFile + "\"",
             "cannot be examined: " + ec.message());
    }
    return kBuiltIn;
}

} // namespace update::connect
