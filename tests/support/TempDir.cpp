#include "tests/support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace testsupport {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "update-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

ScopedEnv::ScopedEnv(const std::string& name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name.c_str())) {
        hadValue_ = true;
        oldValue_ = old;
    }
    setenv(name.c_str(), value.c_str(), 1);
}

ScopedEnv::ScopedEnv(const std::string& name) : name_(name) {
    if (const char* old = std::getenv(name.c_str())) {
        hadValue_ = true;
        oldValue_ = old;
    }
    unsetenv(name.c_str());
}

ScopedEnv::~ScopedEnv() {
    if (hadValue_) {
        setenv(name_.c_str(), oldValue_.c_str(), 1);
    } else {
        unsetenv(name_.c_str());
    }
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace testsupport
