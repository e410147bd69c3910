#include "platform/os/File.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::os {

FileError::FileError(int error, bool opening)
    : std::runtime_error(std::strerror(error)), error_(error), opening_(opening) {}

std::string readWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw FileError(errno, true);
    }
    std::string bytes;
    // The size known beforehand spares growing the string step by step.
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(fd);
            throw FileError(error, false);
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return bytes;
}

namespace {

// The file a path names once symbolic links are followed; the path itself when it is no link
// (or does not exist).
std::string linkTarget(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0) {
            throw FileError(errno, true);
        }
        target.resize(static_cast<std::size_t>(length));
        const std::size_t slash = path.rfind('/');
        if (target.front() != '/' && slash != std::string::npos) {
            target = path.substr(0, slash + 1) + target;
        }
        path = target;
    }
    throw FileError(ELOOP, true);
}

void writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(errno, false);
        }
        done += static_cast<std::size_t>(n);
    }
}

} // namespace

void replaceWholeFile(const std::string& path, const std::string& bytes) {
    const std::string target = linkTarget(path);
    const std::size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode)) {
        throw FileError(EISDIR, true);
    }
    std::random_device random;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = folder + "." + name + ".tmp-" + std::to_string(random());
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt == 100)) {
            throw FileError(errno, true);
        }
    }
    try {
        if (replacing) {
            if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
                [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
            }
            if (::fchmod(fd, old.st_mode & 07777) != 0) {
                throw FileError(errno, false);
            }
        }
        writeAll(fd, bytes);
        if (::fsync(fd) != 0) {
            throw FileError(errno, false);
        }
        const int fdToClose = fd;
        fd = -1;
        if (::close(fdToClose) != 0) {
            throw FileError(errno, false);
        }
        if (::rename(temp.c_str(), target.c_str()) != 0) {
            throw FileError(errno, false);
        }
    } catch (...) {
        if (fd >= 0) {
            ::close(fd);
        }
        ::unlink(temp.c_str());
        throw;
    }
}

} // namespace platform::os
