#include "platform/db/firebird/FirebirdLocation.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace platform::db::firebird {

namespace {

bool isServerPart(std::string_view part) {
    const auto slash = part.find('/');
    if (slash == std::string_view::npos) {
        return !part.empty();
    }
    const std::string_view host = part.substr(0, slash);
    const std::string_view port = part.substr(slash + 1);
    return !host.empty() && !port.empty() && std::all_of(port.begin(), port.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

} // namespace

FirebirdLocation parseFirebirdLocation(const std::string& location) {
    FirebirdLocation result;
    const auto colon = location.find(':');
    if (colon != std::string::npos && isServerPart(std::string_view(location).substr(0, colon))) {
        result.onServer = true;
        result.server = location.substr(0, colon);
        result.path = location.substr(colon + 1);
    } else {
        result.path = location;
    }
    return result;
}

} // namespace platform::db::firebird
