#include "platform/os/Os.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::os {

std::string programFolder() {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t got = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (got < 0) {
            throw std::runtime_error(std::string("Cannot determine the program's folder: ") +
                                     std::strerror(errno));
        }
        if (static_cast<std::size_t>(got) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(got));
            break;
        }
        buffer.resize(buffer.size() * 2); // the path may have been cut: try a larger buffer
    }
    const auto slash = buffer.rfind('/');
    return slash == std::string::npos ? std::string("/") : buffer.substr(0, slash + 1);
}

std::optional<std::string> environment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

std::string withTrailingDelimiter(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder.push_back('/');
    }
    return folder;
}

std::string nativePath(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace platform::os
