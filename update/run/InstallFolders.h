#pragma once

// The install folders of the two products, read from their keys under HKEY_LOCAL_MACHINE.
// Versions are compared as texts by character codes: "10.0" sorts before "3.0".

#include <string>

namespace update::run {

inline constexpr const char* kCatalexKey = "Software\\Korvel\\Catalex";
inline constexpr const char* kPlexarKey = "Software\\Korvel\\Plexar";

// The install folder of a product, with a trailing "/", or empty when the registry does not
// know it. With a version: "Directory" (a version sorting before "3.0") or "InstallPath" of
// the key productKey\version. Without one: the same with the product key's "CurrentVersion";
// when that is absent, "Directory" of the product key itself. The value is taken as a folder
// of this system, trimmed of blanks and control characters.
std::string installFolder(const std::string& productKey, const std::string& version);

std::string GetCatalexFolder(const std::string& version);
std::string GetPlexarFolder(const std::string& version);

// The Oracle home of the run: always empty.
std::string GetOracleHome();

// True when the version sorts before "3.0" by character codes (the empty version does).
bool isOldVersion(const std::string& version);

} // namespace update::run
