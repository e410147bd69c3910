#include "platform/registry/KeyPath.h"
#include "platform/registry/RegFile.h"
#include "platform/text/Text.h"
#include "platform/text/Utf16.h"

#include <cstdio>

namespace platform::registry {
namespace {

// Lines of hex data are broken after this many characters, as the registry editor does.
constexpr std::size_t kHexLineWidth = 76;

std::string quote(std::string_view s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
    return out;
}

// A REG_SZ value can be written as a quoted text when its data is one line of UTF-8 with
// exactly one zero byte, at its end.
bool quotable(const std::string& data) {
    if (data.empty() || data.back() != '\0') {
        return false;
    }
    const std::string_view body(data.data(), data.size() - 1);
    return body.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos &&
           text::isValidUtf8(body);
}

void appendHex(std::string& out, std::string prefix, std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string line = std::move(prefix);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        line += kDigits[b >> 4];
        line += kDigits[b & 0x0F];
        if (i + 1 < bytes.size()) {
            line += ',';
            if (line.size() >= kHexLineWidth) {
                out += line;
                out += "\\\n";
                line = "  ";
            }
        }
    }
    out += line;
    out += '\n';
}

void appendValue(std::string& out, const RegValue& value) {
    std::string prefix = value.name.empty() ? "@" : quote(value.name);
    prefix += '=';
    if (value.type == kRegSz && quotable(value.data)) {
        out += prefix;
        out += quote(std::string_view(value.data).substr(0, value.data.size() - 1));
        out += '\n';
        return;
    }
    if (value.type == kRegDword && value.data.size() == 4) {
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i) {
            n = (n << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
        }
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", n);
        out += prefix;
        out += buffer;
        out += '\n';
        return;
    }
    if (value.type == kRegBinary) {
        appendHex(out, prefix + "hex:", value.data);
        return;
    }
    char type[24];
    std::snprintf(type, sizeof type, "hex(%x):", value.type);
    appendHex(out, prefix + type,
              isTextType(value.type) ? text::utf8ToUtf16le(value.data) : std::string(value.data));
}

void appendKey(std::string& out, std::string_view keyLine, const RegKey& key) {
    out += '[';
    out += keyLine;
    out += "]\n";
    for (const auto& value : key.values()) {
        appendValue(out, value);
    }
    out += '\n';
}

} // namespace

std::string formatRegText(Root root, const KeyPath& path, const RegKey& key) {
    std::string out = "Windows Registry Editor Version 5.00\n\n";
    std::string base = rootName(root);
    if (!path.empty()) {
        base += '\\';
        base += joinKeyPath(path);
    }
    std::string keyLine;
    visitKeys(key, [&](const KeyPath& below, const RegKey& found) {
        if (below.empty() && path.empty()) {
            return; // the root key itself has no section
        }
        keyLine = base;
        for (const auto& name : below) {
            keyLine += '\\';
            keyLine += name;
        }
        appendKey(out, keyLine, found);
    });
    return out;
}

} // namespace platform::registry
