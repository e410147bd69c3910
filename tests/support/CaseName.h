#pragma once

// Names of the cases of parameterised tests, which may hold only letters, digits and "_".

#include <charconv>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>

namespace testsupport {

// The text with a sign spelled out ("Minus", "Plus") and any other character that is neither
// a letter nor a digit as "_".
inline std::string caseName(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            out += c;
        } else if (c == '-') {
            out += "Minus";
        } else if (c == '+') {
            out += "Plus";
        } else {
            out += '_';
        }
    }
    return out;
}

// A number in its shortest form, as a name ("2_5", "Minus1e_300"... "inf", "nan").
template <class Number> std::string caseName(Number n) requires std::is_arithmetic_v<Number> {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, n);
    return caseName(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

} // namespace testsupport
