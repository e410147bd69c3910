#include "platform/os/DatagramSocket.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform::os {
namespace {

sockaddr_un addressOf(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        throw SocketError("The socket path " + path + " is too long", ENAMETOOLONG);
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

[[noreturn]] void fail(const std::string& what, const std::string& path, int error) {
    throw SocketError("Cannot " + what + " the socket " + path + ": " + std::strerror(error),
                      error);
}

// True when a socket file is left by a program that has ended: nobody reads it.
bool isStaleSocket(const sockaddr_un& address) {
    struct stat st {};
    if (::lstat(address.sun_path, &st) != 0 || !S_ISSOCK(st.st_mode)) {
        return false;
    }
    const int probe = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        return false;
    }
    const int connected =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int error = errno;
    ::close(probe);
    return connected != 0 && error == ECONNREFUSED;
}

} // namespace

SocketError::SocketError(const std::string& message, int error)
    : std::runtime_error(message), error_(error) {}

DatagramSocket::DatagramSocket(std::string path) : path_(std::move(path)) {
    const sockaddr_un address = addressOf(path_);
    fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) {
        fail("create", path_, errno);
    }
    try {
        const int on = 1;
        if (::setsockopt(fd_, SOL_SOCKET, SO_PASSCRED, &on, sizeof on) != 0) {
            fail("set up", path_, errno);
        }
        auto bindOnce = [&] {
            return ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        };
        if (bindOnce() != 0) {
            const int error = errno;
            if (error != EADDRINUSE || !isStaleSocket(address) ||
                (::unlink(path_.c_str()) != 0 && errno != ENOENT) || bindOnce() != 0) {
                fail("bind", path_, error == EADDRINUSE ? EADDRINUSE : errno);
            }
        }
        // Only this user may send; the folder is private besides.
        if (::chmod(path_.c_str(), 0600) != 0) {
            const int error = errno;
            ::unlink(path_.c_str());
            fail("set up", path_, error);
        }
        struct stat st {};
        if (::stat(path_.c_str(), &st) == 0) {
            inode_ = st.st_ino;
        }
    } catch (...) {
        ::close(fd_);
        throw;
    }
}

DatagramSocket::~DatagramSocket() {
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_ino == inode_) {
        ::unlink(path_.c_str());
    }
    ::close(fd_);
}

std::optional<Datagram> DatagramSocket::receive(std::size_t limit) {
    buffer_.resize(limit == 0 ? 1 : limit);
    iovec part{buffer_.data(), buffer_.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred)) + CMSG_SPACE(16 * sizeof(int))];
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got = -1;
    do {
        got = ::recvmsg(fd_, &message, MSG_DONTWAIT | MSG_TRUNC | MSG_CMSG_CLOEXEC);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        return std::nullopt; // EAGAIN: nothing pending (any other error: nothing readable)
    }
    Datagram datagram;
    const std::size_t length = static_cast<std::size_t>(got);
    datagram.truncated = length > limit || (message.msg_flags & MSG_TRUNC) != 0;
    datagram.bytes.assign(buffer_.data(), std::min(length, limit));
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_CREDENTIALS &&
            c->cmsg_len >= CMSG_LEN(sizeof(ucred))) {
            ucred credentials{};
            std::memcpy(&credentials, CMSG_DATA(c), sizeof credentials);
            datagram.fromThisUser = credentials.uid == ::geteuid();
        } else if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS) {
            // Descriptors sent along are not wanted: close them.
            const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (std::size_t k = 0; k < count; ++k) {
                int fd = -1;
                std::memcpy(&fd, CMSG_DATA(c) + k * sizeof(int), sizeof fd);
                ::close(fd);
            }
        }
    }
    return datagram;
}

} // namespace platform::os
