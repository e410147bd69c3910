#include "platform/registry/Store.h"

#include "platform/os/File.h"
#include "platform/os/Os.h"
#include "platform/registry/KeyPath.h"
#include "platform/registry/RegFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
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

// How long a lock held by another process is waited for: $UPDATE_REGISTRY_LOCK_TIMEOUT
// seconds (a decimal number, fractions allowed), 30 when it is unset or not such a number.
std::chrono::milliseconds lockTimeout() {
    constexpr double kDefaultSeconds = 30;
    const std::string text = platform::os::environment("UPDATE_REGISTRY_LOCK_TIMEOUT").value_or("");
    double seconds = kDefaultSeconds;
    if (!text.empty()) {
        char* end = nullptr;
        const double parsed = std::strtod(text.c_str(), &end);
        if (end != nullptr && *end == '\0' && parsed >= 0 && parsed < 1e6) {
            seconds = parsed;
        }
    }
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

std::string secondsText(std::chrono::milliseconds ms) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g s", static_cast<double>(ms.count()) / 1000);
    return buffer;
}

// Holds a flock() on the lock file beside a store for its lifetime.
class StoreLock {
public:
    // A shared lock is taken when the lock file exists and can be opened; otherwise the
    // reader reads without one (writers replace the store by rename, so a reader
    // always sees a whole store). An exclusive lock must be taken. A lock that another
    // process holds is waited for as long as lockTimeout() says, and then given up with a
    // StoreError naming the lock file; on a terminal, the wait is announced on stderr.
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
        using Clock = std::chrono::steady_clock;
        const auto timeout = lockTimeout();
        const auto deadline = Clock::now() + timeout;
        auto pause = std::chrono::milliseconds(1);
        bool announced = false;
        while (::flock(fd_, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno != EWOULDBLOCK) {
                const int saved = errno;
                release();
                if (exclusive) {
                    errno = saved;
                    failErrno("cannot lock", path);
                }
                return;
            }
            const auto now = Clock::now();
            if (now >= deadline) {
                release();
                throw StoreError("registry store: the lock file " + path +
                                 " is held by another process; gave up waiting after " +
                                 secondsText(timeout));
            }
            if (!announced && ::isatty(STDERR_FILENO) == 1) {
                std::fprintf(stderr,
                             "registry store: waiting up to %s for the lock file %s, which "
                             "another process holds\n",
                             secondsText(timeout).c_str(), path.c_str());
                announced = true;
            }
            std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
            pause = std::min(pause * 2, std::chrono::milliseconds(20));
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
    void release() {
        ::close(fd_);
        fd_ = -1;
    }

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
    const Root other = root == Root::LocalMachine ? Root::CurrentUser : Root::LocalMachine;
    try {
        parseRegText(
            bytes,
            [&](RegSection&& section) {
                if (section.root == other) {
                    throw StoreError(malformed + "it holds keys of " + rootName(other));
                }
                applySection(std::move(section), top);
            },
            RegSource::StoreFile);
    } catch (const RegFormatError& e) {
        throw StoreError(malformed + e.what());
    }
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

// The file that a store path stands for: the path itself or, when it is a symbolic link, the
// file that the link leads to (through further links). A write replaces that file, so that
// the link stays and its target is updated.
std::string resolveLinks(const std::string& path) {
    constexpr int kMaxLinks = 40; // as the system follows them
    std::string current = path;
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return current; // a missing file is created where the last link points
        }
        std::error_code ec;
        const std::filesystem::path target = std::filesystem::read_symlink(current, ec);
        if (ec) {
            throw StoreError("registry store: cannot read the link " + current + ": " +
                             ec.message());
        }
        current = target.is_absolute()
                      ? target.string()
                      : (std::filesystem::path(current).parent_path() / target).string();
    }
    errno = ELOOP;
    failErrno("cannot follow the links of", path);
}

// The folder of a file path, with a trailing '/', and the file's name.
std::pair<std::string, std::string> splitFolder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {"./", path};
    }
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
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
    const std::string path = resolveLinks(storeFile(root));
    StoreLock lock(path + ".lock", false);
    bool exists = false;
    const std::string bytes = readStoreFile(path, exists);
    return parseStore(root, path, bytes, exists);
}

void updateStore(Root root, const std::function<bool(RegKey& top)>& change) {
    const std::string folder = storeFolder(root);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        throw StoreError("registry store: cannot create the folder " + folder + ": " +
                         ec.message());
    }
    const std::string path = resolveLinks(folder + fileName(root));
    StoreLock lock(path + ".lock", true);
    bool exists = false;
    const std::string bytes = readStoreFile(path, exists);
    RegKey top = parseStore(root, path, bytes, exists);
    if (change(top)) {
        const auto [targetFolder, targetName] = splitFolder(path);
        replaceStoreFile(targetFolder, targetName, formatRegText(root, {}, top));
    }
}

} // namespace platform::registry
