#include "update/external/RunChildProgram.h"

#include "platform/os/ChildProcess.h"
#include "platform/os/CommandLine.h"
#include "update/run/PasswordMask.h"
#include "update/run/RunLog.h"

#include <cstring>
#include <sys/stat.h>

namespace update::external {
namespace {

// The folder of a program path when it exists, else the empty text (the current folder).
std::string workingFolderOf(const std::string& program) {
    const std::size_t slash = program.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    const std::string folder = slash == 0 ? std::string("/") : program.substr(0, slash);
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? folder : std::string();
}

} // namespace

bool RunChildProgram(update::run::RunContext& context, const std::string& program,
                     const std::string& arguments) {
    std::vector<std::string> argv{program};
    for (std::string& argument : platform::os::splitCommandLine(arguments)) {
        argv.push_back(std::move(argument));
    }
    platform::os::ChildProcess child;
    const int error = child.start(program, argv, workingFolderOf(program));
    if (error != 0) {
        update::run::WriteLogEntry(context,
                                   update::run::maskPasswordArgument(program + " " + arguments),
                                   std::strerror(error));
        return false;
    }
    platform::os::WaitOutcome outcome = platform::os::WaitOutcome::TimedOut;
    do {
        outcome = child.wait(std::chrono::milliseconds(kChildWaitStepMs));
        context.host.processMessages();
    } while (outcome == platform::os::WaitOutcome::TimedOut);
    return true;
}

} // namespace update::external
