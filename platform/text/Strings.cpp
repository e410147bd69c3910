#include "platform/text/Text.h"

#include <charconv>
#include <cmath>

namespace platform::text {

std::string trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string trimControls(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 0x20) {
        ++first;
    }
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 0x20) {
        --last;
    }
    return std::string(text.substr(first, last - first));
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
}

std::string sqlLiteral(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('\'');
    for (const char c : text) {
        if (c == '\'') {
            out.push_back('\'');
        }
        out.push_back(c);
    }
    out.push_back('\'');
    return out;
}

std::optional<std::int32_t> parseInt32(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > 2147483648LL) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT32_MAX || value < INT32_MIN) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::optional<double> parseDecimal(std::string_view text) {
    const std::string trimmed = trimBlanks(text);
    std::string number;
    number.reserve(trimmed.size());
    std::size_t i = 0;
    const auto digits = [&]() {
        const std::size_t from = i;
        while (i < trimmed.size() && trimmed[i] >= '0' && trimmed[i] <= '9') {
            number.push_back(trimmed[i++]);
        }
        return i - from;
    };
    if (i < trimmed.size() && (trimmed[i] == '+' || trimmed[i] == '-')) {
        if (trimmed[i] == '-') {
            number.push_back('-');
        }
        ++i;
    }
    std::size_t mantissa = digits();
    if (i < trimmed.size() && (trimmed[i] == '.' || trimmed[i] == ',')) {
        number.push_back('.');
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) {
        return std::nullopt;
    }
    if (i < trimmed.size() && (trimmed[i] == 'e' || trimmed[i] == 'E')) {
        number.push_back('e');
        ++i;
        if (i < trimmed.size() && (trimmed[i] == '+' || trimmed[i] == '-')) {
            number.push_back(trimmed[i++]);
        }
        if (digits() == 0) {
            return std::nullopt;
        }
    }
    if (i != trimmed.size()) {
        return std::nullopt;
    }
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc() || result.ptr != number.data() + number.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace platform::text
