#include "platform/os/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace platform::os {
namespace {

// The program path as exec must see it once the child has changed its folder.
std::string executablePath(const std::string& program) {
    if (program.find('/') == std::string::npos || program.front() == '/') {
        return program;
    }
    std::string current(4096, '\0');
    while (::getcwd(current.data(), current.size()) == nullptr) {
        if (errno != ERANGE) {
            return program;
        }
        current.resize(current.size() * 2);
    }
    current.resize(current.find('\0'));
    return (current == "/" ? std::string() : current) + "/" + program;
}

class SpawnSettings {
public:
    SpawnSettings() {
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawnattr_init(&attributes);
    }
    ~SpawnSettings() {
        ::posix_spawn_file_actions_destroy(&actions);
        ::posix_spawnattr_destroy(&attributes);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;

    posix_spawn_file_actions_t actions{};
    posix_spawnattr_t attributes{};
};

} // namespace

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        reap(false);
    }
    if (pidFd_ >= 0) {
        ::close(pidFd_);
    }
}

int ChildProcess::start(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& workingFolder) {
    if (pid_ > 0 || program.empty()) {
        return pid_ > 0 ? EBUSY : ENOENT;
    }
    SpawnSettings settings;
    int error = 0;
    if (!workingFolder.empty()) {
        error = ::posix_spawn_file_actions_addchdir_np(&settings.actions, workingFolder.c_str());
    }
    // Nothing of this program's own but the three standard files reaches the child.
    if (error == 0) {
        error = ::posix_spawn_file_actions_addclosefrom_np(&settings.actions, 3);
    }
    // The child starts with no signal blocked and SIGPIPE at its default action, whatever
    // this program has done with them.
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    if (error == 0) {
        error = ::posix_spawnattr_setsigmask(&settings.attributes, &none);
    }
    if (error == 0) {
        error = ::posix_spawnattr_setsigdefault(&settings.attributes, &defaults);
    }
    if (error == 0) {
        error = ::posix_spawnattr_setflags(&settings.attributes,
                                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    if (error != 0) {
        return error;
    }
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const std::string path = executablePath(program);
    pid_t pid = -1;
    error = program.find('/') == std::string::npos
                ? ::posix_spawnp(&pid, path.c_str(), &settings.actions, &settings.attributes,
                                 argv.data(), environ)
                : ::posix_spawn(&pid, path.c_str(), &settings.actions, &settings.attributes,
                                argv.data(), environ);
    if (error != 0) {
        return error;
    }
    pid_ = pid;
    status_ = 0;
    pidFd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    return 0;
}

bool ChildProcess::reap(bool block) {
    int status = 0;
    pid_t got = -1;
    do {
        got = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (got < 0 && errno == EINTR);
    if (got == 0) {
        return false;
    }
    // Ended, or (ECHILD) reaped by somebody else.
    status_ = got == pid_ ? status : 0;
    pid_ = -1;
    if (pidFd_ >= 0) {
        ::close(pidFd_);
        pidFd_ = -1;
    }
    return true;
}

WaitOutcome ChildProcess::wait(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) {
        return WaitOutcome::Failed;
    }
    if (pidFd_ >= 0) {
        pollfd fd{pidFd_, POLLIN, 0};
        int ready = -1;
        do {
            ready = ::poll(&fd, 1, static_cast<int>(timeout.count()));
        } while (ready < 0 && errno == EINTR);
        if (ready < 0) {
            return WaitOutcome::Failed;
        }
        if (ready == 0) {
            return WaitOutcome::TimedOut;
        }
        return reap(true) ? WaitOutcome::Ended : WaitOutcome::Failed;
    }
    // Without a process descriptor: look in short steps.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (reap(false)) {
            return WaitOutcome::Ended;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return WaitOutcome::TimedOut;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace platform::os
