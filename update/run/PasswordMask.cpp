#include "update/run/PasswordMask.h"

#include "platform/os/CommandLine.h"
#include "platform/text/Text.h"

#include <optional>

namespace update::run {
namespace {

constexpr std::string_view kName = "PASSWORD=";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Where the value of a PASSWORD argument lies in the raw command line.
struct ValueSpan {
    std::size_t begin;  // raw index just after the '='
    std::size_t end;    // raw index where the argument ends
    bool quotedAtStart; // the '=' stands inside a quoted part
};

// Scans one argument starting at raw index `begin` (not a blank) as the child's splitter does.
// Returns the raw index where it ends; fills `password` when the argument is named PASSWORD.
std::size_t scanArgument(std::string_view line, std::size_t begin,
                         std::optional<ValueSpan>& password) {
    std::string decoded; // the first characters of the argument, as the child sees them
    std::optional<ValueSpan> found;
    const std::size_t end = platform::os::scanCommandLineArgument(
        line, begin, [&](char c, std::size_t endInLine, bool quoted) {
            if (decoded.size() < kName.size()) {
                decoded.push_back(c);
                if (decoded.size() == kName.size() &&
                    platform::text::equalsNoCase(decoded, kName)) {
                    found = ValueSpan{endInLine, 0, quoted};
                }
            }
        });
    if (found) {
        found->end = end;
        password = found;
    }
    return end;
}

// True when the value holds no quote but the ones that enclose it. Otherwise the password
// itself held a quote (the argument line does not escape quotes), and where the child's
// argument ends depends on the password: a part of it may stand in the next argument.
bool plainlyQuoted(std::string_view value, bool quotedAtStart) {
    if (!quotedAtStart && !value.empty() && value.front() == '"') {
        value.remove_prefix(1);
        quotedAtStart = true;
    }
    if (quotedAtStart && !value.empty() && value.back() == '"') {
        value.remove_suffix(1);
        if (!value.empty() && value.back() == '\\') {
            return false; // the closing quote would be read as an escaped one
        }
    }
    return value.find('"') == std::string_view::npos;
}

} // namespace

std::string maskPasswordArgument(std::string_view commandLine) {
    std::string result;
    std::size_t copied = 0;
    std::size_t i = 0;
    while (i < commandLine.size()) {
        if (isBlank(commandLine[i])) {
            ++i;
            continue;
        }
        std::optional<ValueSpan> password;
        i = scanArgument(commandLine, i, password);
        if (!password) {
            continue;
        }
        const std::string_view value =
            commandLine.substr(password->begin, password->end - password->begin);
        result.append(commandLine.substr(copied, password->begin - copied));
        const bool openQuote = !password->quotedAtStart && !value.empty() && value.front() == '"';
        result.append(openQuote ? "\"***" : "***");
        if (openQuote || password->quotedAtStart) {
            result.push_back('"');
        }
        if (!plainlyQuoted(value, password->quotedAtStart)) {
            // Hide everything up to the end of the line.
            copied = commandLine.size();
            break;
        }
        copied = password->end;
    }
    result.append(commandLine.substr(copied));
    return result;
}

} // namespace update::run
