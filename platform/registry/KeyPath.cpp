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

std::size_t nameLength(std::string_view name) {
    std::size_t units = 0;
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if ((b & 0xC0) != 0x80) {
            units += b >= 0xF0 ? 2 : 1; // a character beyond U+FFFF takes two units
        }
    }
    return units;
}

namespace {

std::string depthProblem(std::size_t depth) {
    return "it is " + std::to_string(depth) + " levels deep; a key lies at most " +
           std::to_string(kMaxKeyDepth) + " levels below its root";
}

// The number of names in a path: its parts between backslashes that are not empty.
std::size_t countNames(std::string_view path) {
    std::size_t count = 0;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        count += end > start ? 1 : 0;
        start = end + 1;
    }
    return count;
}

} // namespace

std::string keyPathProblem(const KeyPath& path) {
    if (path.size() > kMaxKeyDepth) {
        return depthProblem(path.size());
    }
    for (const auto& name : path) {
        if (nameLength(name) > kMaxKeyNameLength) {
            return "a key name is " + std::to_string(nameLength(name)) +
                   " characters long; the longest is " + std::to_string(kMaxKeyNameLength);
        }
    }
    return {};
}

std::string valueNameProblem(std::string_view name) {
    if (!isValidName(name)) {
        return "a value name must be UTF-8 text without line breaks or zero bytes";
    }
    if (nameLength(name) > kMaxValueNameLength) {
        return "the value name is " + std::to_string(nameLength(name)) +
               " characters long; the longest is " + std::to_string(kMaxValueNameLength);
    }
    return {};
}

std::optional<KeyPath> splitKeyPath(std::string_view path, std::string* problem) {
    const auto refuse = [&](std::string why) -> std::optional<KeyPath> {
        if (problem != nullptr) {
            *problem = std::move(why);
        }
        return std::nullopt;
    };
    if (text::trimBlanks(path).empty()) {
        return refuse("it names no key");
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
                return refuse("a key name must be UTF-8 text without line breaks or zero bytes");
            }
            if (names.size() == kMaxKeyDepth) {
                // The rest need not be kept to know that the path is too deep.
                return refuse(depthProblem(names.size() + countNames(path.substr(start))));
            }
            names.emplace_back(name);
        }
        start = end + 1;
    }
    if (names.empty()) {
        return refuse("it names no key");
    }
    if (std::string why = keyPathProblem(names); !why.empty()) {
        return refuse(std::move(why));
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
