#include "update/connect/uValList.h"

#include "platform/text/Text.h"

namespace update::connect {

void TValItem::AssignValue(std::string_view value) {
    if (value == "\"\"") {
        Value.clear();
    } else {
        Value = std::string(value);
    }
}

void TValList::Clear() {
    while (!Items_.empty()) {
        Items_.pop_back();
    }
}

std::size_t TValList::find(std::string_view name) const {
    const std::string wanted = platform::text::localeUpper(name);
    for (std::size_t i = Items_.size(); i > 0; --i) {
        if (platform::text::localeUpper(Items_[i - 1]->Name) == wanted) {
            return i - 1;
        }
    }
    return Items_.size();
}

void TValList::append(std::string_view name, std::string_view value) {
    auto item = std::make_unique<TValItem>();
    item->Name = std::string(name);
    item->AssignValue(value);
    Items_.push_back(std::move(item));
}

std::string TValList::GetValue(std::string_view name) const {
    const std::size_t index = find(name);
    return index < Items_.size() ? Items_[index]->Value : std::string();
}

void TValList::SetValue(std::string_view name, std::string_view value) {
    const std::size_t index = find(name);
    if (index < Items_.size()) {
        Items_[index]->AssignValue(value);
    } else if (!value.empty()) {
        append(name, value);
    }
}

void TValList::RemoveValue(std::string_view name) {
    const std::size_t index = find(name);
    if (index < Items_.size()) {
        Items_.erase(Items_.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

std::string TValList::BuildText() const {
    std::string text;
    for (const auto& item : Items_) {
        text += item->Name;
        text += '=';
        text += item->Value;
        text += ';';
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

void TValList::ParseText(std::string_view text) {
    Clear();
    std::string_view s = text;
    for (;;) {
        const std::size_t semi = s.find(';');
        const std::size_t eq = s.find('=');
        if (eq != std::string_view::npos && (semi == std::string_view::npos || semi > eq)) {
            const std::size_t end = semi == std::string_view::npos ? s.size() : semi;
            append(s.substr(0, eq), s.substr(eq + 1, end - eq - 1));
        }
        if (semi == std::string_view::npos) {
            break;
        }
        s.remove_prefix(semi + 1);
    }
}

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
