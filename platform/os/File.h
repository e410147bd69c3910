#pragma once

// Reading whole files.

#include <stdexcept>
#include <string>

namespace platform::os {

// A file that could not be opened or read. what() is the system's reason; error() the errno
// value, opening() whether the open itself failed (ENOENT then means there is no such file).
class FileError : public std::runtime_error {
public:
    FileError(int error, bool opening);
    int error() const { return error_; }
    bool opening() const { return opening_; }

private:
    int error_;
    bool opening_;
};

// The whole content of a file, bytes as stored. A folder cannot be read (EISDIR).
// Throws FileError.
std::string readWholeFile(const std::string& path);

} // namespace platform::os
