#pragma once

// A read-only ini file in the manner of the Windows profile functions:
//
// - "[section]" lines open a section; "key=value" lines belong to the last section opened and
//   are ignored before the first one; lines starting with ";" and lines without "=" are
//   ignored; a key is split from its value at the first "=".
// - Blanks and control characters around section names, keys and values are removed. A value
//   enclosed in one pair of double or single quotes loses that pair; otherwise it is taken as
//   written (a ";" inside a value is part of it).
// - Section and key names are matched ignoring the locale's letter case (ASCII and Cyrillic).
// - When a section name occurs twice only the first section is searched; when a key occurs
//   twice in it the first one counts.
// - Lines end with LF, CR LF or a lone CR; a UTF-8 byte-order mark at the start is skipped.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform::text {

// An ini file that cannot be read; the message names the file and the reason.
class IniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IniFile {
public:
    // Reads a file. Its bytes are taken as UTF-8 when they are valid UTF-8, and as
    // windows-1251 (the product's own ini files) otherwise. Throws IniFileError when it
    // cannot be read.
    static IniFile load(const std::string& path);
    // Parses UTF-8 text.
    static IniFile parse(std::string_view text);

    // The value of the key, or nothing when the section or the key is absent.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The value, or def when the section or the key is absent.
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    // The value as a 32-bit integer: decimal with an optional sign, or hexadecimal written
    // "0x..." or "$..." (up to 8 digits, taken as the 32 bits of the number). def when the key
    // is absent or its value is not such a number.
    std::int32_t readInteger(std::string_view section, std::string_view key,
                             std::int32_t def) const;
    // readInteger with def as 0 or 1, compared with 0: "1" and "-5" are true, "0" false, and
    // a value that is not a number gives def (so "TRUE" gives def).
    bool readBool(std::string_view section, std::string_view key, bool def) const;
    // True when a line opens this section (even if no key follows).
    bool hasSection(std::string_view section) const;

private:
    struct Entry {
        std::string upperKey;
        std::string value;
    };
    struct Section {
        std::string upperName;
        std::vector<Entry> entries;
    };
    const Section* findSection(std::string_view section) const;

    std::vector<Section> sections_;
};

} // namespace platform::text
