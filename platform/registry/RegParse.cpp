#include "platform/registry/KeyPath.h"
#include "platform/registry/RegFile.h"
#include "platform/text/Text.h"
#include "platform/text/Utf16.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <type_traits>

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

struct Line {
    std::string_view text;
    int number = 0;
};

// The lines of a text one by one, ended by CR LF, LF or CR; a text ending in a line break has
// an empty last line.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ > text_.size(); }

    Line next() {
        std::size_t end = text_.find_first_of("\r\n", pos_);
        if (end == std::string_view::npos) {
            end = text_.size();
        }
        const Line line{text_.substr(pos_, end - pos_), number_++};
        if (end < text_.size() && text_[end] == '\r' && end + 1 < text_.size() &&
            text_[end + 1] == '\n') {
            ++end;
        }
        pos_ = end + 1;
        return line;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int number_ = 1;
};

// Where the first character of text that is not UTF-8 starts; npos when there is none.
std::size_t firstInvalidUtf8(std::string_view text) {
    std::size_t pos = 0;
    char32_t cp = 0;
    while (pos < text.size()) {
        if (!text::decodeUtf8(text, pos, cp)) {
            return pos;
        }
    }
    return std::string_view::npos;
}

// The number of the line of text that holds the byte at pos.
int lineAt(std::string_view text, std::size_t pos) {
    LineReader lines(text);
    Line line;
    while (!lines.atEnd()) {
        line = lines.next();
        if (static_cast<std::size_t>(line.text.data() - text.data()) + line.text.size() >= pos) {
            break;
        }
    }
    return line.number;
}

// Where UTF-16LE bytes stop being whole UTF-16 text (an odd last byte, a surrogate without
// its partner), with the reason; npos when they are whole.
std::size_t firstInvalidUtf16(std::string_view bytes, std::string& why) {
    const auto unitAt = [&](std::size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    };
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size() && unitAt(i + 2) >= 0xDC00 &&
            unitAt(i + 2) <= 0xDFFF) {
            i += 2;
            continue;
        }
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            why = "a surrogate without its partner";
            return i;
        }
    }
    if (i < bytes.size()) {
        why = "an odd number of bytes";
        return i;
    }
    return std::string_view::npos;
}

// The first line that is not blank.
std::string_view firstLine(std::string_view text) {
    LineReader lines(text);
    while (!lines.atEnd()) {
        const std::string_view line = trimSpaces(lines.next().text);
        if (!line.empty()) {
            return line;
        }
    }
    return {};
}

// UTF-16LE text of a file to UTF-8; text that is not whole UTF-16 is refused with its line.
std::string decodeUtf16File(std::string_view bytes) {
    std::string why;
    const std::size_t bad = firstInvalidUtf16(bytes, why);
    if (bad == std::string_view::npos) {
        return text::utf16leToUtf8(bytes);
    }
    const std::string before = text::utf16leToUtf8(bytes.substr(0, bad));
    throw RegFormatError(lineAt(before, before.size()), "not UTF-16 text: " + why);
}

// The file's bytes as UTF-8 text, byte-order mark removed: a view of bytes, or of decoded
// when they had to be converted. A store file must be UTF-8; an import file may also be
// UTF-16 with a byte-order mark or, headed "REGEDIT4", windows-1251.
std::string_view decodeFile(std::string_view bytes, std::string& decoded, RegSource source) {
    const bool utf16le = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
    const bool utf16be = bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF';
    if ((utf16le || utf16be) && source == RegSource::StoreFile) {
        throw RegFormatError(1, "a registry store must be UTF-8 text, not UTF-16");
    }
    if (utf16le) {
        decoded = decodeUtf16File(bytes.substr(2));
        return decoded;
    }
    if (utf16be) {
        std::string swapped(bytes.substr(2));
        for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) {
            std::swap(swapped[i], swapped[i + 1]);
        }
        decoded = decodeUtf16File(swapped);
        return decoded;
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    if (text::isValidUtf8(bytes)) {
        return bytes;
    }
    const std::size_t bad = firstInvalidUtf8(bytes);
    const std::string_view header = firstLine(bytes);
    if (source == RegSource::StoreFile) {
        throw RegFormatError(lineAt(bytes, bad), "not UTF-8 text: a registry store must be UTF-8");
    }
    if (header == kHeader4) {
        decoded = text::cp1251ToUtf8(bytes);
        return decoded;
    }
    if (header == kHeader5) {
        throw RegFormatError(lineAt(bytes, bad),
                             "not UTF-8 text: a file headed \"" + std::string(kHeader5) +
                                 "\" is UTF-8 or UTF-16; only a \"" + std::string(kHeader4) +
                                 "\" file may be in windows-1251");
    }
    return bytes; // not a registry file at all: the header says so
}

class Parser {
public:
    // text must outlive the parser; each section goes to sink once it is complete.
    Parser(std::string_view text, RegSource source, const std::function<void(RegSection&&)>& sink)
        : lines_(text), source_(source), sink_(sink) {}

    void run() {
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
        flush();
    }

private:
    void flush() {
        if (inSection_) {
            sink_(std::move(current_));
            inSection_ = false;
        }
    }

    [[noreturn]] void fail(const std::string& message) const {
        throw RegFormatError(lineNumber_, message);
    }

    void readHeader() {
        while (!lines_.atEnd()) {
            const Line l = lines_.next();
            const std::string_view t = trimSpaces(l.text);
            if (t.empty()) {
                continue;
            }
            lineNumber_ = l.number;
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
        while (!lines_.atEnd()) {
            const Line l = lines_.next();
            std::string_view t = trimSpaces(l.text);
            if (t.empty() || t.front() == ';') {
                continue;
            }
            lineNumber_ = l.number;
            line_ = t;
            if (line_.back() != '\\' || lines_.atEnd()) {
                return true;
            }
            joined_ = t;
            while (!joined_.empty() && joined_.back() == '\\' && !lines_.atEnd()) {
                joined_.pop_back();
                joined_ += trimSpaces(lines_.next().text);
            }
            line_ = joined_;
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
        if (const std::string problem = keyPathProblem(section.path); !problem.empty()) {
            fail("invalid key: " + problem);
        }
        flush();
        // The list of values keeps the room it had, unless the sink took it.
        std::vector<RegValueEntry> values = std::move(current_.values);
        values.clear();
        current_ = std::move(section);
        current_.values = std::move(values);
        inSection_ = true;
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
        if (!inSection_) {
            fail("a value before the first key line");
        }
        RegSection& section = current_;
        RegValueEntry entry;
        std::size_t pos = 0;
        if (line_.front() == '@') {
            pos = 1;
        } else {
            entry.name = quoted(pos);
            if (nameLength(entry.name) > kMaxValueNameLength) {
                fail("invalid value name: " + valueNameProblem(entry.name));
            }
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
            entry.data = quoted(p);
            entry.data += '\0';
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
                entry.data = textData(entry.type, entry.data);
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

    // Text data of a hex(n) value as UTF-8. Data that is not whole text in the file's
    // encoding is refused: it has no UTF-8 form that gives the same bytes back.
    std::string textData(std::uint32_t type, const std::string& bytes) const {
        const std::string what = "the data of a hex(" + hexText(type) + ") value ";
        if (unicode_) {
            std::string why;
            if (firstInvalidUtf16(bytes, why) != std::string_view::npos) {
                fail(what + "is not UTF-16 text: " + why);
            }
            return text::utf16leToUtf8(bytes);
        }
        if (text::isValidUtf8(bytes)) {
            return bytes;
        }
        if (source_ == RegSource::StoreFile) {
            fail(what + "is not UTF-8 text: a registry store must be UTF-8");
        }
        return text::cp1251ToUtf8(bytes);
    }

    static std::string hexText(std::uint32_t n) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%x", n);
        return buffer;
    }

    LineReader lines_;
    std::string_view line_; // the current logical line: in the text, or joined_
    std::string joined_;
    int lineNumber_ = 1;
    bool unicode_ = true;
    RegSource source_;
    const std::function<void(RegSection&&)>& sink_;
    RegSection current_;
    bool inSection_ = false;
};

} // namespace

void parseRegText(std::string_view bytes, const std::function<void(RegSection&&)>& sink,
                  RegSource source) {
    std::string decoded;
    Parser(decodeFile(bytes, decoded, source), source, sink).run();
}

RegScript parseRegText(std::string_view bytes, RegSource source) {
    RegScript script;
    parseRegText(
        bytes, [&](RegSection&& section) { script.sections.push_back(std::move(section)); },
        source);
    return script;
}

namespace {

template <class Section> void applySection(Section& section, RegKey& top) {
    if (section.remove) {
        top.remove(section.path);
        return;
    }
    RegKey& key = top.create(section.path);
    for (auto& value : section.values) {
        if (value.remove) {
            key.removeValue(value.name);
        } else if constexpr (std::is_const_v<Section>) {
            key.setValue(value.name, value.type, value.data);
        } else {
            key.setValue(value.name, value.type, std::move(value.data));
        }
    }
}

template <class Script> void applySections(Script& script, Root root, RegKey& top) {
    for (auto& section : script.sections) {
        if (section.root != root) {
            continue;
        }
        applySection(section, top);
    }
}

} // namespace

void applyScript(const RegScript& script, Root root, RegKey& top) {
    applySections(script, root, top);
}

void applyScript(RegScript&& script, Root root, RegKey& top) {
    applySections(script, root, top);
}

void applySection(RegSection&& section, RegKey& top) {
    applySection<RegSection>(section, top);
}

} // namespace platform::registry
