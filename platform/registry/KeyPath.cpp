#include "platform/registry/KeyPath.h"

#include "platform/text/Text.h"

namespace platform::registry {

std::string rootName(Root root) {
    return root == Root::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::optional<Root> parseRootName(std::string_view name) {
    const std::string upper = text::asciiUpper(name);
    if (upper == "HKEY_LOCAL_MACHINE" || upper == "HKLM") {
        return Root::LocalMachine;
    }
    if (upper == "HKEY_CURRENT_USER" || upper == "HKCU") {
        return Root::CurrentUser;
    }
    return std::nullopt;
}

bool isValidName(std::string_view name) {
    return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos &&
           text::isValidUtf8(name);
}

std::optional<KeyPath> splitKeyPath(std::string_view path) {
    if (text::trimBlanks(path).empty()) {
        return std::nullopt;
    }
    KeyPath names;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        const std::string_view name = path.substr(start, end - start);
        if (!name.empty()) {
            if (!isValidName(name)) {
                return std::nullopt;
            }
            names.emplace_back(name);
        }
        start = end + 1;
    }
    if (names.empty()) {
        return std::nullopt;
    }
    return names;
}

std::string joinKeyPath(const KeyPath& path) {
    std::string out;
    for (const auto& name : path) {
        if (!out.empty()) {
            out += '\\';
        }
        out += name;
    }
    return out;
}

} // namespace platform::registry
