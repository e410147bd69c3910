#include "platform/text/Text.h"

namespace platform::text {

bool decodeUtf8(std::string_view text, std::size_t& pos, char32_t& cp) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t len = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        cp = lead;
        ++pos;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        len = 2;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        len = 3;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        len = 4;
        value = lead & 0x07;
    } else {
        return false;
    }
    if (pos + len > text.size()) {
        return false;
    }
    for (std::size_t i = 1; i < len; ++i) {
        const auto c = static_cast<unsigned char>(text[pos + i]);
        if ((c & 0xC0) != 0x80) {
            return false;
        }
        value = (value << 6) | (c & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kMin[len] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return false;
    }
    cp = value;
    pos += len;
    return true;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool isValidUtf8(std::string_view text) {
    std::size_t pos = 0;
    char32_t cp = 0;
    while (pos < text.size()) {
        if (!decodeUtf8(text, pos, cp)) {
            return false;
        }
    }
    return true;
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace platform::text
