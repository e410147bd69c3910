#include "update/run/SystemFolders.h"

#include "platform/os/Os.h"
#include "platform/registry/Registry.h"

#include <optional>

namespace update::run {

namespace {

using platform::os::withTrailingDelimiter;
using platform::registry::Root;

std::optional<std::string> nonEmptyEnvironment(const std::string& name) {
    auto value = platform::os::environment(name);
    if (value && value->empty()) {
        value.reset();
    }
    return value;
}

// The registry value as a folder, or the fallback when the store does not hold it.
std::string folderFromRegistry(const char* valueName, const char* fallback) {
    const auto value =
        platform::registry::readStringValue(Root::LocalMachine, kCurrentVersionKey, valueName);
    return value ? withTrailingDelimiter(*value) : std::string(fallback);
}

} // namespace

std::string temporaryFolder() {
    if (auto temp = nonEmptyEnvironment("TEMP")) {
        return withTrailingDelimiter(*temp);
    }
    if (auto tmpdir = nonEmptyEnvironment("TMPDIR")) {
        return withTrailingDelimiter(*tmpdir);
    }
    return "/tmp/";
}

void readSystemFolders(TBaseState& state) {
    state.WindowsFolder = kWindowsFolder;
    state.SystemFolder = kSystemFolder;
    state.TempFolder = temporaryFolder();
    state.ProgramFilesFolder = folderFromRegistry("ProgramFilesDir", kDefaultProgramFilesFolder);
    state.CommonFilesFolder = folderFromRegistry("CommonFilesDir", kDefaultCommonFilesFolder);
    state.SharedFolder = state.CommonFilesFolder + "Korvel Shared/";
}

} // namespace update::run
