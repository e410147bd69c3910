#include "update/run/ConfigSettings.h"

#include "platform/text/Text.h"

#include <cctype>
#include <charconv>

namespace update::run {

namespace {

using platform::text::asciiUpper;
using platform::xml::Element;

bool isTrueFlag(const Element& element, std::string_view attribute) {
    return asciiUpper(element.attribute(attribute)) == "TRUE";
}

// A decimal number as the class library reads a floating-point text: optional sign, digits
// with an optional fraction, an optional exponent.
std::optional<double> decimalNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
            return std::nullopt;
        }
    }
    const std::string_view digits = !text.empty() && text.front() == '-' ? text.substr(1) : text;
    // from_chars would also take "inf" and "nan", which are no numbers here.
    if (digits.empty() ||
        !(std::isdigit(static_cast<unsigned char>(digits.front())) || digits.front() == '.')) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// The FORM element. Returns when SHOW_INFO does not convert; what was assigned stays.
void readForm(const Element& form, TBaseState& state) {
    state.FormCaption = form.attribute("FORM_CAPTION");
    const auto showInfo = textToBool(form.attribute("SHOW_INFO"));
    if (!showInfo) {
        return;
    }
    state.ShowInfo = *showInfo;
    state.InfoFile = form.attribute("INFO_FILE");
}

} // namespace

std::optional<bool> textToBool(std::string_view text) {
    const std::string trimmed = platform::text::trimBlanks(text);
    if (const auto number = decimalNumber(trimmed)) {
        return *number != 0.0;
    }
    if (platform::text::equalsNoCase(text, "True")) {
        return true;
    }
    if (platform::text::equalsNoCase(text, "False")) {
        return false;
    }
    return std::nullopt;
}

void readSettings(const platform::xml::Document& document, TBaseState& state) {
    const Element root = document.root();
    if (!root || root.name() != "ROOT") {
        return;
    }
    const Element settings = root.child("SETTINGS");
    if (!settings) {
        return;
    }

    if (const Element updates = settings.child("UPDATES")) {
        state.AlwaysUpdateDb = isTrueFlag(updates, "ALWAYS_UPDATE_DB");
        state.NoUpdateConf = isTrueFlag(updates, "NO_UPDATE_CONF");
    } else {
        state.AlwaysUpdateDb = false;
        state.NoUpdateConf = false;
    }

    if (const Element versions = settings.child("VERSIONS")) {
        state.StartDbVersions =
            platform::text::trimBlanks(versions.attribute("START_BD_VERSION")) + ";";
        state.ResultDbVersion = versions.attribute("RESULT_BD_VERSION");
    } else if (const Element form = settings.child("FORM")) {
        readForm(form, state);
    }
}

} // namespace update::run
