#include "update/run/Preferences.h"

#include "tests/update/run/StartFixture.h"
#include "update/run/LoadConfiguration.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace update::run {
namespace {

using starttest::StartTest;

const std::string kPreferenceKey =
    "[HKEY_LOCAL_MACHINE\\Software\\Korvel\\Catalex\\4.0\\Preference]\n";

// Preferences that no source here gives, to see which fields were written.
TCXIniParams earlierPreferences() {
    TCXIniParams p;
    p.AutoLogon = true;
    p.PathSlaid = "earlier slaid";
    p.PathTemp = "earlier temp";
    p.PathDocument = "earlier doc";
    p.SaveDays = -1;
    p.Debugger = true;
    p.SwapLine = -2;
    p.ScriptTimeOut = -3;
    p.FontName = "earlier font";
    p.FontSize = -4;
    return p;
}

struct IntegerCase {
    const char* name;
    std::string valueLine; // of the Preference key; empty: no value
    std::int32_t swapLine, scriptTimeOut, fontSize;
};

void PrintTo(const IntegerCase& c, std::ostream* os) {
    *os << c.name;
}

class RegistryIntegerPreference : public StartTest,
                                  public testing::WithParamInterface<IntegerCase> {};

TEST_P(RegistryIntegerPreference, TakesAnIntegerThenATextThenKeepsTheField) {
    const IntegerCase& c = GetParam();
    std::string store = kPreferenceKey;
    for (const char* name : {"SwapLine", "ScriptTimeOut", "FontSize"}) {
        if (!c.valueLine.empty()) {
            store += "\"" + std::string(name) + "\"=" + c.valueLine + "\n";
        }
    }
    putStore(store + "\n");
    TBaseState s;
    s.Preferences = earlierPreferences();
    ReadPreferences(s, "4.0");
    EXPECT_EQ(s.Preferences.SwapLine, c.swapLine);
    EXPECT_EQ(s.Preferences.ScriptTimeOut, c.scriptTimeOut);
    EXPECT_EQ(s.Preferences.FontSize, c.fontSize);
}

INSTANTIATE_TEST_SUITE_P(Values, RegistryIntegerPreference,
                         testing::Values(IntegerCase{"Dword", "dword:00000005", 5, 5, 5},
                                         IntegerCase{"NegativeDword", "dword:ffffffff", -1, -1, -1},
                                         IntegerCase{"DecimalText", "\"12\"", 12, 12, 12},
                                         IntegerCase{"NegativeText", "\"-7\"", -7, -7, -7},
                                         IntegerCase{"TextNotANumber", "\"x\"", 20, 30000, 8},
                                         IntegerCase{"EmptyText", "\"\"", 20, 30000, 8},
                                         IntegerCase{"TextOutOfRange", "\"4294967296\"", 20, 30000,
                                                     8},
                                         IntegerCase{"Binary", "hex:05,00,00,00", -2, -3, -4},
                                         IntegerCase{"Absent", "", -2, -3, -4}),
                         [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(StartTest, RegistryPreferencesOfANewVersion) {
    putStore(kPreferenceKey + "\"FlagAutoLogon\"=\"true\"\n\"PathSlaid\"=\"/srv/pictures\"\n"
                              "\"FontName\"=\"Arial\"\n\"FlagDebugger\"=\"yes\"\n\n");
    TBaseState s;
    s.Preferences = earlierPreferences();
    s.Preferences.AutoLogon = false;
    ReadPreferences(s, "4.0");
    const TCXIniParams& p = s.Preferences;
    EXPECT_TRUE(p.AutoLogon);
    EXPECT_EQ(p.PathSlaid, "/srv/pictures");
    EXPECT_EQ(p.PathTemp, "earlier temp");
    EXPECT_EQ(p.PathDocument, "earlier doc");
    EXPECT_EQ(p.SaveDays, 3);
    EXPECT_FALSE(p.Debugger);
    EXPECT_EQ(p.FontName, "Arial");
}

TEST_F(StartTest, AbsentRegistryFlagsAreFalse) {
    TBaseState s;
    s.Preferences = earlierPreferences();
    ReadPreferences(s, "3.0");
    EXPECT_FALSE(s.Preferences.AutoLogon);
    EXPECT_FALSE(s.Preferences.Debugger);
    EXPECT_EQ(s.Preferences.SaveDays, 3);
    EXPECT_EQ(s.Preferences.PathSlaid, "earlier slaid");
}

class IniPreferences : public StartTest {
protected:
    testsupport::TempDir catalexDir;
    TBaseState state;

    IniPreferences() {
        state.CatalexFolder = catalexDir.str() + "/";
        state.Preferences = earlierPreferences();
    }
    void writeIni(const std::string& bytes) const {
        testsupport::writeFile(catalexDir / "catalex.ini", bytes);
    }
};

TEST_F(IniPreferences, AnIniWithoutTheKeysGivesTheDefaults) {
    writeIni("[other]\nx=1\n");
    ReadPreferences(state, "");
    const TCXIniParams& p = state.Preferences;
    EXPECT_FALSE(p.AutoLogon);
    EXPECT_EQ(p.PathSlaid, "picture");
    EXPECT_EQ(p.PathTemp, "");
    EXPECT_EQ(p.PathDocument, "");
    EXPECT_EQ(p.SaveDays, 3);
    EXPECT_FALSE(p.Debugger);
    EXPECT_EQ(p.SwapLine, 20);
    EXPECT_EQ(p.ScriptTimeOut, 30000);
    EXPECT_EQ(p.FontName, "Rararazorud");
    EXPECT_EQ(p.FontSize, 8);
}

TEST_F(IniPreferences, ValuesAreReadWithNamesInAnyCaseFromAWindows1251File) {
    // "Шрифт" and "Рисунки" in windows-1251.
    writeIni("[USER]\r\nflagwinuser=True\r\nSWAPLINE=50\r\n"
             "[Path]\r\npathslaid=\xD0\xE8\xF1\xF3\xED\xEA\xE8\r\nPathTemp=/var/tmp/cx\r\n"
             "PATHDOCUMENT=/srv/docs\r\n"
             "[debugger]\r\nFLAGDEBUGGER=TRUE\r\n"
             "[SCRIPT]\r\ntimeout=600\r\n"
             "[Font]\r\nfontname=\xD8\xF0\xE8\xF4\xF2\r\nFONTSIZE=10\r\n");
    ReadPreferences(state, "2.0");
    const TCXIniParams& p = state.Preferences;
    EXPECT_TRUE(p.AutoLogon);
    EXPECT_EQ(p.PathSlaid, "Рисунки");
    EXPECT_EQ(p.PathTemp, "/var/tmp/cx");
    EXPECT_EQ(p.PathDocument, "/srv/docs");
    EXPECT_EQ(p.SaveDays, 3);
    EXPECT_TRUE(p.Debugger);
    EXPECT_EQ(p.SwapLine, 50);
    EXPECT_EQ(p.ScriptTimeOut, 600);
    EXPECT_EQ(p.FontName, "Шрифт");
    EXPECT_EQ(p.FontSize, 10);
}

TEST_F(IniPreferences, IntegersThatAreNotNumbersGiveTheDefaults) {
    writeIni("[user]\nSwapLine=many\n[Script]\nTimeout=\n[font]\nFontSize=8pt\n");
    ReadPreferences(state, "");
    EXPECT_EQ(state.Preferences.SwapLine, 20);
    EXPECT_EQ(state.Preferences.ScriptTimeOut, 30000);
    EXPECT_EQ(state.Preferences.FontSize, 8);
}

TEST_F(IniPreferences, WithoutTheFileNothingChanges) {
    ReadPreferences(state, "");
    EXPECT_EQ(state.Preferences.PathSlaid, "earlier slaid");
    EXPECT_EQ(state.Preferences.SaveDays, -1);
    EXPECT_EQ(state.Preferences.SwapLine, -2);
}

TEST_F(IniPreferences, ANewVersionIgnoresTheIniFile) {
    writeIni("[user]\nSwapLine=50\n");
    ReadPreferences(state, "4.0");
    EXPECT_EQ(state.Preferences.SwapLine, -2);
    EXPECT_EQ(state.Preferences.SaveDays, 3);
}

TEST_F(StartTest, VersionTenReadsTheIniFileOfItsDirectory) {
    testsupport::TempDir catalexDir;
    testsupport::writeFile(catalexDir / "catalex.ini", "[user]\nSwapLine=77\n");
    putString("Software\\Korvel\\Catalex", "CurrentVersion", "10.0");
    putString("Software\\Korvel\\Catalex\\10.0", "Directory", catalexDir.str());
    putString("Software\\Korvel\\Catalex\\10.0\\Preference", "SwapLine", "5");
    writeSettings("");
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_EQ(context.UpdaterState.CatalexFolder, catalexDir.str() + "/");
    EXPECT_EQ(context.UpdaterState.Preferences.SwapLine, 77);
    EXPECT_EQ(context.UpdaterState.Preferences.FontName, "Rararazorud");
}

} // namespace
} // namespace update::run
