#include "tools/update-reg/ValueText.h"

#include "platform/registry/RegTree.h"
#include "platform/text/Text.h"
#include "tools/update-reg/Arguments.h"

#include <cstdio>

namespace tools::reg {

using namespace platform::registry;

namespace {

constexpr std::string_view kItemSeparator = "\\0";

std::string parseDword(const std::string& data) {
    const std::string bad = "bad REG_DWORD data '" + data +
                            "': give a number from 0 to 4294967295, decimal or 0x-hexadecimal";
    unsigned long long n = 0;
    std::size_t pos = 0;
    const bool hex = data.size() > 2 && data[0] == '0' && (data[1] == 'x' || data[1] == 'X');
    if (hex) {
        pos = 2;
    }
    if (pos >= data.size()) {
        throw ToolError(bad);
    }
    for (; pos < data.size(); ++pos) {
        const int d = hex ? platform::text::hexDigitValue(data[pos])
                          : (data[pos] >= '0' && data[pos] <= '9' ? data[pos] - '0' : -1);
        if (d < 0) {
            throw ToolError(bad);
        }
        n = n * (hex ? 16u : 10u) + static_cast<unsigned>(d);
        if (n > 0xFFFFFFFFull) {
            throw ToolError(bad);
        }
    }
    std::string out(4, '\0');
    for (std::size_t i = 0; i < 4; ++i) {
        out[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    }
    return out;
}

std::string parseBinary(const std::string& data) {
    const std::string bad = "bad REG_BINARY data '" + data +
                            "': give hex digits, two a byte, optionally separated by commas";
    std::string out;
    const bool commas = data.find(',') != std::string::npos;
    std::size_t pos = 0;
    while (pos < data.size()) {
        std::size_t end = commas ? data.find(',', pos) : pos + 2;
        if (end == std::string::npos || end > data.size()) {
            end = data.size();
        }
        const std::string item = data.substr(pos, end - pos);
        if (item.empty() || item.size() > 2 || (!commas && item.size() != 2)) {
            throw ToolError(bad);
        }
        int byte = 0;
        for (const char c : item) {
            const int d = platform::text::hexDigitValue(c);
            if (d < 0) {
                throw ToolError(bad);
            }
            byte = byte * 16 + d;
        }
        out += static_cast<char>(byte);
        pos = commas ? end + 1 : end;
        if (commas && end == data.size() - 1) {
            throw ToolError(bad); // a trailing comma
        }
    }
    return out;
}

std::string parseMultiString(const std::string& data) {
    std::string out;
    if (data.empty()) {
        return std::string(1, '\0');
    }
    std::size_t pos = 0;
    for (;;) {
        const std::size_t end = data.find(kItemSeparator, pos);
        const std::string item = data.substr(pos, end == std::string::npos ? end : end - pos);
        if (item.empty()) {
            throw ToolError("bad REG_MULTI_SZ data '" + data +
                            "': an empty item would end the list");
        }
        out += item;
        out += '\0';
        if (end == std::string::npos) {
            break;
        }
        pos = end + kItemSeparator.size();
    }
    out += '\0';
    return out;
}

std::uint32_t littleEndian(const std::string& data) {
    std::uint32_t n = 0;
    for (std::size_t i = 4; i-- > 0;) {
        n = (n << 8) | static_cast<unsigned char>(data[i]);
    }
    return n;
}

std::string hexText(const std::string& data) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : data) {
        const auto b = static_cast<unsigned char>(c);
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

} // namespace

std::string typeName(std::uint32_t type) {
    static const char* const kNames[] = {"REG_NONE",
                                         "REG_SZ",
                                         "REG_EXPAND_SZ",
                                         "REG_BINARY",
                                         "REG_DWORD",
                                         "REG_DWORD_BIG_ENDIAN",
                                         "REG_LINK",
                                         "REG_MULTI_SZ",
                                         "REG_RESOURCE_LIST",
                                         "REG_FULL_RESOURCE_DESCRIPTOR",
                                         "REG_RESOURCE_REQUIREMENTS_LIST",
                                         "REG_QWORD"};
    if (type < sizeof kNames / sizeof kNames[0]) {
        return kNames[type];
    }
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "REG_0x%X", type);
    return buffer;
}

std::uint32_t parseTypeName(const std::string& name) {
    const std::string upper = platform::text::asciiUpper(name);
    for (const std::uint32_t type : {kRegSz, kRegExpandSz, kRegMultiSz, kRegDword, kRegBinary}) {
        if (upper == typeName(type)) {
            return type;
        }
    }
    throw ToolError("unknown value type '" + name +
                    "': use REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD or REG_BINARY");
}

std::string parseData(std::uint32_t type, const std::string& data) {
    if (type == kRegDword) {
        return parseDword(data);
    }
    if (type == kRegBinary) {
        return parseBinary(data);
    }
    if (!platform::text::isValidUtf8(data)) {
        throw ToolError("the data of a " + typeName(type) + " value must be UTF-8 text");
    }
    if (type == kRegMultiSz) {
        return parseMultiString(data);
    }
    return data + '\0';
}

std::string showData(std::uint32_t type, const std::string& data) {
    if (isTextType(type)) {
        std::string text = data;
        if (!text.empty() && text.back() == '\0') {
            text.pop_back();
        }
        if (type != kRegMultiSz) {
            return text;
        }
        if (!text.empty() && text.back() == '\0') {
            text.pop_back();
        }
        std::string out;
        for (const char c : text) {
            if (c == '\0') {
                out += kItemSeparator;
            } else {
                out += c;
            }
        }
        return out;
    }
    char buffer[24];
    if (type == kRegDword && data.size() == 4) {
        std::snprintf(buffer, sizeof buffer, "0x%x", littleEndian(data));
        return buffer;
    }
    if (type == kRegDwordBigEndian && data.size() == 4) {
        const std::string swapped{data[3], data[2], data[1], data[0]};
        std::snprintf(buffer, sizeof buffer, "0x%x", littleEndian(swapped));
        return buffer;
    }
    return hexText(data);
}

} // namespace tools::reg
