#pragma once

// The commands of update-cipher, apart from the process around them.

#include <stdexcept>
#include <string>
#include <vector>

namespace tools::cipher {

// The command line is wrong: the message is shown with a pointer to --help (status 2).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A value on the command line cannot be used: not a stored form, or not a text (status 2).
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string cipherUsage();

// Runs a command line (without the program name) and returns its result line. Throws
// UsageError for a wrong command line, InputError for a value that cannot be read,
// platform::text::TextError for text that windows-1251 cannot hold,
// update::connect::ShiftKeyTableError for a site key table that cannot be used.
std::string runCipherCommand(const std::vector<std::string>& args);

} // namespace tools::cipher
