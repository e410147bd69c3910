#include "platform/registry/Store.h"

#include "platform/os/File.h"
#include "platform/os/Os.h"
#include "platform/registry/KeyPath.h"
#include "platform/registry/RegFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::registry {
namespace {

std::string homeFolder() {
    std::string home = platform::os::environment("HOME").value_or("");
    if (home.empty()) {
        if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
            home = pw->pw_dir;
        }
    }
    return home;
}

std::string fileName(Root root) {
    return root == Root::LocalMachine ? "HKLM.reg" : "HKCU.reg";
}

[[noreturn]] void failErrno(const std::string& what, const std::string& path) {
    throw StoreError("registry store: " + what + " " + path + ": " + std::strerror(errno));
}

// Holds a flock() on the lock file beside a store for its lifetime.
class StoreLock {
public:
    // A shared lock is taken when the lock file exists and can be opened; otherwise the
    // reader reads without one (writers replace the store by rename, so a reader
    // always sees a whole store). An exclusive lock must be taken.
    StoreLock(const std::string& path, bool exclusive) {
        if (exclusive) {
            fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        }
        if (fd_ < 0) {
            fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        }
        if (fd_ < 0) {
            if (exclusive) {
                failErrno("cannot open the lock file", path);
            }
            return;
        }
        while (::flock(fd_, exclusive ? LOCK_EX : LOCK_SH) != 0) {
            if (errno != EINTR) {
                const int saved = errno;
                ::close(fd_);
                fd_ = -1;
                if (exclusive) {
                    errno = saved;
                    failErrno("cannot lock", path);
                }
                return;
            }
        }
    }
    ~StoreLock() {
        if (fd_ >= 0) {
            ::close(fd_); // releases the lock
        }
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

private:
    int fd_ = -1;
};

// The whole store file; empty when there is none.
std::string readStoreFile(const std::string& path, bool& exists) {
    exists = false;
    std::string bytes;
    try {
        bytes = platform::os::readWholeFile(path);
    } catch (const platform::os::FileError& e) {
        if (e.opening() && e.error() == ENOENT) {
            return {};
        }
        errno = e.error();
        failErrno(e.opening() ? "cannot open" : "cannot read", path);
    }
    exists = true;
    return bytes;
}

RegKey parseStore(Root root, const std::string& path, const std::string& bytes, bool exists) {
    RegKey top(rootName(root));
    if (!exists) {
        return top;
    }
    const std::string malformed = "registry store " + path + " is malformed and is left as it is: ";
    RegScript script;
    try {
        script = parseRegText(bytes);
    } catch (const RegFormatError& e) {
        throw StoreError(malformed + e.what());
    }
    const Root other = root == Root::LocalMachine ? Root::CurrentUser : Root::LocalMachine;
    if (script.touches(other)) {
        throw StoreError(malformed + "it holds keys of " + rootName(other));
    }
    applyScript(script, root, top);
    return top;
}

// Removes temporary files that a writer killed in the middle of a write left behind. Only
// the holder of the exclusive lock writes them, so every one found under the lock is stale.
void removeStaleTemporaries(const std::string& folder, const std::string& prefix) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (it->path().filename().string().rfind(prefix, 0) == 0) {
            std::error_code ignored;
            std::filesystem::remove(it->path(), ignored);
        }
    }
}

void writeAll(int fd, const std::string& bytes, const std::string& path) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            failErrno("cannot write", path);
        }
        done += static_cast<std::size_t>(n);
    }
}

void replaceStoreFile(const std::string& folder, const std::string& name, const std::string& text) {
    const std::string target = folder + name;
    const std::string prefix = "." + name + ".tmp-";
    removeStaleTemporaries(folder, prefix);
    std::string temp = folder + prefix + "XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        failErrno("cannot create a temporary file in", folder);
    }
    try {
        struct stat st {};
        const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
        if (::fchmod(fd, mode) != 0) {
            failErrno("cannot set the mode of", temp);
        }
        writeAll(fd, text, temp);
        if (::fsync(fd) != 0) {
            failErrno("cannot flush", temp);
        }
        if (::close(fd) != 0) {
            failErrno("cannot close", temp);
        }
    } catch (...) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        failErrno("cannot replace", target);
    }
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace

std::string storeFolder(Root root) {
    const std::string overridden = platform::os::environment("UPDATE_REGISTRY_DIR").value_or("");
    if (!overridden.empty()) {
        return platform::os::withTrailingDelimiter(overridden);
    }
    if (root == Root::LocalMachine) {
        return "/var/lib/korvel/registry/";
    }
    std::string config = platform::os::environment("XDG_CONFIG_HOME").value_or("");
    if (config.empty() || config.front() != '/') {
        config = homeFolder() + "/.config";
    }
    return platform::os::withTrailingDelimiter(config) + "korvel/registry/";
}

std::string storeFile(Root root) {
    return storeFolder(root) + fileName(root);
}

RegKey loadStore(Root root) {
    const std::string path = storeFile(root);
    StoreLock lock(path + ".lock", false);
    bool exists = false;
    const std::string bytes = readStoreFile(path, exists);
    return parseStore(root, path, bytes, exists);
}

void updateStore(Root root, const std::function<bool(RegKey& top)>& change) {
    const std::string folder = storeFolder(root);
    const std::string path = folder + fileName(root);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        throw StoreError("registry store: cannot create the folder " + folder + ": " +
                         ec.message());
    }
    StoreLock lock(path + ".lock", true);
    bool exists = false;
    const std::string bytes = readStoreFile(path, exists);
    RegKey top = parseStore(root, path, bytes, exists);
    if (change(top)) {
        replaceStoreFile(folder, fileName(root), formatRegText(root, {}, top));
    }
}

} // namespace platform::registry
