#pragma once

// Child programs: started with posix_spawn, awaited in steps so that the caller can do other
// work between them.

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform::os {

enum class WaitOutcome {
    Ended,    // the program has ended (and has been reaped)
    TimedOut, // still running
    Failed,   // the wait itself failed
};

// One started program. Not copyable; a program still running when the object goes away keeps
// running on its own.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `program` with `arguments` (the first one is the program's name as it sees it)
    // and this program's environment. The new process works in `workingFolder`, or in the
    // current folder when that is empty; it inherits standard input, output and error and no
    // other open file. A program path holding a '/' is taken relative to the current folder
    // (also when the working folder is another); a bare name is looked up on $PATH. Returns 0
    // or the errno value of the failure (ENOENT for a program that does not exist).
    int start(const std::string& program, const std::vector<std::string>& arguments,
              const std::string& workingFolder);

    // Waits up to `timeout` for the program to end.
    WaitOutcome wait(std::chrono::milliseconds timeout);

    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // The wait status (as waitpid gives it) once the program has ended.
    int status() const { return status_; }

private:
    bool reap(bool block);

    pid_t pid_ = -1;
    int pidFd_ = -1; // readable once the program has ended; -1 where the system has none
    int status_ = 0;
};

} // namespace platform::os
