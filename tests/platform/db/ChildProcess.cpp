#include "tests/platform/db/ChildProcess.h"

#include <grp.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace dbtest {

std::string childProgram() {
    return DB_CHILD_PROGRAM;
}

ChildResult runChild(const std::vector<std::string>& args, const ChildOptions& options) {
    std::vector<std::string> argStore = args;
    std::vector<char*> argv;
    for (auto& a : argStore) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> envStore = options.environment;
    std::vector<char*> envp;
    for (auto& e : envStore) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);

    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t pid = fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        dup2(pipeFds[1], 1);
        dup2(pipeFds[1], 2);
        close(pipeFds[0]);
        close(pipeFds[1]);
        if (options.user) {
            if (setgroups(0, nullptr) != 0 || setgid(*options.user) != 0 ||
                setuid(*options.user) != 0) {
                _exit(126);
            }
        }
        if (options.environment.empty()) {
            execv(argv[0], argv.data());
        } else {
            execve(argv[0], argv.data(), envp.data());
        }
        _exit(127);
    }
    close(pipeFds[1]);
    ChildResult result;
    char buf[4096];
    ssize_t n = 0;
    while ((n = read(pipeFds[0], buf, sizeof buf)) > 0) {
        result.output.append(buf, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    return result;
}

} // namespace dbtest
