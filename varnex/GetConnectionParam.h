#pragma once

#include <string>

namespace varnex {

// The value of one key of a connection string: the key is found as a plain substring, letter
// case ignored; the value runs from the first "=" after it to the next ";" and is trimmed of
// blanks. A key without "=" after it, or a value without a closing ";", gives the empty text.
std::string GetConnectionParam(const std::string& s, const std::string& key);

} // namespace varnex
