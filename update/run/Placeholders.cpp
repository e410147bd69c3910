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

// Each character of the text being expanded carries a depth: 0 for the argument's own
// characters, 1 for a value inserted for a placeholder of the argument, 2 for a value inserted
// for a placeholder found inside a depth-1 value. A "<" of depth 2 never starts a placeholder,
// so no value is expanded twice over and the scan ends on every input.
constexpr unsigned char kDeepestScanned = 1;

std::string expand(const Values& values, std::string_view text) {
    std::string work(text);
    std::vector<unsigned char> depth(work.size(), 0);
    std::size_t pos = 0;
    while (pos + 1 < work.size()) {
        if (work[pos] != '<' || depth[pos] > kDeepestScanned) {
            ++pos;
            continue;
        }
        const std::size_t close = work.find('>', pos);
        if (close == std::string::npos) {
            break;
        }
        const std::size_t length = close - pos + 1;
        const std::string token =
            platform::text::asciiUpper(std::string_view(work).substr(pos, length));
        const std::optional<std::string> value = placeholderValue(values, token);
        if (!value) {
            // Not a placeholder: the same characters, upper case, keep their depths.
            work.replace(pos, length, token);
            ++pos;
            continue;
        }
        const auto insertedDepth = static_cast<unsigned char>(depth[pos] + 1);
        work.replace(pos, length, *value);
        depth.erase(depth.begin() + static_cast<std::ptrdiff_t>(pos),
                    depth.begin() + static_cast<std::ptrdiff_t>(pos + length));
        depth.insert(depth.begin() + static_cast<std::ptrdiff_t>(pos), value->size(),
                     insertedDepth);
        // Scanning goes on from the value's second character; after an empty value it goes on
        // with the character that followed the placeholder.
        if (!value->empty()) {
            ++pos;
        }
    }
    return work;
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
