#pragma once

// Command lines of child programs, split into arguments by the quoting rules of the product's
// own platform, so that a sibling program receives the same arguments as it would there:
//
// - blanks and tabs outside double quotes separate arguments;
// - a double quote opens or closes a quoted part (the quote itself is not part of the
//   argument); "" inside a quoted part stands for one literal quote;
// - 2n backslashes before a quote stand for n backslashes (the quote then opens or closes a
//   quoted part), 2n + 1 backslashes for n backslashes and a literal quote;
// - backslashes not followed by a quote are literal.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::os {

// Told of each character of an argument as the program receives it: the character, the index in
// the line just after the text that produced it, and whether it stands inside a quoted part.
using ArgumentCharacterSink = std::function<void(char c, std::size_t endInLine, bool quoted)>;

// Reads the argument that starts at `begin` (which must not be a blank or tab) and returns the
// index in the line where it ends: the separating blank, or the end of the line. The argument's
// characters go to `sink`.
std::size_t scanCommandLineArgument(std::string_view line, std::size_t begin,
                                    const ArgumentCharacterSink& sink);

// The arguments of a command line. Blanks and tabs at either end give no argument; a quoted
// empty part ("") gives an empty argument.
std::vector<std::string> splitCommandLine(std::string_view line);

} // namespace platform::os
