#pragma once

// Decimal digit text: how enciphered bytes are kept in text columns of the database. Every
// byte becomes exactly three decimal digits with leading zeros.

#include <string>
#include <string_view>

namespace update::connect {

// n bytes give 3n digits; the empty string gives the empty text.
std::string BytesToDigits(std::string_view bytes);

// Reads the text three characters at a time (fewer in the last group) as decimal integers and
// keeps the low 8 bits of each. A group that is not an integer is skipped without a message.
std::string DigitsToBytes(std::string_view digits);

// True when the text is exactly what BytesToDigits writes: groups of three decimal digits,
// each at most 255.
bool isDigitText(std::string_view digits);

} // namespace update::connect
