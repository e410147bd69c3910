#include "update/run/InstallFolders.h"

#include "platform/os/Os.h"
#include "platform/registry/Registry.h"
#include "platform/text/Text.h"

namespace update::run {

namespace {

using platform::registry::ReadRegString;
using platform::registry::Root;

bool readValue(const std::string& key, const char* name, std::string& value) {
    return ReadRegString(Root::LocalMachine, key, name, value) == platform::registry::kSuccess;
}

std::string asFolder(const std::string& value) {
    return platform::os::withTrailingDelimiter(platform::text::trimControls(value));
}

std::string folderOfVersion(const std::string& productKey, const std::string& version) {
    const char* name = isOldVersion(version) ? "Directory" : "InstallPath";
    std::string value;
    if (readValue(productKey + "\\" + version, name, value)) {
        return asFolder(value);
    }
    return {};
}

} // namespace

bool isOldVersion(const std::string& version) {
    return version < std::string("3.0");
}

std::string GetInstallFolder(const std::string& productKey, const std::string& version) {
    if (!version.empty()) {
        return folderOfVersion(productKey, version);
    }
    std::string current;
    if (readValue(productKey, "CurrentVersion", current)) {
        return folderOfVersion(productKey, current);
    }
    std::string directory;
    if (readValue(productKey, "Directory", directory)) {
        return asFolder(directory);
    }
    return {};
}

std::string GetCatalexFolder(const std::string& version) {
    return GetInstallFolder(kCatalexKey, version);
}

std::string GetPlexarFolder(const std::string& version) {
    return GetInstallFolder(kPlexarKey, version);
}

std::string GetOracleHome() {
    return {};
}

} // namespace update::run
