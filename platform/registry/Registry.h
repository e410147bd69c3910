#pragma once

// The registry store: one file per root key (HKLM.reg, HKCU.reg) in the registry-export text
// format ("Windows Registry Editor Version 5.00", UTF-8). Key paths keep their backslashes and
// are matched ignoring case. The folder is $UPDATE_REGISTRY_DIR when set; otherwise HKLM.reg
// lies in /var/lib/korvel/registry/ and HKCU.reg in $XDG_CONFIG_HOME/korvel/registry/ (or
// ~/.config/korvel/registry/). Every write is atomic (temporary file, then rename) under a
// file lock.

#include <cstdint>
#include <optional>
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
//
// A key path is split at backslashes, empty names skipped; a path that names no key (only
// backslashes) or holds a line break, a zero byte or invalid UTF-8 gives 13; so does a write
// of a value whose name holds those, or of a REG_SZ text that is not UTF-8. Key and value names are
// matched ignoring case (ASCII and Cyrillic letters). A store file that is malformed (not in
// the registry-export format, not UTF-8, beyond the limits of key depth and name length) is
// never overwritten: every operation on its root gives 5 until it is mended, and RegKeyExists
// gives false, as for a key that does not exist. A store whose lock another process holds for
// longer than $UPDATE_REGISTRY_LOCK_TIMEOUT seconds (30 when unset) gives 5 too. A caller that must
// not take a refused store for an empty one asks storeProblem first. Text values are UTF-8; a
// REG_SZ value's 1024 bytes include its terminating zero and are counted in windows-1251 bytes
// where the text can be written in windows-1251 (so a Cyrillic letter counts one byte, as in
// the product's own registry), otherwise in UTF-8 bytes.
long DeleteRegKey(Root root, const std::string& path);
bool RegKeyExists(Root root, const std::string& path);
long WriteRegString(Root root, const std::string& path, const std::string& name,
                    const std::string& text);
// Stores the bytes of text followed by one zero byte; an empty text stores a value of length 0.
long WriteRegBinary(Root root, const std::string& path, const std::string& name,
                    const std::string& text);
// REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ: the data without its terminating zero, blanks and
// control characters trimmed at both ends.
long ReadRegString(Root root, const std::string& path, const std::string& name, std::string& text);
// REG_DWORD or REG_DWORD_BIG_ENDIAN: its four bytes as stored, least significant first (a
// big-endian value thus reads byte-swapped, as the Windows registry gives it). Data
// longer than four bytes gives 234, shorter 13.
long ReadRegInteger(Root root, const std::string& path, const std::string& name,
                    std::int32_t& value);
// The bytes read without the last one: the inverse of WriteRegBinary.
long ReadRegBinary(Root root, const std::string& path, const std::string& name, std::string& text);

// Why the store of a root cannot be used (it cannot be read, or its file is malformed), or an
// empty text when it can (a missing file is an empty store). The update program and the tools
// are to report this when they start rather than run as if the store were empty; as yet they
// do not.
std::string storeProblem(Root root);

// The text ReadRegString reads, or nothing when it gives any other result than kSuccess: the
// one way the program reads a text value whose absence leaves things as they are.
std::optional<std::string> readStringValue(Root root, const std::string& path,
                                           const std::string& name);

// The folder of the store files, with a trailing '/'.
std::string storeFolder(Root root);
// Full path of the store file of a root.
std::string storeFile(Root root);

} // namespace platform::registry
