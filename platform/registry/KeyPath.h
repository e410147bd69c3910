#pragma once

// Key paths and root key names as the registry store writes and accepts them.

#include "platform/registry/RegTree.h"
#include "platform/registry/Registry.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform::registry {

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
std::string rootName(Root root);
// A root key by its long name or its short form ("HKLM", "HKCU"), ignoring case.
std::optional<Root> parseRootName(std::string_view name);

// What the product's registry holds at most: keys this many levels below a root, key names and
// value names of this many characters (counted as UTF-16 units, as that registry counts them).
inline constexpr std::size_t kMaxKeyDepth = 512;
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxValueNameLength = 16383;

// True when a key or value name can be kept in the store: valid UTF-8 without line breaks
// or zero bytes.
bool isValidName(std::string_view name);
// The length of a name of valid UTF-8 in UTF-16 units.
std::size_t nameLength(std::string_view name);

// Why a key path cannot be kept (too deep, a name too long), or an empty text when it can.
std::string keyPathProblem(const KeyPath& path);
// Why a value name cannot be kept (not a valid name, too long), or an empty text when it can.
std::string valueNameProblem(std::string_view name);

// The key names of a path below a root, split at backslashes; empty names (doubled, leading
// or trailing backslashes) are skipped. Nothing when the path is empty after trimming blanks,
// names no key at all, holds a name the store cannot keep or is beyond the limits above; then
// problem, when given, says why.
std::optional<KeyPath> splitKeyPath(std::string_view path, std::string* problem = nullptr);

// The key names joined with backslashes.
std::string joinKeyPath(const KeyPath& path);

} // namespace platform::registry
