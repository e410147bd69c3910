#include "platform/os/CommandLine.h"

namespace platform::os {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::size_t scanCommandLineArgument(std::string_view line, std::size_t begin,
                                    const ArgumentCharacterSink& sink) {
    bool inQuote = false;
    std::size_t i = begin;
    while (i < line.size()) {
        const char c = line[i];
        if (!inQuote && isBlank(c)) {
            break;
        }
        if (c == '\\') {
            std::size_t n = 0;
            while (i + n < line.size() && line[i + n] == '\\') {
                ++n;
            }
            const bool beforeQuote = i + n < line.size() && line[i + n] == '"';
            const std::size_t kept = beforeQuote ? n / 2 : n;
            for (std::size_t k = 0; k < kept; ++k) {
                sink('\\', i + n, inQuote);
            }
            i += n;
            if (beforeQuote && n % 2 == 1) {
                ++i;
                sink('"', i, inQuote);
            }
            continue;
        }
        if (c == '"') {
            if (inQuote && i + 1 < line.size() && line[i + 1] == '"') {
                i += 2;
                sink('"', i, true);
                continue;
            }
            inQuote = !inQuote;
            ++i;
            continue;
        }
        ++i;
        sink(c, i, inQuote);
    }
    return i;
}

std::vector<std::string> splitCommandLine(std::string_view line) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (i < line.size()) {
        if (isBlank(line[i])) {
            ++i;
            continue;
        }
        std::string argument;
        i = scanCommandLineArgument(line, i,
                                    [&](char c, std::size_t, bool) { argument.push_back(c); });
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

} // namespace platform::os
