#include "update/run/InstallFolders.h"

#include "platform/os/Os.h"
#include "platform/registry/Registry.h"
#include "platform/text/Text.h"

namespace update::run {

namespace {

using platform::registry::readStringValue;
using platform::registry::Root;

std::string asFolder(const std::string& value) {
    return platform::os::withTrailingDelimiter(platform::text::trimControls(value));
}

std::string folderOfVersion(const std::string& productKey, const std::string& version) {
    const char* name = isOldVersion(version) ? "Directory" : "InstallPath";
    const auto value = readStringValue(Root::LocalMachine, productKey + "\\" + version, name);
    return value ? asFolder(*value) : std::string();
}

} // namespace

bool isOldVersion(const std::string& version) {
    return version < std::string("3.0");
}

std::string installFolder(const std::string& productKey, const std::string& version) {
    if (!version.empty()) {
        return folderOfVersion(productKey, version);
    }
    if (const auto current = readStringValue(Root::LocalMachine, productKey, "CurrentVersion")) {
        return folderOfVersion(productKey, *current);
    }
    const auto directory = readStringValue(Root::LocalMachine, productKey, "Directory");
    return directory ? asFolder(*directory) : std::string();
}

std::string GetCatalexFolder(const std::string& version) {
    return installFolder(kCatalexKey, version);
}

std::string GetPlexarFolder(const std::string& version) {
    return installFolder(kPlexarKey, version);
}

std::string GetOracleHome() {
    return {};
}

} // namespace update::run
