#include "platform/registry/RegTree.h"

#include "platform/text/Text.h"

#include <algorithm>

namespace platform::registry {
namespace {

// The form under which a name is indexed: names that match ignoring case have the same one.
std::string indexName(std::string_view name) {
    return text::localeUpper(name);
}

} // namespace

bool isTextType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin())) {
        return true;
    }
    return indexName(a) == indexName(b);
}

RegKey::~RegKey() {
    // Each pass takes the subkeys of the keys about to go, so that every key is destroyed
    // without subkeys of its own.
    if (subkeys_.empty()) {
        return;
    }
    std::vector<std::list<RegKey>> pending;
    pending.emplace_back().swap(subkeys_);
    while (!pending.empty()) {
        std::list<RegKey> keys;
        keys.swap(pending.back());
        pending.pop_back();
        for (auto& key : keys) {
            key.subkeyIndex_.clear();
            if (!key.subkeys_.empty()) {
                pending.emplace_back().swap(key.subkeys_);
            }
        }
    }
}

const RegKey* RegKey::find(const KeyPath& path) const {
    return const_cast<RegKey*>(this)->find(path);
}

RegKey* RegKey::find(const KeyPath& path) {
    RegKey* key = this;
    for (const auto& name : path) {
        key = key->findSubkey(name);
        if (key == nullptr) {
            return nullptr;
        }
    }
    return key;
}

const RegKey* RegKey::subkey(std::string_view name) const {
    return const_cast<RegKey*>(this)->findSubkey(name);
}

RegKey& RegKey::create(const KeyPath& path) {
    RegKey* key = this;
    for (const auto& name : path) {
        auto [it, added] = key->subkeyIndex_.try_emplace(indexName(name));
        if (added) {
            it->second = key->subkeys_.insert(key->subkeys_.end(), RegKey(name));
        }
        key = &*it->second;
    }
    return *key;
}

bool RegKey::remove(const KeyPath& path) {
    if (path.empty()) {
        return false;
    }
    RegKey* parent = find(KeyPath(path.begin(), path.end() - 1));
    if (parent == nullptr) {
        return false;
    }
    const auto it = parent->subkeyIndex_.find(indexName(path.back()));
    if (it == parent->subkeyIndex_.end()) {
        return false;
    }
    parent->subkeys_.erase(it->second);
    parent->subkeyIndex_.erase(it);
    return true;
}

RegKey* RegKey::findSubkey(std::string_view name) {
    const auto it = subkeyIndex_.find(indexName(name));
    return it == subkeyIndex_.end() ? nullptr : &*it->second;
}

const RegValue* RegKey::findValue(std::string_view name) const {
    const auto it = valueIndex_.find(indexName(name));
    return it == valueIndex_.end() ? nullptr : &*it->second;
}

void RegKey::setValue(std::string_view name, std::uint32_t type, std::string data) {
    auto [it, added] = valueIndex_.try_emplace(indexName(name));
    if (added) {
        it->second =
            values_.insert(values_.end(), RegValue{std::string(name), type, std::move(data)});
        return;
    }
    it->second->type = type;
    it->second->data = std::move(data);
}

bool RegKey::removeValue(std::string_view name) {
    const auto it = valueIndex_.find(indexName(name));
    if (it == valueIndex_.end()) {
        return false;
    }
    values_.erase(it->second);
    valueIndex_.erase(it);
    return true;
}

void visitKeys(const RegKey& key,
               const std::function<void(const KeyPath& path, const RegKey& found)>& visit) {
    struct Level {
        std::list<RegKey>::const_iterator next;
        std::list<RegKey>::const_iterator end;
    };
    KeyPath path;
    visit(path, key);
    std::vector<Level> levels{{key.subkeys().begin(), key.subkeys().end()}};
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next == level.end) {
            levels.pop_back();
            if (!path.empty()) {
                path.pop_back();
            }
            continue;
        }
        const RegKey& sub = *level.next++;
        path.push_back(sub.name());
        visit(path, sub);
        levels.push_back({sub.subkeys().begin(), sub.subkeys().end()});
    }
}

} // namespace platform::registry
