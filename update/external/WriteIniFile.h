#pragma once

// The small settings file that the settings update writes for the configuration tool.

#include <string>
#include <string_view>

namespace update::external {

// The lines of the file: the content trimmed of blanks at both ends and cut at every ';'; each
// piece, untrimmed, is one line ended by CR LF. Adjacent separators give an empty line, a
// separator at the end no extra line, an empty content an empty file.
std::string iniFileText(std::string_view content);

// Writes iniFileText(content) as the file's whole new content (UTF-8), atomically: a reader
// sees the old file or the new one. A symbolic link is followed to its file; a replaced file
// keeps its mode. Returns true; a file that cannot be written throws std::runtime_error naming
// it and the system's reason.
bool WriteIniFile(const std::string& fileName, std::string_view content);

} // namespace update::external
