#pragma once

// Starting a sibling program of the two products and waiting for its end while the messages
// it sends are processed.

#include "update/run/RunContext.h"

#include <string>

namespace update::external {

// The longest single wait for the child between two rounds of message processing.
inline constexpr int kChildWaitStepMs = 500;

// Starts `program` with the command line `"program" arguments`, whose arguments are split as
// the product's platform splits command lines (platform/os/CommandLine.h). The child works in
// the program's folder when that folder exists, else in the current folder, and gets this
// program's environment. Until it ends, pending messages are processed at least every 500 ms
// and once more after its end, so that a report sent just before the end is still handled.
// A program that cannot be started gives a run log entry (source: the program and its
// arguments with the password hidden; error: the system's text for the failure) and false.
// True once a started program has ended; its exit status is not looked at.
bool RunChildProgram(update::run::RunContext& context, const std::string& program,
                     const std::string& arguments);

} // namespace update::external
