#pragma once

// Reading and writing whole files.

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

// Replaces the content of a file atomically: the bytes go to a new file in the same folder,
// which then takes the file's name, so that a reader sees the old content or the new one and
// never a part. A symbolic link is followed to the file it names (the link stays); a file that
// is replaced keeps its mode (and its owner where the system allows); a new file gets mode
// 0666 less the umask. Throws FileError (opening() true when the new file could not be made).
void replaceWholeFile(const std::string& path, const std::string& bytes);

} // namespace platform::os
