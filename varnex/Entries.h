#pragma once

// The error entries that the conversion appends to the error text, and the statement texts
// they carry.

#include <string>
#include <string_view>

namespace varnex {

// CR LF, "#" and the step's two-digit number.
std::string stepTag(int step);

// The text of an executed statement as the statement runner keeps it: each line followed by
// CR LF.
std::string runnerText(std::string_view sql);

// "\r\n\n", message, "\r\n", statement text, step tag (and the tag's suffix, if any).
void appendStatementEntry(const std::string& message, const std::string& statement, int step,
                          std::string_view suffix = {});
// "\r\n\n", message, step tag.
void appendShortEntry(const std::string& message, int step);
// message, "\r\nGetTableNames()".
void appendTableListingEntry(const std::string& message);
// "\r\n\n" and the text SafeDropTable returned.
void appendDropEntry(const std::string& dropText);
// "\r\r\n", message, "\r\nDoIt.".
void appendFinalEntry(const std::string& message);

} // namespace varnex
