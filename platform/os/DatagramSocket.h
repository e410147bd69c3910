#pragma once

// A Unix datagram socket bound to a file, read without waiting, with the sender's user known
// for every datagram.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform::os {

// A socket that could not be made or bound; error() is the errno value (EADDRINUSE when a live
// socket already has the name).
class SocketError : public std::runtime_error {
public:
    SocketError(const std::string& message, int error);
    int error() const { return error_; }

private:
    int error_;
};

struct Datagram {
    std::string bytes;
    bool truncated = false; // longer than the limit; bytes holds its beginning
    bool fromThisUser = false;
};

class DatagramSocket {
public:
    // Binds a new socket at path (mode 0600). A socket file left there by a program that has
    // ended is replaced; a socket that some program still reads, or a file of another kind,
    // gives EADDRINUSE. Throws SocketError naming the path.
    explicit DatagramSocket(std::string path);
    // Closes the socket and removes its file (unless another has replaced it meanwhile).
    ~DatagramSocket();
    DatagramSocket(const DatagramSocket&) = delete;
    DatagramSocket& operator=(const DatagramSocket&) = delete;

    const std::string& path() const { return path_; }

    // The next pending datagram, at most `limit` bytes of it, or nothing when none is pending.
    // fromThisUser tells whether the kernel names this program's effective user as its sender.
    std::optional<Datagram> receive(std::size_t limit);

private:
    std::string path_;
    int fd_ = -1;
    ino_t inode_ = 0;
    std::vector<char> buffer_;
};

} // namespace platform::os
