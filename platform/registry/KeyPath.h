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

// True when a key or value name can be kept in the store: valid UTF-8 without line breaks
// or zero bytes.
bool isValidName(std::string_view name);

// The key names of a path below a root, split at backslashes; empty names (doubled, leading
// or trailing backslashes) are skipped. Nothing when the path is empty after trimming blanks,
// names no key at all, or holds a name the store cannot keep.
std::optional<KeyPath> splitKeyPath(std::string_view path);

// The key names joined with backslashes.
std::string joinKeyPath(const KeyPath& path);

} // namespace platform::registry
