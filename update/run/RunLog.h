#pragma once

// The run log: the lines of mDetails on the update page. Every problem of a run becomes one
// entry, written by WriteLogEntry:
//
//   /*
//   Операция:<caption of lInfo>
//   Источник:<source>
//   Ошибка:
//   <error, one line per line of the text; an empty error gives one empty line>
//   */                    -- these three only when a detail is given
//   <detail lines>
//   /*
//   ------------------------------------------------
//   */
//
// so that the saved log reads as an SQL script whose only statements are the details.

#include "update/run/Host.h"
#include "update/run/RunContext.h"

#include <string>
#include <string_view>

namespace update::run {

inline constexpr std::string_view kLogSeparator =
    "------------------------------------------------";

// Appends one entry (see above); an empty detail writes no detail block. Every text is split
// into lines by platform::text::splitLines. Enables sbDetails.
void WriteLogEntry(Host& host, std::string_view source, std::string_view error,
                   std::string_view detail = {});
void WriteLogEntry(RunContext& context, std::string_view source, std::string_view error,
                   std::string_view detail = {});

} // namespace update::run
