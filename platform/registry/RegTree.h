#pragma once

// The keys and values of one root key in memory. Key and value names are matched ignoring
// case (ASCII and Cyrillic letters); a name keeps the case in which it was first written.
// Subkeys and values keep the order in which they were added; each key indexes them by
// name, so finding, adding and removing one takes the same time however many there are.

#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::registry {

// Value types, numbered as the registry numbers them.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegDwordBigEndian = 5;
inline constexpr std::uint32_t kRegMultiSz = 7;

// True for the types whose data is text (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ).
bool isTextType(std::uint32_t type);

// A key path below a root: its key names, outermost first.
using KeyPath = std::vector<std::string>;

// Key and value names compared ignoring case.
bool sameName(std::string_view a, std::string_view b);

struct RegValue {
    std::string name; // empty: the key's default value
    std::uint32_t type = kRegNone;
    // The data. Text types hold UTF-8 with their terminating zero bytes.
    std::string data;
};

class RegKey {
public:
    explicit RegKey(std::string name = {}) : name_(std::move(name)) {}
    // Frees the subkeys level by level, so a deep tree never runs out of stack.
    ~RegKey();
    RegKey(RegKey&&) = default;
    RegKey& operator=(RegKey&&) = default;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    const std::string& name() const { return name_; }
    const std::list<RegValue>& values() const { return values_; }
    const std::list<RegKey>& subkeys() const { return subkeys_; }

    const RegKey* find(const KeyPath& path) const;
    RegKey* find(const KeyPath& path);
    const RegKey* subkey(std::string_view name) const;
    // The key at path, created with its missing parents.
    RegKey& create(const KeyPath& path);
    // Removes the key at path with all its subkeys; false when there is none. An empty path
    // names this key itself and is never removed.
    bool remove(const KeyPath& path);

    const RegValue* findValue(std::string_view name) const;
    // Replaces the type and data of an existing value (keeping its name) or adds one.
    void setValue(std::string_view name, std::uint32_t type, std::string data);
    bool removeValue(std::string_view name);

private:
    RegKey* findSubkey(std::string_view name);

    std::string name_;
    std::list<RegValue> values_;
    std::unordered_map<std::string, std::list<RegValue>::iterator> valueIndex_;
    std::list<RegKey> subkeys_;
    std::unordered_map<std::string, std::list<RegKey>::iterator> subkeyIndex_;
};

// Calls visit for key and every key below it, each key before its subkeys, in their order,
// with the names leading from key to it (empty for key itself). Not recursive: the depth of
// the tree does not matter.
void visitKeys(const RegKey& key,
               const std::function<void(const KeyPath& path, const RegKey& found)>& visit);

} // namespace platform::registry
