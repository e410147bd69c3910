#pragma once

// The run log saved as a file: its lines in UTF-8, each ended by CR LF.

#include <string>
#include <vector>

namespace update::console {

// Writes the lines to path, replacing the file ("-" writes to standard output). Throws
// std::runtime_error naming the file when it cannot be written.
void saveRunLog(const std::vector<std::string>& lines, const std::string& path);

} // namespace update::console
