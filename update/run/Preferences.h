#pragma once

// The preferences of Catalex (TCXIniParams). Versions from "3.0" on keep them in the registry
// key HKLM "Software\Korvel\Catalex\<version>\Preference"; older versions (and an unknown
// version) in the file catalex.ini of the Catalex folder, which is only ever read.

#include "update/run/UpdaterState.h"

#include <string>

namespace update::run {

// Defaults of the ini file, and the fall-backs of a registry text that is not an integer.
inline constexpr const char* kDefaultPathSlaid = "picture";
inline constexpr const char* kDefaultFontName = "Rararazorud";
inline constexpr int kDefaultSwapLine = 20;
inline constexpr int kDefaultScriptTimeOut = 30000;
inline constexpr int kDefaultFontSize = 8;
inline constexpr int kSaveDays = 3;

// Fills state.Preferences for the Catalex version; the ini file is looked for in
// state.CatalexFolder (the current folder when that is empty).
//
// Registry: FlagAutoLogon and FlagDebugger are true when "TRUE" in any letter case (absent:
// false); PathSlaid, PathTemp, PathDocument and FontName are taken when present; SaveDays is 3;
// SwapLine, ScriptTimeOut and FontSize take an integer value, else a text value as a decimal
// integer (20, 30000, 8 when it is none), else stay unchanged.
//
// Ini file, when it exists (section and key names in any letter case; defaults in brackets):
// [user] FlagWinUser ("false") gives AutoLogon when "TRUE" in any letter case; [path]
// PathSlaid ("picture"), PathTemp (""), PathDocument (""); SaveDays 3; [Debugger] FlagDebugger
// ("false") as AutoLogon; [user] SwapLine (20, also for a value that is not an integer);
// [Script] Timeout (30000) into ScriptTimeOut; [font] FontName ("Rararazorud"), FontSize (8).
// A file that exists but cannot be read gives the defaults.
void ReadPreferences(TBaseState& state, const std::string& version);

} // namespace update::run
