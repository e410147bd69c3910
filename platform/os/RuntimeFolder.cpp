#include "platform/os/RuntimeFolder.h"

#include "platform/os/Os.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::os {

namespace {

std::string withoutTrailingSlashes(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

// $XDG_RUNTIME_DIR is made by the login manager for the user; it counts only when it really is
// a folder of the effective user (a program started by su or sudo may inherit another's).
std::string userRuntimeDir() {
    const std::string runtime = environment("XDG_RUNTIME_DIR").value_or("");
    struct stat st {};
    if (runtime.empty() || runtime.front() != '/' || ::stat(runtime.c_str(), &st) != 0 ||
        !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        return {};
    }
    return withoutTrailingSlashes(runtime);
}

} // namespace

void preparePrivateFolder(const std::string& folder, const std::string& what) {
    const std::string path = withoutTrailingSlashes(folder);
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        throw std::runtime_error("cannot create the " + what + " " + path + ": " +
                                 std::strerror(errno));
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        throw std::runtime_error("cannot examine the " + what + " " + path + ": " +
                                 std::strerror(errno));
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 022) != 0) {
        throw std::runtime_error("the " + what + " " + path +
                                 " is not a folder of the current user that only the user can "
                                 "write; remove it or make it private");
    }
}

std::string privateRuntimeFolder() {
    const std::string runtime = userRuntimeDir();
    if (!runtime.empty()) {
        return withTrailingDelimiter(runtime);
    }
    std::string temp = environment("TMPDIR").value_or("");
    if (temp.empty() || temp.front() != '/') {
        temp = "/tmp";
    }
    temp = withoutTrailingSlashes(temp);
    const std::string folder =
        (temp == "/" ? std::string() : temp) + "/korvel-" + std::to_string(::geteuid());
    preparePrivateFolder(folder, "private runtime folder");
    return folder + "/";
}

} // namespace platform::os
