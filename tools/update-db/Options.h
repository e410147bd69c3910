#pragma once

// The command line of update-db.

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tools::updatedb {

// A command line that cannot be used; what() says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Options {
    bool help = false;
    bool version = false;
    std::string package;                     // --package DIR
    std::string connection;                  // --connection STRING
    std::optional<std::string> type;         // --type FIREBIRD|INTRBASE|MSSQL|ORACLE
    std::optional<std::string> user;         // --user NAME
    bool logCheckErrors = false;             // --log-check-errors
    std::optional<std::string> log;          // --log FILE
    std::optional<std::string> passwordFile; // --db-password-file FILE
};

// Reads the arguments (without the program name). Throws UsageError.
Options parseOptions(const std::vector<std::string>& arguments);

std::string usageText();

} // namespace tools::updatedb
