#include "platform/registry/Registry.h"

#include "platform/registry/KeyPath.h"
#include "platform/registry/Store.h"
#include "platform/text/Text.h"

#include <cstring>

namespace platform::registry {
namespace {

// The most a read takes, as the product's registry calls ask for.
constexpr std::size_t kReadLimit = 1024;

// The size of a text value as the product's registry calls count it: in windows-1251 bytes,
// the code page they read in, where the text can be written in it; otherwise in the bytes of
// its UTF-8 form.
std::size_t productSize(std::string_view data) {
    try {
        return text::utf8ToCp1251(data).size();
    } catch (const text::TextError&) {
        return data.size();
    }
}

// Finds the value and hands it to take, which gives the result code.
template <class Take>
long readValue(Root root, const std::string& path, const std::string& name, Take&& take) {
    const auto keyPath = splitKeyPath(path);
    if (!keyPath || nameLength(name) > kMaxValueNameLength) {
        return kInvalidData;
    }
    RegKey top;
    try {
        top = loadStore(root);
    } catch (const StoreError&) {
        return kAccessDenied;
    }
    const RegKey* key = top.find(*keyPath);
    if (key == nullptr) {
        return kFileNotFound;
    }
    const RegValue* value = key->findValue(name);
    if (value == nullptr) {
        return kFileNotFound;
    }
    return take(*value);
}

long writeValue(Root root, const std::string& path, const std::string& name, std::uint32_t type,
                const std::string& data) {
    const auto keyPath = splitKeyPath(path);
    if (!keyPath || !valueNameProblem(name).empty()) {
        return kInvalidData;
    }
    try {
        updateStore(root, [&](RegKey& top) {
            top.create(*keyPath).setValue(name, type, data);
            return true;
        });
    } catch (const StoreError&) {
        return kAccessDenied;
    }
    return kSuccess;
}

} // namespace

long DeleteRegKey(Root root, const std::string& path) {
    const auto keyPath = splitKeyPath(path);
    if (!keyPath) {
        return kInvalidData;
    }
    long result = kSuccess;
    try {
        updateStore(root, [&](RegKey& top) {
            if (!top.remove(*keyPath)) {
                result = kFileNotFound;
                return false;
            }
            return true;
        });
    } catch (const StoreError&) {
        return kAccessDenied;
    }
    return result;
}

bool RegKeyExists(Root root, const std::string& path) {
    const auto keyPath = splitKeyPath(path);
    if (!keyPath) {
        return false;
    }
    try {
        return loadStore(root).find(*keyPath) != nullptr;
    } catch (const StoreError&) {
        return false;
    }
}

long WriteRegString(Root root, const std::string& path, const std::string& name,
                    const std::string& text) {
    // Text values are UTF-8; bytes that are not cannot be kept as text.
    if (!text::isValidUtf8(text)) {
        return kInvalidData;
    }
    return writeValue(root, path, name, kRegSz, text + '\0');
}

long WriteRegBinary(Root root, const std::string& path, const std::string& name,
                    const std::string& text) {
    return writeValue(root, path, name, kRegBinary, text.empty() ? text : text + '\0');
}

long ReadRegString(Root root, const std::string& path, const std::string& name, std::string& text) {
    return readValue(root, path, name, [&](const RegValue& value) {
        if (!isTextType(value.type)) {
            return kInvalidData;
        }
        if (productSize(value.data) > kReadLimit) {
            return kMoreData;
        }
        std::string_view bytes = value.data;
        if (!bytes.empty() && bytes.back() == '\0') {
            bytes.remove_suffix(1);
        }
        text = text::trimControls(bytes);
        return kSuccess;
    });
}

std::optional<std::string> readStringValue(Root root, const std::string& path,
                                           const std::string& name) {
    std::string text;
    if (ReadRegString(root, path, name, text) != kSuccess) {
        return std::nullopt;
    }
    return text;
}

long ReadRegInteger(Root root, const std::string& path, const std::string& name,
                    std::int32_t& value) {
    return readValue(root, path, name, [&](const RegValue& stored) {
        if (stored.type != kRegDword && stored.type != kRegDwordBigEndian) {
            return kInvalidData;
        }
        if (stored.data.size() > sizeof value) {
            return kMoreData;
        }
        // Fewer than four bytes would leave part of the number undefined.
        if (stored.data.size() < sizeof value) {
            return kInvalidData;
        }
        // The four bytes as stored, least significant first, whatever the value's type.
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i) {
            n = (n << 8) | static_cast<unsigned char>(stored.data[static_cast<std::size_t>(i)]);
        }
        std::memcpy(&value, &n, sizeof value);
        return kSuccess;
    });
}

long ReadRegBinary(Root root, const std::string& path, const std::string& name, std::string& text) {
    return readValue(root, path, name, [&](const RegValue& value) {
        if (value.type != kRegBinary) {
            return kInvalidData;
        }
        if (value.data.size() > kReadLimit) {
            return kMoreData;
        }
        text = value.data.empty() ? std::string() : value.data.substr(0, value.data.size() - 1);
        return kSuccess;
    });
}

std::string storeProblem(Root root) {
    try {
        loadStore(root);
    } catch (const StoreError& e) {
        return e.what();
    }
    return {};
}

} // namespace platform::registry
