#pragma once

// The command line of update-reg.

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tools::reg {

// A command line that cannot be run; the message is followed by a hint to --help.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A command that fails; only the message is shown.
class ToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Arguments {
    bool help = false;
    std::string command;               // query, add, delete, import, export
    std::vector<std::string> operands; // KEY, FILE
    std::optional<std::string> value;  // --value NAME ("" for --default)
    std::optional<std::string> type;   // --type
    std::optional<std::string> data;   // --data
    bool recursive = false;            // --recursive
};

// Throws UsageError for an unknown command or option, an option the command does not take,
// a missing option argument or the wrong number of operands.
Arguments parseArguments(const std::vector<std::string>& args);

// The text of --help.
std::string usageText();

} // namespace tools::reg
