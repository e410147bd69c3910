#include "update/run/VersionList.h"

#include <string>

namespace update::run {

bool versionInList(std::string_view version, std::string_view versionList) {
    std::string needle(version);
    needle += ';';
    return versionList.find(needle) != std::string_view::npos;
}

} // namespace update::run
