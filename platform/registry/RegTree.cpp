#include "platform/registry/RegTree.h"

#include "platform/text/Text.h"

#include <algorithm>

namespace platform::registry {

bool isTextType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin())) {
        return true;
    }
    return text::localeUpper(a) == text::localeUpper(b);
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

RegKey& RegKey::create(const KeyPath& path) {
    RegKey* key = this;
    for (const auto& name : path) {
        RegKey* sub = key->findSubkey(name);
        if (sub == nullptr) {
            sub = &key->subkeys_.emplace_back(name);
        }
        key = sub;
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
    auto& list = parent->subkeys_;
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const RegKey& k) { return sameName(k.name_, path.back()); });
    if (it == list.end()) {
        return false;
    }
    list.erase(it);
    return true;
}

RegKey* RegKey::findSubkey(std::string_view name) {
    for (auto& sub : subkeys_) {
        if (sameName(sub.name_, name)) {
            return &sub;
        }
    }
    return nullptr;
}

const RegValue* RegKey::findValue(std::string_view name) const {
    for (const auto& value : values_) {
        if (sameName(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

void RegKey::setValue(std::string_view name, std::uint32_t type, std::string data) {
    for (auto& value : values_) {
        if (sameName(value.name, name)) {
            value.type = type;
            value.data = std::move(data);
            return;
        }
    }
    values_.push_back(RegValue{std::string(name), type, std::move(data)});
}

bool RegKey::removeValue(std::string_view name) {
    const auto it = std::find_if(values_.begin(), values_.end(),
                                 [&](const RegValue& v) { return sameName(v.name, name); });
    if (it == values_.end()) {
        return false;
    }
    values_.erase(it);
    return true;
}

} // namespace platform::registry
