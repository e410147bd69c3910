#include "platform/text/Text.h"
#include "update/connect/uValList.h"

namespace update::connect {

namespace {

// The connection string being edited, kept twice with the same length: as typed, and as the
// key search sees it (the typed text with ASCII letters in lower case, the values put in from
// the SQL account exactly as given). Keys are searched in the second and every edit is made to
// both, so the search finds what it always found while the text keeps its case.
struct Edited {
    std::string shown;
    std::string probe;
};

void substituteKey(Edited& s, std::string_view key, std::string& value) {
    const std::size_t p = s.probe.find(key);
    if (p == std::string::npos) {
        return;
    }
    const std::size_t restStart = p + key.size();
    const std::size_t q = s.probe.find(';', restStart);
    const std::size_t tailStart = q == std::string::npos ? s.probe.size() : q;

    std::string probeValue = value;
    if (platform::text::trimControls(value).empty()) {
        // Lower-casing ASCII letters keeps the length and every blank and control character,
        // so both copies trim to the same positions.
        auto takeOver = [&](const std::string& from) {
            std::string found = platform::text::trimControls(
                std::string_view(from).substr(restStart, tailStart - restStart));
            if (!found.empty() && found.front() == '=') {
                found.erase(0, 1);
            }
            return found;
        };
        value = takeOver(s.shown);
        probeValue = takeOver(s.probe);
    }
    const std::string newKey = std::string(key) + "=";
    s.shown = s.shown.substr(0, p) + newKey + value + s.shown.substr(tailStart);
    s.probe = s.probe.substr(0, p) + newKey + probeValue + s.probe.substr(tailStart);
}

} // namespace

std::string SubstituteCredentials(std::string_view text, std::string& sqlUser,
                                  std::string& sqlPassword) {
    Edited s{std::string(text), platform::text::asciiLower(text)};
    substituteKey(s, "user id", sqlUser);
    substituteKey(s, "password", sqlPassword);
    return platform::text::trimControls(s.shown);
}

} // namespace update::connect
