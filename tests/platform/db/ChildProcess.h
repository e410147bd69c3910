#pragma once

// Runs the test helper program as a child process and collects what it printed.

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace dbtest {

struct ChildResult {
    int exitCode = -1;  // -1 when the child did not exit normally
    std::string output; // stdout and stderr together
};

struct ChildOptions {
    std::optional<uid_t> user;            // run as this user and group (needs root)
    std::vector<std::string> environment; // NAME=VALUE; empty: inherit ours
};

ChildResult runChild(const std::vector<std::string>& args, const ChildOptions& options = {});

// The path of the helper program db_child.
std::string childProgram();

} // namespace dbtest
