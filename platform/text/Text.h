#pragma once

// Text inside the program is UTF-8 in std::string. The product's stored formats use the
// windows-1251 code page; the conversions here are bijective (the undefined byte 0x98 maps to
// U+0098), so no byte is ever lost on a round trip.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform::text {

// Invalid UTF-8 or a character that windows-1251 cannot hold.
class TextError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// UTF-8 to windows-1251 bytes. Throws TextError on invalid UTF-8 or an unmappable character.
std::string utf8ToCp1251(std::string_view utf8);
// windows-1251 bytes to UTF-8. Never fails: every byte has a character.
std::string cp1251ToUtf8(std::string_view bytes);
// True when the text is well-formed UTF-8.
bool isValidUtf8(std::string_view text);
// Decodes the character at pos and moves pos past it; false (pos unchanged) for an invalid
// sequence: bad lead or continuation byte, overlong form, surrogate, beyond U+10FFFF.
bool decodeUtf8(std::string_view text, std::size_t& pos, char32_t& cp);
// Appends the UTF-8 form of a code point.
void appendUtf8(std::string& out, char32_t cp);
// The value of a hexadecimal digit (either letter case), -1 for any other character.
int hexDigitValue(char c);

// Only the ASCII letters change ("A to Z", "a to z").
std::string asciiUpper(std::string_view text);
std::string asciiLower(std::string_view text);
// The locale's case: ASCII and Cyrillic letters change (every Cyrillic letter of windows-1251).
// Bytes that are not valid UTF-8 pass through unchanged.
std::string localeUpper(std::string_view text);
std::string localeLower(std::string_view text);

// Removes blanks (the space character only) at both ends.
std::string trimBlanks(std::string_view text);
// Removes blanks and control characters (bytes 0x00 to 0x20) at both ends.
std::string trimControls(std::string_view text);

// The lines of a text as a multi-line text field shows them: CR LF, LF and a lone CR each end
// a line; n line breaks give n + 1 lines (the empty text gives one empty line). The views point
// into text.
std::vector<std::string_view> splitLines(std::string_view text);

// An SQL string literal: the text between single quotes, inner quotes doubled.
std::string sqlLiteral(std::string_view text);

// The whole text is one 32-bit integer: optional leading blanks, optional sign, decimal digits,
// within the 32-bit range.
std::optional<std::int32_t> parseInt32(std::string_view text);

// The whole text is one decimal number: blanks allowed at both ends, optional sign, digits with
// at most one decimal separator (a point or a comma, both accepted), optional exponent, no
// thousands separators; the value must be finite. Texts in the C locale and texts written with
// a decimal comma read the same.
std::optional<double> parseDecimal(std::string_view text);

// Position of the first occurrence of needle in haystack, ASCII letters compared without case.
std::string_view::size_type findNoCase(std::string_view haystack, std::string_view needle,
                                       std::string_view::size_type from = 0);
// ASCII letters compared without case.
bool equalsNoCase(std::string_view a, std::string_view b);

} // namespace platform::text
