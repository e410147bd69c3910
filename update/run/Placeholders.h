#pragma once

// Placeholders: upper-case names in angle brackets (<CXDIR>, <USER>, <HANDLE>, ...) in texts
// from the update configuration and the scripts, replaced by values of the run.

#include "update/connect/ShiftKeyTable.h"
#include "update/run/RunContext.h"
#include "update/run/UpdaterState.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace update::run {

// Replaces every placeholder of text by its value. A run from "<" to the first ">" after it is a
// placeholder when its name, with a to z made upper case, is one of the known ones; any other
// such run stays with its Latin letters made upper case. A "<" without a later ">" ends the
// scan. Scanning goes on inside an inserted value from its second character, but what a
// placeholder inside an inserted value inserts in turn is not scanned again, so the expansion
// ends on every input. <USER_INI> and <PASSWORD_INI> are shifted with shiftKeys. Never fails:
// when DbUserName or DbPassword cannot be written in windows-1251 (so the shift cipher cannot
// take them), the result is text unchanged. The time taken grows in proportion to the length of
// the text and of the values inserted.
std::string ExpandPlaceholders(const TBaseState& state, std::string_view databaseType,
                               std::uint32_t windowHandle,
                               const update::connect::ShiftKeyTable& shiftKeys,
                               std::string_view text);

// The same with the values of the run.
std::string ExpandPlaceholders(const RunContext& context, std::string_view text);

} // namespace update::run
