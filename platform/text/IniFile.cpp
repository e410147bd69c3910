#include "platform/text/IniFile.h"

#include "platform/os/File.h"
#include "platform/text/Text.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace platform::text {

namespace {

constexpr std::string_view utf8Bom = "\xEF\xBB\xBF";

std::string unquote(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// "0x1F", "$1F", "-0x10": up to 8 hexadecimal digits, the 32 bits of the result.
std::optional<std::int32_t> parseHex32(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    } else if (!text.empty() && text[0] == '$') {
        text.remove_prefix(1);
    } else {
        return std::nullopt;
    }
    if (text.empty() || text.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t bits = 0;
    for (const char c : text) {
        const int digit = hexDigitValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        bits = (bits << 4) | static_cast<std::uint32_t>(digit);
    }
    if (negative) {
        bits = 0u - bits;
    }
    return static_cast<std::int32_t>(bits);
}

IniFileError readError(const std::string& path, int error) {
    return IniFileError("Cannot read the ini file \"" + path + "\": " + std::strerror(error));
}

} // namespace

IniFile IniFile::load(const std::string& path) {
    std::string bytes;
    try {
        bytes = platform::os::readWholeFile(path);
    } catch (const platform::os::FileError& e) {
        throw readError(path, e.error());
    }
    std::string_view body(bytes);
    if (body.starts_with(utf8Bom)) {
        body.remove_prefix(utf8Bom.size());
    }
    if (isValidUtf8(body)) {
        return parse(body);
    }
    return parse(cp1251ToUtf8(body));
}

IniFile IniFile::parse(std::string_view text) {
    if (text.starts_with(utf8Bom)) {
        text.remove_prefix(utf8Bom.size());
    }
    IniFile ini;
    Section* current = nullptr;
    for (const std::string_view raw : splitLines(text)) {
        const std::string line = trimControls(raw);

        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            const auto close = line.find(']');
            if (close != std::string::npos) {
                ini.sections_.push_back(
                    Section{localeUpper(trimControls(line.substr(1, close - 1))), {}});
                current = &ini.sections_.back();
                continue;
            }
        }
        const auto equals = line.find('=');
        if (current == nullptr || equals == std::string::npos) {
            continue;
        }
        current->entries.push_back(Entry{localeUpper(trimControls(line.substr(0, equals))),
                                         unquote(trimControls(line.substr(equals + 1)))});
    }
    return ini;
}

const IniFile::Section* IniFile::findSection(std::string_view section) const {
    const std::string wanted = localeUpper(trimControls(section));
    for (const Section& s : sections_) {
        if (s.upperName == wanted) {
            return &s;
        }
    }
    return nullptr;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    const Section* s = findSection(section);
    if (s == nullptr) {
        return std::nullopt;
    }
    const std::string wanted = localeUpper(trimControls(key));
    for (const Entry& e : s->entries) {
        if (e.upperKey == wanted) {
            return e.value;
        }
    }
    return std::nullopt;
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view def) const {
    auto found = value(section, key);
    return found ? std::move(*found) : std::string(def);
}

std::int32_t IniFile::readInteger(std::string_view section, std::string_view key,
                                  std::int32_t def) const {
    const auto found = value(section, key);
    if (!found) {
        return def;
    }
    const std::string number = trimControls(*found);
    if (const auto decimal = parseInt32(number)) {
        return *decimal;
    }
    return parseHex32(number).value_or(def);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::hasSection(std::string_view section) const {
    return findSection(section) != nullptr;
}

} // namespace platform::text
