#include "tools/update-reg/Commands.h"

#include "platform/registry/KeyPath.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/Store.h"
#include "tools/update-reg/ValueText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace tools::reg {

using namespace platform::registry;

namespace {

// A key named on the command line: its root and the path below it (empty for the root).
struct KeyName {
    Root root = Root::LocalMachine;
    KeyPath path;
};

// A name as a message shows it: one that is too long to read is cut after its first
// characters.
std::string shortened(const std::string& name) {
    constexpr std::size_t kShown = 60;
    if (name.size() <= kShown + 3) {
        return name;
    }
    std::size_t end = kShown;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) {
        --end; // not inside a character
    }
    return name.substr(0, end) + "...";
}

KeyName parseKeyName(const std::string& text) {
    const std::size_t slash = text.find('\\');
    const auto root = parseRootName(std::string_view(text).substr(0, slash));
    if (!root) {
        throw ToolError("invalid key '" + text +
                        "': it must start with HKLM, HKCU, HKEY_LOCAL_MACHINE or "
                        "HKEY_CURRENT_USER");
    }
    KeyName key{*root, {}};
    if (slash != std::string::npos && text.find_first_not_of('\\', slash) != std::string::npos) {
        std::string problem;
        const auto path = splitKeyPath(text.substr(slash + 1), &problem);
        if (!path) {
            throw ToolError("invalid key '" + shortened(text) + "': " + problem);
        }
        key.path = *path;
    }
    return key;
}

KeyName belowRoot(const std::string& text) {
    KeyName key = parseKeyName(text);
    if (key.path.empty()) {
        throw ToolError("'" + text + "' is a root key: name a key below it");
    }
    return key;
}

std::string valueLabel(const std::string& name) {
    return name.empty() ? "(Default)" : name;
}

// The path of an existing key with the names in their stored case.
KeyPath storedPath(const RegKey& top, const KeyPath& path) {
    KeyPath stored;
    const RegKey* key = &top;
    for (const auto& name : path) {
        key = key->subkey(name);
        stored.push_back(key->name());
    }
    return stored;
}

std::string fullName(Root root, const KeyPath& path) {
    return path.empty() ? rootName(root) : rootName(root) + '\\' + joinKeyPath(path);
}

const RegKey& existingKey(const RegKey& top, const KeyName& key, const std::string& text) {
    const RegKey* found = top.find(key.path);
    if (found == nullptr) {
        throw ToolError("key not found: " + text);
    }
    return *found;
}

void showValue(std::ostream& out, const RegValue& value) {
    out << "    " << valueLabel(value.name) << "    " << typeName(value.type) << "    "
        << showData(value.type, value.data) << '\n';
}

void showValues(std::ostream& out, Root root, const KeyPath& path, const RegKey& key) {
    out << fullName(root, path) << '\n';
    for (const auto& value : key.values()) {
        showValue(out, value);
    }
    out << '\n';
}

void showKey(std::ostream& out, Root root, const KeyPath& path, const RegKey& key, bool recursive) {
    if (recursive) {
        KeyPath full;
        visitKeys(key, [&](const KeyPath& below, const RegKey& found) {
            full = path;
            full.insert(full.end(), below.begin(), below.end());
            showValues(out, root, full, found);
        });
        return;
    }
    showValues(out, root, path, key);
    KeyPath subPath = path;
    for (const auto& sub : key.subkeys()) {
        subPath.push_back(sub.name());
        out << fullName(root, subPath) << '\n';
        subPath.pop_back();
    }
}

void query(const Arguments& args, std::ostream& out) {
    const std::string& text = args.operands[0];
    const KeyName key = parseKeyName(text);
    const RegKey top = loadStore(key.root);
    const RegKey& found = existingKey(top, key, text);
    const KeyPath path = storedPath(top, key.path);
    if (args.value) {
        const RegValue* value = found.findValue(*args.value);
        if (value == nullptr) {
            throw ToolError("value not found: " + valueLabel(*args.value) + " in " + text);
        }
        out << fullName(key.root, path) << '\n';
        showValue(out, *value);
        return;
    }
    showKey(out, key.root, path, found, args.recursive);
}

void add(const Arguments& args) {
    const KeyName key = belowRoot(args.operands[0]);
    if (!args.value && (args.type || args.data)) {
        throw ToolError("--type and --data need --value NAME or --default");
    }
    std::uint32_t type = kRegSz;
    std::string data;
    if (args.value) {
        if (const std::string problem = valueNameProblem(*args.value); !problem.empty()) {
            throw ToolError("invalid value name '" + shortened(*args.value) + "': " + problem);
        }
        type = args.type ? parseTypeName(*args.type) : kRegSz;
        data = parseData(type, args.data.value_or(std::string()));
    }
    updateStore(key.root, [&](RegKey& top) {
        RegKey& target = top.create(key.path);
        if (args.value) {
            target.setValue(*args.value, type, data);
        }
        return true;
    });
}

void remove(const Arguments& args) {
    const std::string& text = args.operands[0];
    const KeyName key = belowRoot(text);
    updateStore(key.root, [&](RegKey& top) {
        if (!args.value) {
            if (!top.remove(key.path)) {
                throw ToolError("key not found: " + text);
            }
            return true;
        }
        RegKey* found = top.find(key.path);
        if (found == nullptr) {
            throw ToolError("key not found: " + text);
        }
        if (!found->removeValue(*args.value)) {
            throw ToolError("value not found: " + valueLabel(*args.value) + " in " + text);
        }
        return true;
    });
}

// The most that a file to import may hold.
constexpr std::size_t kMaxImportSize = 64 * 1024 * 1024;

// The whole of a file to import: a regular file of at most kMaxImportSize bytes. Anything else
// (a folder, a device, a pipe that might never end) is refused before it is read.
std::string readImportFile(const std::string& file) {
    const auto failure = [&](const std::string& why) {
        return ToolError("cannot read " + file + ": " + why);
    };
    // Without O_NONBLOCK, opening a named pipe waits for a writer.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        throw failure(std::strerror(errno));
    }
    std::string bytes;
    try {
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            throw failure(std::strerror(errno));
        }
        if (!S_ISREG(st.st_mode)) {
            throw failure("not a regular file");
        }
        const auto tooLarge = [&] {
            return failure("larger than 64 MiB, the most that is imported");
        };
        if (static_cast<std::uintmax_t>(st.st_size) > kMaxImportSize) {
            throw tooLarge();
        }
        bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
        std::size_t got = 0;
        for (;;) {
            if (got == bytes.size()) {
                if (bytes.size() > kMaxImportSize) {
                    throw tooLarge(); // it grew while being read
                }
                bytes.resize(std::min(bytes.size() * 2, kMaxImportSize + 1));
            }
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                throw failure(std::strerror(errno));
            }
            if (n == 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    return bytes;
}

void import(const Arguments& args) {
    const std::string& file = args.operands[0];
    const std::string bytes = readImportFile(file);
    RegScript script;
    try {
        script = parseRegText(bytes);
    } catch (const RegFormatError& e) {
        throw ToolError(file + ": " + e.what() + "; nothing was imported");
    }
    for (const Root root : {Root::LocalMachine, Root::CurrentUser}) {
        if (script.touches(root)) {
            updateStore(root, [&](RegKey& top) {
                applyScript(script, root, top);
                return true;
            });
        }
    }
}

void exportKey(const Arguments& args) {
    const std::string& text = args.operands[0];
    const std::string& file = args.operands[1];
    const KeyName key = parseKeyName(text);
    const RegKey top = loadStore(key.root);
    const RegKey& found = existingKey(top, key, text);
    const std::string content = formatRegText(key.root, storedPath(top, key.path), found);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) {
        throw ToolError("cannot write " + file);
    }
    out << content;
    out.close();
    if (!out) {
        throw ToolError("cannot write " + file);
    }
}

} // namespace

void runCommand(const Arguments& args, std::ostream& out) {
    if (args.command == "query") {
        query(args, out);
    } else if (args.command == "add") {
        add(args);
    } else if (args.command == "delete") {
        remove(args);
    } else if (args.command == "import") {
        import(args);
    } else if (args.command == "export") {
        exportKey(args);
    }
}

} // namespace tools::reg
