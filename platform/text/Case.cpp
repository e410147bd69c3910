#include "platform/text/Text.h"

namespace platform::text {

namespace {

char asciiUpperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
char asciiLowerChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Case pairs of every letter of windows-1251: Latin, the basic Cyrillic alphabet and the
// letters of the 0x400 block (Ё, Ђ, Є ...), and Ґ.
char32_t upperOf(char32_t cp) {
    if (cp >= U'a' && cp <= U'z') {
        return cp - 32;
    }
    if (cp >= 0x0430 && cp <= 0x044F) {
        return cp - 0x20;
    }
    if (cp >= 0x0450 && cp <= 0x045F) {
        return cp - 0x50;
    }
    if (cp == 0x0491) {
        return 0x0490;
    }
    return cp;
}

char32_t lowerOf(char32_t cp) {
    if (cp >= U'A' && cp <= U'Z') {
        return cp + 32;
    }
    if (cp >= 0x0410 && cp <= 0x042F) {
        return cp + 0x20;
    }
    if (cp >= 0x0400 && cp <= 0x040F) {
        return cp + 0x50;
    }
    if (cp == 0x0490) {
        return 0x0491;
    }
    return cp;
}

template <typename Map> std::string mapCodePoints(std::string_view text, Map map) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        char32_t cp = 0;
        if (!decodeUtf8(text, pos, cp)) {
            out.push_back(text[start]); // not UTF-8: kept as it is
            pos = start + 1;
            continue;
        }
        appendUtf8(out, map(cp));
    }
    return out;
}

} // namespace

std::string asciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = asciiUpperChar(c);
    }
    return out;
}

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = asciiLowerChar(c);
    }
    return out;
}

std::string localeUpper(std::string_view text) {
    return mapCodePoints(text, upperOf);
}
std::string localeLower(std::string_view text) {
    return mapCodePoints(text, lowerOf);
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiUpperChar(a[i]) != asciiUpperChar(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view::size_type findNoCase(std::string_view haystack, std::string_view needle,
                                       std::string_view::size_type from) {
    if (needle.size() > haystack.size()) {
        return std::string_view::npos;
    }
    for (std::size_t i = from; i + needle.size() <= haystack.size(); ++i) {
        if (equalsNoCase(haystack.substr(i, needle.size()), needle)) {
            return i;
        }
    }
    return std::string_view::npos;
}

} // namespace platform::text
