#include "update/run/Placeholders.h"

#include "platform/text/Text.h"
#include "update/connect/ShiftCipher.h"

#include <array>
#include <optional>
#include <vector>

namespace update::run {
namespace {

struct Values {
    const TBaseState& state;
    std::string_view databaseType;
    std::uint32_t windowHandle;
    const update::connect::ShiftKeyTable& shiftKeys;
};

using Getter = std::string (*)(const Values&);

struct Placeholder {
    std::string_view name;
    Getter value;
};

std::string boolText(bool value) {
    return value ? "True" : "False";
}

// In the order in which names are compared.
constexpr std::array<Placeholder, 31> kPlaceholders{{
    {"<CXDIR>", [](const Values& v) { return v.state.CatalexFolder; }},
    {"<PLXDIR>", [](const Values& v) { return v.state.PlexarFolder; }},
    {"<WNDIR>", [](const Values& v) { return v.state.WnFolder; }},
    {"<USER>", [](const Values& v) { return v.state.UserName; }},
    {"<PASSWORD>", [](const Values& v) { return v.state.UserPassword; }},
    {"<GROUP>", [](const Values& v) { return v.state.UserGroup; }},
    {"<USER_SQL>", [](const Values& v) { return v.state.SqlUserName; }},
    {"<PASSWORD_SQL>", [](const Values& v) { return v.state.SqlPassword; }},
    {"<CURDIR>", [](const Values& v) { return v.state.ProgramFolder; }},
    {"<TEMPDIR>", [](const Values& v) { return v.state.TempFolder; }},
    {"<WINDIR>", [](const Values& v) { return v.state.WindowsFolder; }},
    {"<SYSDIR>", [](const Values& v) { return v.state.SystemFolder; }},
    {"<KRVCMNDIR>", [](const Values& v) { return v.state.SharedFolder; }},
    {"<PROGR_DIR>", [](const Values& v) { return v.state.ProgramFilesFolder; }},
    {"<COMMON_DIR>", [](const Values& v) { return v.state.CommonFilesFolder; }},
    {"<AUTOLOG>", [](const Values& v) { return boolText(v.state.Preferences.AutoLogon); }},
    {"<CXSLAIDDIR>", [](const Values& v) { return v.state.Preferences.PathSlaid; }},
    {"<CXTEMPDIR>", [](const Values& v) { return v.state.Preferences.PathTemp; }},
    {"<CXDOCDIR>", [](const Values& v) { return v.state.Preferences.PathDocument; }},
    {"<CXSAVEDAYS>", [](const Values& v) { return std::to_string(v.state.Preferences.SaveDays); }},
    {"<CXDEBUG>", [](const Values& v) { return boolText(v.state.Preferences.Debugger); }},
    {"<CXRECLOADCNT>",
     [](const Values& v) { return std::to_string(v.state.Preferences.SwapLine); }},
    {"<CXTIMEOUT>",
     [](const Values& v) { return std::to_string(v.state.Preferences.ScriptTimeOut); }},
    {"<FONTNAME>", [](const Values& v) { return v.state.Preferences.FontName; }},
    {"<FONTSIZE>", [](const Values& v) { return std::to_string(v.state.Preferences.FontSize); }},
    {"<BASETYPE>",
     [](const Values& v) {
         return v.databaseType == "INTRBASE" ? std::string("FIREBIRD")
                                             : std::string(v.databaseType);
     }},
    {"<CON_STRING>", [](const Values& v) { return v.state.SelectedConnectionString; }},
    // The shift cipher throws for a text that windows-1251 cannot hold; the whole expansion
    // then gives its argument unchanged.
    {"<USER_INI>",
     [](const Values& v) {
         return update::connect::ShiftEncode(v.state.DbUserName, 2, v.shiftKeys);
     }},
    {"<PASSWORD_INI>",
     [](const Values& v) {
         return update::connect::ShiftEncode(v.state.DbPassword, 2, v.shiftKeys);
     }},
    {"<HANDLE>", [](const Values& v) { return std::to_string(v.windowHandle); }},
    {"<ORA_HOME>", [](const Values& v) { return v.state.OracleHome; }},
}};

std::optional<std::string> placeholderValue(const Values& values, std::string_view token) {
    for (const Placeholder& placeholder : kPlaceholders) {
        if (placeholder.name == token) {
            return placeholder.value(values);
        }
    }
    return std::nullopt;
}

// The longest placeholder name: a longer run from "<" to ">" is none.
constexpr std::size_t kLongestName = [] {
    std::size_t longest = 0;
    for (const Placeholder& placeholder : kPlaceholders) {
        longest = placeholder.name.size() > longest ? placeholder.name.size() : longest;
    }
    return longest;
}();

// Each character of the text being expanded carries a depth: 0 for the argument's own
// characters, 1 for a value inserted for a placeholder of the argument, 2 for a value inserted
// for a placeholder found inside a depth-1 value. A "<" of depth 2 never starts a placeholder,
// so no value is expanded twice over and the scan ends on every input.
constexpr unsigned char kDeepestScanned = 1;

// The part of the text that the scan has not passed yet, kept back to front so that the
// characters at the scan position can be taken, replaced or put in front in time that does not
// depend on the length of the rest. Indices count from the far end of the text, so they stay
// valid while the front changes.
class Unscanned {
public:
    explicit Unscanned(std::string_view text)
        : chars_(text.rbegin(), text.rend()), depths_(text.size(), 0) {
        for (std::size_t i = 0; i < chars_.size(); ++i) {
            if (chars_[i] == '>') {
                closes_.push_back(i);
            }
        }
    }

    std::size_t size() const { return chars_.size(); }
    // Index of the character at the scan position.
    std::size_t front() const { return chars_.size() - 1; }
    char at(std::size_t index) const { return chars_[index]; }
    unsigned char depthAt(std::size_t index) const { return depths_[index]; }
    void set(std::size_t index, char c) { chars_[index] = c; }

    // Index of the first ">" from the scan position on, if there is one.
    std::optional<std::size_t> nearestClose() const {
        if (closes_.empty()) {
            return std::nullopt;
        }
        return closes_.back();
    }

    // Removes n characters at the scan position.
    void drop(std::size_t n) {
        const std::size_t rest = chars_.size() - n;
        while (!closes_.empty() && closes_.back() >= rest) {
            closes_.pop_back();
        }
        chars_.resize(rest);
        depths_.resize(rest);
    }
    // Removes the character at the scan position and gives it.
    char take() {
        const char c = chars_.back();
        drop(1);
        return c;
    }
    // Puts a text in front of the scan position.
    void insert(std::string_view text, unsigned char depth) {
        for (auto c = text.rbegin(); c != text.rend(); ++c) {
            if (*c == '>') {
                closes_.push_back(chars_.size());
            }
            chars_.push_back(*c);
            depths_.push_back(depth);
        }
    }
    // The rest in text order.
    void appendTo(std::string& out) const { out.append(chars_.rbegin(), chars_.rend()); }

private:
    std::string chars_;
    std::vector<unsigned char> depths_;
    std::vector<std::size_t> closes_; // indices of every ">", the nearest last
};

char asciiUpperChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// One pass from the start of the text to its end. A run from a "<" to the first ">" after it
// that is longer than any name is only made upper case; all the "<" inside one such run share
// its ">", so the run is made upper case once, when its first "<" is met, and the work stays
// proportional to the length of the text and of the values inserted.
std::string expand(const Values& values, std::string_view text) {
    std::string out;
    out.reserve(text.size());
    Unscanned work(text);
    // Index of the ">" whose run is upper case from the scan position to it, if any.
    std::optional<std::size_t> upperRunClose;
    while (work.size() > 1) { // the last character never starts a placeholder
        const std::size_t pos = work.front();
        if (work.at(pos) != '<' || work.depthAt(pos) > kDeepestScanned) {
            out.push_back(work.take());
            continue;
        }
        const std::optional<std::size_t> close = work.nearestClose();
        if (!close) {
            break; // the rest stays as it is
        }
        const std::size_t length = pos - *close + 1;
        if (length > kLongestName) {
            if (upperRunClose != close) {
                for (std::size_t i = *close; i <= pos; ++i) {
                    work.set(i, asciiUpperChar(work.at(i)));
                }
                upperRunClose = close;
            }
            out.push_back(work.take());
            continue;
        }
        std::string token(length, '\0');
        for (std::size_t k = 0; k < length; ++k) {
            token[k] = asciiUpperChar(work.at(pos - k));
        }
        const std::optional<std::string> value = placeholderValue(values, token);
        if (!value) {
            // Not a placeholder: the same characters, upper case, keep their depths.
            for (std::size_t k = 0; k < length; ++k) {
                work.set(pos - k, token[k]);
            }
            out.push_back(work.take());
            continue;
        }
        const auto insertedDepth = static_cast<unsigned char>(work.depthAt(pos) + 1);
        work.drop(length);
        work.insert(*value, insertedDepth);
        upperRunClose.reset();
        // Scanning goes on from the value's second character; after an empty value it goes on
        // with the character that followed the placeholder.
        if (!value->empty()) {
            out.push_back(work.take());
        }
    }
    work.appendTo(out);
    return out;
}

} // namespace

std::string ExpandPlaceholders(const TBaseState& state, std::string_view databaseType,
                               std::uint32_t windowHandle,
                               const update::connect::ShiftKeyTable& shiftKeys,
                               std::string_view text) {
    try {
        return expand(Values{state, databaseType, windowHandle, shiftKeys}, text);
    } catch (const platform::text::TextError&) {
        // A user name or password of the database page that windows-1251 cannot hold.
        return std::string(text);
    }
}

std::string ExpandPlaceholders(const RunContext& context, std::string_view text) {
    return ExpandPlaceholders(context.UpdaterState, context.DatabaseType,
                              context.host.windowHandle(), context.shiftKeys, text);
}

} // namespace update::run
