#include "platform/registry/KeyPath.h"
#include "platform/registry/RegFile.h"
#include "platform/text/Text.h"
#include "platform/text/Utf16.h"

#include <optional>

namespace platform::registry {

RegFormatError::RegFormatError(int line, const std::string& message)
    : std::runtime_error("line " + std::to_string(line) + ": " + message), line_(line) {}

bool RegScript::touches(Root root) const {
    for (const auto& section : sections) {
        if (section.root == root) {
            return true;
        }
    }
    return false;
}

namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimSpaces(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && text::equalsNoCase(s.substr(0, prefix.size()), prefix);
}

// The file's bytes as UTF-8 text, byte-order mark removed.
std::string decodeFile(std::string_view bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        return text::utf16leToUtf8(bytes.substr(2));
    }
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
        std::string swapped(bytes.substr(2));
        for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) {
            std::swap(swapped[i], swapped[i + 1]);
        }
        return text::utf16leToUtf8(swapped);
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    if (text::isValidUtf8(bytes)) {
        return std::string(bytes);
    }
    return text::cp1251ToUtf8(bytes);
}

class Parser {
public:
    explicit Parser(std::string text) : text_(std::move(text)), lines_(text::splitLines(text_)) {}

    RegScript run() {
        readHeader();
        while (nextLogicalLine()) {
            if (line_.front() == '[') {
                keyLine();
            } else if (line_.front() == '"' || line_.front() == '@') {
                valueLine();
            } else {
                fail("unrecognised line");
            }
        }
        return std::move(script_);
    }

private:
    [[noreturn]] void fail(const std::string& message) const {
        throw RegFormatError(lineNumber_, message);
    }

    void readHeader() {
        while (next_ < lines_.size()) {
            const std::string_view t = trimSpaces(lines_[next_++]);
            if (t.empty()) {
                continue;
            }
            lineNumber_ = static_cast<int>(next_);
            if (t == kHeader5) {
                unicode_ = true;
                return;
            }
            if (t == kHeader4) {
                unicode_ = false;
                return;
            }
            break;
        }
        fail(std::string("not a registry file: the first line must be \"") + std::string(kHeader5) +
             "\" or \"" + std::string(kHeader4) + "\"");
    }

    // The next line that is neither blank nor a comment, its continuation lines joined.
    bool nextLogicalLine() {
        while (next_ < lines_.size()) {
            const std::string_view t = trimSpaces(lines_[next_++]);
            if (t.empty() || t.front() == ';') {
                continue;
            }
            lineNumber_ = static_cast<int>(next_);
            line_ = std::string(t);
            while (!line_.empty() && line_.back() == '\\' && next_ < lines_.size()) {
                line_.pop_back();
                line_ += trimSpaces(lines_[next_++]);
            }
            return true;
        }
        return false;
    }

    void keyLine() {
        const std::size_t close = line_.rfind(']');
        if (close == std::string::npos ||
            !trimSpaces(std::string_view(line_).substr(close + 1)).empty()) {
            fail("a key line must end with ']'");
        }
        std::string_view inner = std::string_view(line_).substr(1, close - 1);
        RegSection section;
        section.line = lineNumber_;
        if (!inner.empty() && inner.front() == '-') {
            section.remove = true;
            inner.remove_prefix(1);
        }
        const std::size_t slash = inner.find('\\');
        const std::string_view rootText = inner.substr(0, slash);
        const std::optional<Root> root = parseRootName(rootText);
        if (!root) {
            fail("unsupported root key \"" + std::string(rootText) +
                 "\" (HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER are supported)");
        }
        section.root = *root;
        if (slash != std::string_view::npos) {
            std::size_t start = slash + 1;
            while (start <= inner.size()) {
                std::size_t end = inner.find('\\', start);
                if (end == std::string_view::npos) {
                    end = inner.size();
                }
                if (end > start) {
                    section.path.emplace_back(inner.substr(start, end - start));
                }
                start = end + 1;
            }
        }
        if (section.remove && section.path.empty()) {
            fail("a root key cannot be deleted");
        }
        script_.sections.push_back(std::move(section));
    }

    // A quoted text starting at pos (at the opening quote); pos ends after the closing quote.
    std::string quoted(std::size_t& pos) const {
        std::string out;
        ++pos;
        while (pos < line_.size()) {
            const char c = line_[pos];
            if (c == '"') {
                ++pos;
                return out;
            }
            if (c == '\\' && pos + 1 < line_.size() &&
                (line_[pos + 1] == '\\' || line_[pos + 1] == '"')) {
                out += line_[pos + 1];
                pos += 2;
                continue;
            }
            out += c;
            ++pos;
        }
        fail("a quoted text is not closed");
    }

    void valueLine() {
        if (script_.sections.empty()) {
            fail("a value before the first key line");
        }
        RegSection& section = script_.sections.back();
        RegValueEntry entry;
        std::size_t pos = 0;
        if (line_.front() == '@') {
            pos = 1;
        } else {
            entry.name = quoted(pos);
        }
        while (pos < line_.size() && isSpace(line_[pos])) {
            ++pos;
        }
        if (pos >= line_.size() || line_[pos] != '=') {
            fail("'=' expected after the value name");
        }
        ++pos;
        const std::string_view data = trimSpaces(std::string_view(line_).substr(pos));
        if (data == "-") {
            entry.remove = true;
        } else if (!data.empty() && data.front() == '"') {
            std::size_t p = pos;
            while (isSpace(line_[p])) {
                ++p;
            }
            entry.type = kRegSz;
            entry.data = quoted(p) + '\0';
            if (!trimSpaces(std::string_view(line_).substr(p)).empty()) {
                fail("unexpected text after the closing quote");
            }
        } else if (startsWithNoCase(data, "dword:")) {
            entry.type = kRegDword;
            entry.data = dword(data.substr(6));
        } else if (startsWithNoCase(data, "hex:")) {
            entry.type = kRegBinary;
            entry.data = hexBytes(data.substr(4));
        } else if (startsWithNoCase(data, "hex(")) {
            const std::size_t close = data.find("):");
            if (close == std::string_view::npos) {
                fail("hex(type): expected");
            }
            entry.type = hexNumber(data.substr(4, close - 4), 8);
            entry.data = hexBytes(data.substr(close + 2));
            if (isTextType(entry.type)) {
                entry.data = textData(entry.data);
            }
        } else {
            fail("unrecognised value data");
        }
        if (!section.remove) {
            if (section.path.empty()) {
                fail("a root key cannot hold values");
            }
            section.values.push_back(std::move(entry));
        }
    }

    std::uint32_t hexNumber(std::string_view digits, std::size_t maxDigits) const {
        if (digits.empty() || digits.size() > maxDigits) {
            fail("bad hexadecimal number \"" + std::string(digits) + "\"");
        }
        std::uint32_t value = 0;
        for (const char c : digits) {
            const int d = platform::text::hexDigitValue(c);
            if (d < 0) {
                fail("bad hexadecimal number \"" + std::string(digits) + "\"");
            }
            value = (value << 4) | static_cast<std::uint32_t>(d);
        }
        return value;
    }

    std::string dword(std::string_view digits) const {
        const std::uint32_t value = hexNumber(trimSpaces(digits), 8);
        std::string out(4, '\0');
        for (int i = 0; i < 4; ++i) {
            out[static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
        }
        return out;
    }

    std::string hexBytes(std::string_view list) const {
        std::string out;
        std::size_t start = 0;
        while (start < list.size()) {
            std::size_t end = list.find(',', start);
            if (end == std::string_view::npos) {
                end = list.size();
            }
            const std::string_view item = trimSpaces(list.substr(start, end - start));
            if (!item.empty()) {
                out += static_cast<char>(hexNumber(item, 2));
            } else if (end < list.size()) {
                fail("empty byte in a hex list");
            }
            start = end + 1;
        }
        return out;
    }

    // Text data of a hex(n) value as UTF-8.
    std::string textData(const std::string& bytes) const {
        if (unicode_) {
            return text::utf16leToUtf8(bytes);
        }
        return text::isValidUtf8(bytes) ? bytes : text::cp1251ToUtf8(bytes);
    }

    std::string text_; // the lines point into it
    std::vector<std::string_view> lines_;
    std::size_t next_ = 0;
    std::string line_;
    int lineNumber_ = 1;
    bool unicode_ = true;
    RegScript script_;
};

} // namespace

RegScript parseRegText(std::string_view bytes) {
    return Parser(decodeFile(bytes)).run();
}

void applyScript(const RegScript& script, Root root, RegKey& top) {
    for (const auto& section : script.sections) {
        if (section.root != root) {
            continue;
        }
        if (section.remove) {
            top.remove(section.path);
            continue;
        }
        RegKey& key = top.create(section.path);
        for (const auto& value : section.values) {
            if (value.remove) {
                key.removeValue(value.name);
            } else {
                key.setValue(value.name, value.type, value.data);
            }
        }
    }
}

} // namespace platform::registry
