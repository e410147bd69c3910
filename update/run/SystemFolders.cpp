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

// The registry value as a folder, when the store gives it.
std::optional<std::string> folderFromRegistry(const char* valueName) {
    auto value =
        platform::registry::readStringValue(Root::LocalMachine, kCurrentVersionKey, valueName);
    if (value) {
        value = withTrailingDelimiter(*value);
    }
    return value;
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
    if (auto programFiles = folderFromRegistry("ProgramFilesDir")) {
        state.ProgramFilesFolder = std::move(*programFiles);
    }
    if (auto commonFiles = folderFromRegistry("CommonFilesDir")) {
        state.CommonFilesFolder = std::move(*commonFiles);
        state.SharedFolder = state.CommonFilesFolder + "Korvel Shared/";
    }
}

} // namespace update::run
