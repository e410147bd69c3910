#include "varnex/GetConnectionParam.h"

#include "platform/text/Text.h"

namespace varnex {

namespace {

// The locale's upper case, provided it keeps every byte position (it does for ASCII and the
// Cyrillic letters); otherwise only the ASCII letters change.
std::string upperKeepingPositions(const std::string& text) {
    std::string upper = platform::text::localeUpper(text);
    if (upper.size() != text.size()) {
        upper = platform::text::asciiUpper(text);
    }
    return upper;
}

} // namespace

std::string GetConnectionParam(const std::string& s, const std::string& key) {
    std::string value = platform::text::trimBlanks(s);
    std::string upper = upperKeepingPositions(value);
    const std::string k = upperKeepingPositions(key);

    auto p = upper.find(k);
    if (p == std::string::npos) {
        return {};
    }
    value.erase(0, p + 1);
    upper.erase(0, p + 1);

    p = upper.find('=');
    if (p == std::string::npos) {
        return {};
    }
    value.erase(0, p + 1);
    upper.erase(0, p + 1);

    p = upper.find(';');
    if (p == std::string::npos) {
        return {};
    }
    return platform::text::trimBlanks(std::string_view(value).substr(0, p));
}

} // namespace varnex
