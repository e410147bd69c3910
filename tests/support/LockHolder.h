#pragma once

// Another process that holds an exclusive flock() on a file, as a second program using the
// same file would.

#include <chrono>
#include <string>
#include <sys/types.h>

namespace testsupport {

class LockHolder {
public:
    // Returns once the child holds the lock on path (created when missing). It keeps it for
    // hold, or until the object goes away.
    explicit LockHolder(const std::string& path,
                        std::chrono::milliseconds hold = std::chrono::hours(1));
    ~LockHolder();
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

private:
    pid_t pid_ = -1;
};

} // namespace testsupport
