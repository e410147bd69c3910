#include "platform/registry/Utf16.h"

#include "platform/text/Text.h"

namespace platform::registry {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUnit(std::string& out, char32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>((unit >> 8) & 0xFF));
}

// One character of UTF-8 at pos; pos advances past it, or by one byte for an invalid
// sequence, which gives U+FFFD.
char32_t nextUtf8(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t len = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
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
        ++pos;
        return kReplacement;
    }
    if (pos + len > text.size()) {
        ++pos;
        return kReplacement;
    }
    for (std::size_t i = 1; i < len; ++i) {
        const auto c = static_cast<unsigned char>(text[pos + i]);
        if ((c & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        value = (value << 6) | (c & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kMin[len] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += len;
    return value;
}

} // namespace

std::string utf16leToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    const std::size_t units = bytes.size() / 2;
    auto unitAt = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    };
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            const char32_t low = unitAt(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                platform::text::appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        platform::text::appendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? kReplacement : unit);
    }
    if (bytes.size() % 2 != 0) {
        platform::text::appendUtf8(out, kReplacement);
    }
    return out;
}

std::string utf8ToUtf16le(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() * 2);
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = nextUtf8(utf8, pos);
        if (cp >= 0x10000) {
            appendUnit(out, 0xD800 + ((cp - 0x10000) >> 10));
            appendUnit(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            appendUnit(out, cp);
        }
    }
    return out;
}

} // namespace platform::registry
