#pragma once

// The registry-export text format: the files of the registry store and the files that
// update-reg imports and exports.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Korvel\Catalex]
//   "Name"="text"            REG_SZ, \\ and \" escaped
//   @="text"                 the default value
//   "Count"=dword:0000000a   REG_DWORD
//   "Bytes"=hex:01,02,ff     REG_BINARY
//   "Other"=hex(7):...       any other type by number; text types as UTF-16LE bytes
//   "Old"=-                  deletes the value
//   [-HKEY_CURRENT_USER\X]   deletes the key with its subkeys
//
// Reading accepts what the registry editor writes: UTF-16LE or UTF-16BE with a byte-order
// mark, UTF-8 with or without one, the header "REGEDIT4" (whose file and hex(n) text data are
// 8-bit rather than UTF-16LE: UTF-8, or windows-1251 when they are not UTF-8), lines continued
// with a trailing backslash, comment lines starting with ";", and the short root names HKLM
// and HKCU. Text that is not whole in its encoding is refused, never changed: 8-bit text under
// the header "Windows Registry Editor Version 5.00" that is not UTF-8, UTF-16 with an odd byte
// or a surrogate without its partner, in the file or in hex(1), hex(2) and hex(7) data. A
// store file must be UTF-8 throughout. Writing gives UTF-8 without a byte-order mark, lines
// ending in LF.

#include "platform/registry/RegTree.h"
#include "platform/registry/Registry.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry {

// A text that is not in the format; what() names the line.
class RegFormatError : public std::runtime_error {
public:
    RegFormatError(int line, const std::string& message);
    int line() const { return line_; }

private:
    int line_;
};

// One value line of a key section: a value to set, or one to delete.
struct RegValueEntry {
    std::string name;
    bool remove = false;
    std::uint32_t type = kRegNone;
    std::string data;
};

// One key section: the key and its value lines, or the deletion of a key.
struct RegSection {
    Root root = Root::LocalMachine;
    KeyPath path; // empty: the root key itself
    bool remove = false;
    std::vector<RegValueEntry> values;
    int line = 0;
};

// A parsed text: its sections in file order.
struct RegScript {
    std::vector<RegSection> sections;
    bool touches(Root root) const;
};

// Where a text comes from: a file to import, in any encoding described above, or a store file,
// which must be UTF-8.
enum class RegSource { ImportFile, StoreFile };

// Parses a whole file. Throws RegFormatError.
RegScript parseRegText(std::string_view bytes, RegSource source = RegSource::ImportFile);
// Parses a whole file, handing each section to sink as soon as it is read, so that the file
// need not be held twice. Throws RegFormatError, possibly after some sections were handed on.
void parseRegText(std::string_view bytes, const std::function<void(RegSection&&)>& sink,
                  RegSource source = RegSource::ImportFile);

// Applies the sections of one root, in order, to the tree of that root. The second form moves
// the data of those sections out of script instead of copying it.
void applyScript(const RegScript& script, Root root, RegKey& top);
void applyScript(RegScript&& script, Root root, RegKey& top);
// Applies one section to the tree of its root, its data moved out of it.
void applySection(RegSection&& section, RegKey& top);

// The text of a file holding the key at path below root with all its subkeys (for an empty
// path: all keys of the root).
std::string formatRegText(Root root, const KeyPath& path, const RegKey& key);

} // namespace platform::registry
