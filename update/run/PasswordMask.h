#pragma once

// Hides passwords in command lines that go to the run log, which is saved to a file that others
// can read.

#include <string>
#include <string_view>

namespace update::run {

// The command line with the value of every argument named PASSWORD (letter case ignored) shown
// as ***. Arguments are split as the child's command line is: blanks and tabs outside double
// quotes separate them, a double quote opens or closes a quoted part, 2n backslashes before a
// quote stand for n backslashes and 2n + 1 for n backslashes and a literal quote. The forms
// PASSWORD=value, PASSWORD="value with blanks" and "PASSWORD=value with blanks" are found, and
// quotes stay balanced: PASSWORD="***", "PASSWORD=***". A value that holds a quote other than
// the enclosing ones (the argument line does not escape quotes in passwords, so a part of such
// a password may reach into the following arguments) is hidden up to the end of the line.
std::string maskPasswordArgument(std::string_view commandLine);

} // namespace update::run
