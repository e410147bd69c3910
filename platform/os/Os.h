#pragma once

// Folders, files and the environment of the running program.

#include <optional>
#include <string>

namespace platform::os {

// The folder of the running executable, with a trailing '/'.
std::string programFolder();
// The value of an environment variable, or nothing when it is not set.
std::optional<std::string> environment(const std::string& name);
// The folder given a trailing '/' unless it has one (the empty text gives "/").
std::string withTrailingDelimiter(std::string folder);
// Backslashes of a file name from a release package turned into '/'.
std::string nativePath(std::string path);
// A regular file, or a symbolic link that leads to one (folders and devices are not files).
bool fileExists(const std::string& path);

} // namespace platform::os
