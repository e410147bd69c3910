#pragma once

// The registry store: one file per root key (HKLM.reg, HKCU.reg) in the registry-export text
// format ("Windows Registry Editor Version 5.00", UTF-8). Key paths keep their backslashes and
// are matched ignoring case. The folder is $UPDATE_REGISTRY_DIR when set; otherwise HKLM.reg
// lies in /var/lib/korvel/registry/ and HKCU.reg in $XDG_CONFIG_HOME/korvel/registry/ (or
// ~/.config/korvel/registry/). Every write is atomic (temporary file, then rename) under a
// file lock.

#include <cstdint>
#include <string>

namespace platform::registry {

enum class Root { LocalMachine, CurrentUser };

// Result codes of the operations, as the product's registry reports them.
inline constexpr long kSuccess = 0;
inline constexpr long kFileNotFound = 2;
inline constexpr long kAccessDenied = 5;
inline constexpr long kInvalidData = 13;
inline constexpr long kMoreData = 234;

// The seven operations. Each returns 0 or an error code: 13 without touching the store when
// the key path is empty after trimming blanks, 13 for a value of the wrong type, 2 for a key or
// value that does not exist, 234 for a value longer than the 1024 bytes a read takes, 5 when
// the store cannot be read or written. Outputs are left unchanged on any failure.
long DeleteRegKey(Root root, const std::string& path);
bool RegKeyExists(Root root, const std::string& path);
long WriteRegString(Root root, const std::string& path, const std::string& name,
                    const std::string& text);
// Stores the bytes of text followed by one zero byte; an empty text stores a value of length 0.
long WriteRegBinary(Root root, const std::string& path, const std::string& name,
                    const std::string& text);
long ReadRegString(Root root, const std::string& path, const std::string& name, std::string& text);
long ReadRegInteger(Root root, const std::string& path, const std::string& name,
                    std::int32_t& value);
// The bytes read without the last one: the inverse of WriteRegBinary.
long ReadRegBinary(Root root, const std::string& path, const std::string& name, std::string& text);

// The folder of the store files, with a trailing '/'.
std::string storeFolder(Root root);
// Full path of the store file of a root.
std::string storeFile(Root root);

} // namespace platform::registry
