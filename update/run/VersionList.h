#pragma once

// Whether the database's version is one from which this release updates.

#include <string_view>

namespace update::run {

// True when version followed by ";" occurs anywhere in versionList (StartDbVersions, which
// ends with ";"). Blanks after a separator do not matter ("4.0; 4.1;" holds 4.1), and a version
// also matches as the tail of a longer one ("11.0;" holds 1.0).
bool versionInList(std::string_view version, std::string_view versionList);

} // namespace update::run
