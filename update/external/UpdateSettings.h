#pragma once

// The settings update of Plexar: the programs named by the elements of CONFIG_UPDATE in
// updcfg.xml, run one after another, the configuration tool after a settings file of its own.

#include "platform/xml/Xml.h"
#include "update/run/RunContext.h"

namespace update::external {

// The programs of the two fixed element types, relative to the Plexar install folder.
inline constexpr const char* kSettingsToolProgram = "Manager/PxConfig.exe"; // UPDATE_TYPE "0"
inline constexpr const char* kPlexarProgram = "Bin/Plexar.exe";             // UPDATE_TYPE "1"

// Where a settings program leaves a failure report, under HKEY_CURRENT_USER.
inline constexpr const char* kMessagesKey = "Software\\Korvel\\Deplox\\Messages";
inline constexpr const char* kMessageErrorValue = "ExecProcMessageError";

// Runs every child element of CONFIG_UPDATE in document order. The bar runs from 0 to the
// total of the elements' TIME_PERCENT shares (read with a comma or a point); each element
// owns its share, its program moves the bar within it, and after the element the bar stands
// at the running total. True when every program could be started and no element left a
// failure: neither a report in the registry nor a failure message not cleared by a success
// message. A TIME_PERCENT that is not a number throws std::runtime_error before any program
// runs; so does a settings file that cannot be written.
bool UpdateSettings(update::run::RunContext& context, const platform::xml::Element& configUpdate);

} // namespace update::external
