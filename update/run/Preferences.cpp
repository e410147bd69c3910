#include "update/run/Preferences.h"

#include "platform/os/Os.h"
#include "platform/registry/Registry.h"
#include "platform/text/IniFile.h"
#include "platform/text/Text.h"
#include "update/run/InstallFolders.h"

#include <cstdint>
#include <optional>

namespace update::run {

namespace {

using platform::registry::kSuccess;
using platform::registry::ReadRegInteger;
using platform::registry::readStringValue;
using platform::registry::Root;
using platform::text::asciiUpper;

class PreferenceKey {
public:
    explicit PreferenceKey(std::string path) : path_(std::move(path)) {}

    std::optional<std::string> text(const char* name) const {
        return readStringValue(Root::LocalMachine, path_, name);
    }

    bool flag(const char* name) const {
        const auto value = text(name);
        return value && asciiUpper(*value) == "TRUE";
    }

    void textInto(const char* name, std::string& field) const {
        if (auto value = text(name)) {
            field = std::move(*value);
        }
    }

    // An integer value, else a text value as a decimal integer (fallback when it is none),
    // else the field is left alone.
    void integerInto(const char* name, std::int32_t fallback, std::int32_t& field) const {
        std::int32_t number = 0;
        if (ReadRegInteger(Root::LocalMachine, path_, name, number) == kSuccess) {
            field = number;
            return;
        }
        if (const auto value = text(name)) {
            field = platform::text::parseInt32(*value).value_or(fallback);
        }
    }

private:
    std::string path_;
};

void readFromRegistry(TCXIniParams& p, const std::string& version) {
    const PreferenceKey key(std::string(kCatalexKey) + "\\" + version + "\\Preference");
    p.AutoLogon = key.flag("FlagAutoLogon");
    key.textInto("PathSlaid", p.PathSlaid);
    key.textInto("PathTemp", p.PathTemp);
    key.textInto("PathDocument", p.PathDocument);
    p.SaveDays = kSaveDays;
    p.Debugger = key.flag("FlagDebugger");
    key.integerInto("SwapLine", kDefaultSwapLine, p.SwapLine);
    key.integerInto("ScriptTimeOut", kDefaultScriptTimeOut, p.ScriptTimeOut);
    key.textInto("FontName", p.FontName);
    key.integerInto("FontSize", kDefaultFontSize, p.FontSize);
}

platform::text::IniFile loadIni(const std::string& path) {
    try {
        return platform::text::IniFile::load(path);
    } catch (const platform::text::IniFileError&) {
        // The profile functions give their defaults for a file they cannot read.
        return platform::text::IniFile::parse("");
    }
}

void readFromIni(TCXIniParams& p, const std::string& path) {
    const platform::text::IniFile ini = loadIni(path);
    p.AutoLogon = asciiUpper(ini.readString("user", "FlagWinUser", "false")) == "TRUE";
    p.PathSlaid = ini.readString("path", "PathSlaid", kDefaultPathSlaid);
    p.PathTemp = ini.readString("path", "PathTemp", "");
    p.PathDocument = ini.readString("path", "PathDocument", "");
    p.SaveDays = kSaveDays;
    p.Debugger = asciiUpper(ini.readString("Debugger", "FlagDebugger", "false")) == "TRUE";
    p.SwapLine = ini.readInteger("user", "SwapLine", kDefaultSwapLine);
    p.ScriptTimeOut = ini.readInteger("Script", "Timeout", kDefaultScriptTimeOut);
    p.FontName = ini.readString("font", "FontName", kDefaultFontName);
    p.FontSize = ini.readInteger("font", "FontSize", kDefaultFontSize);
}

} // namespace

void ReadPreferences(TBaseState& state, const std::string& version) {
    if (!isOldVersion(version)) {
        readFromRegistry(state.Preferences, version);
        return;
    }
    const std::string iniPath = state.CatalexFolder + "catalex.ini";
    if (platform::os::fileExists(iniPath)) {
        readFromIni(state.Preferences, iniPath);
    }
}

} // namespace update::run
