#pragma once

// The commands of update-cipher, apart from the process around them.

#include <stdexcept>
#include <string>
#include <vector>

namespace tools::cipher {

// Bad input: the message is shown to the user and the program ends with status 1.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string cipherUsage();

// Runs a command line (without the program name) and returns its result line. Throws
// UsageError for bad input, platform::text::TextError for text that windows-1251 cannot hold,
// update::connect::ShiftKeyTableError for a site key table that cannot be used.
std::string runCipherCommand(const std::vector<std::string>& args);

} // namespace tools::cipher
