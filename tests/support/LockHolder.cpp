#include "tests/support/LockHolder.h"

#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

LockHolder::LockHolder(const std::string& path, std::chrono::milliseconds hold) {
    int ready[2];
    if (pipe(ready) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        close(ready[0]);
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0 || flock(fd, LOCK_EX) != 0) {
            _exit(1);
        }
        const char c = 'L';
        if (write(ready[1], &c, 1) != 1) {
            _exit(1);
        }
        std::this_thread::sleep_for(hold);
        _exit(0);
    }
    close(ready[1]);
    char c = 0;
    const bool locked = read(ready[0], &c, 1) == 1;
    close(ready[0]);
    if (!locked) {
        waitpid(pid_, nullptr, 0);
        throw std::runtime_error("the child could not lock " + path);
    }
}

LockHolder::~LockHolder() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

} // namespace testsupport
