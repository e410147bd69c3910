#pragma once

// What the tests of child programs share: a run whose host drains a real message socket in a
// private runtime folder of the test, a registry store of the test, and shell scripts as child
// programs that report through the real update-notify.

#include "platform/os/Os.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempDir.h"
#include "update/run/ChildMessageReceiver.h"
#include "update/run/RunContext.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace testsupport {

// The folder of the programs of the build (update-notify, update-reg).
inline std::string toolsFolder() {
    const auto folder = platform::os::environment("UPDATE_TOOLS_DIR");
    return folder ? platform::os::withTrailingDelimiter(*folder) : platform::os::programFolder();
}

// Writes an executable shell script; `body` follows the #!/bin/sh line. $NOTIFY names
// update-notify, $REG update-reg.
inline void writeScript(const std::filesystem::path& path, const std::string& body) {
    std::filesystem::create_directories(path.parent_path());
    writeFile(path, "#!/bin/sh\nNOTIFY='" + toolsFolder() + "update-notify'\nREG='" +
                        toolsFolder() + "update-reg'\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
}

class ChildFixture : public testing::Test {
protected:
    ChildFixture()
        : runtimeFolder(makePrivate(temp / "run")), runtimeEnv("XDG_RUNTIME_DIR", runtimeFolder),
          registryEnv("UPDATE_REGISTRY_DIR", (temp / "registry").string()), context(host),
          receiver(std::make_unique<update::run::ChildMessageReceiver>()) {
        host.setWindowHandle(receiver->handle());
        host.onProcessMessages = [this] { receiver->processPending(context); };
        context.UpdaterState.ProgramFolder = (temp / "package").string() + "/";
        context.UpdaterState.TempFolder = (temp / "tmp").string() + "/";
        std::filesystem::create_directories(temp / "package");
        std::filesystem::create_directories(temp / "tmp");
    }

    static std::string makePrivate(const std::filesystem::path& folder) {
        std::filesystem::create_directories(folder);
        ::chmod(folder.c_str(), 0700);
        return folder.string();
    }

    // The lines a script wrote to a file of the test folder, without their line ends.
    std::vector<std::string> linesOf(const std::string& name) const {
        std::vector<std::string> lines;
        std::string text = readFile(temp / name);
        std::size_t begin = 0;
        while (begin < text.size()) {
            std::size_t end = text.find('\n', begin);
            if (end == std::string::npos) {
                end = text.size();
            }
            lines.push_back(text.substr(begin, end - begin));
            begin = end + 1;
        }
        return lines;
    }

    TempDir temp;
    std::string runtimeFolder;
    ScopedEnv runtimeEnv;
    ScopedEnv registryEnv;
    testsupport::RecordingHost host;
    update::run::RunContext context;
    std::unique_ptr<update::run::ChildMessageReceiver> receiver;
};

} // namespace testsupport
