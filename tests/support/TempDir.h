#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    // Path of a file or folder inside this folder.
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Sets an environment variable for the life of the object and restores the previous value.
class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const std::string& value);
    // Unsets the variable for the life of the object.
    explicit ScopedEnv(const std::string& name);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    bool hadValue_ = false;
    std::string oldValue_;
};

// Writes a whole file (bytes as given).
void writeFile(const std::filesystem::path& path, const std::string& bytes);
// Reads a whole file (bytes as stored).
std::string readFile(const std::filesystem::path& path);

} // namespace testsupport
