#pragma once

// The receiving side of the messages that child programs send to the main window. The window's
// transport calls these while pending messages are processed; each returns the answer to the
// sender, which is always 0. Texts are taken up to an optional zero byte; they are UTF-8, and a
// text that is not valid UTF-8 is read as windows-1251 bytes.

#include "update/run/RunContext.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace update::run {

inline constexpr std::uint32_t kMessageProgress = 0x402;       // WM_USER + 2
inline constexpr std::uint32_t kMessageElementOutcome = 0x403; // WM_USER + 3
inline constexpr std::uint32_t kMessageErrorAtom = 0x404;      // WM_USER + 4
inline constexpr std::uint32_t kMessageCopyData = 0x4A;        // WM_COPYDATA

// The longest error text read from an atom name, in characters.
inline constexpr std::size_t kAtomTextLimit = 254;

// A text from a child as UTF-8: cut at the first zero byte, and taken as windows-1251 bytes
// when it is not valid UTF-8.
std::string childText(std::string_view raw);

// 0x402: the child has done `percent` of its work; moves the bar within the progress frame.
std::int32_t handleProgress(RunContext& context, std::int32_t percent);
// 0x403: 0 the running settings element succeeded, anything else it failed (logged).
std::int32_t handleElementOutcome(RunContext& context, std::int32_t outcome);
// 0x404: an error whose text is the atom's name (at most 254 characters are read).
std::int32_t handleErrorAtom(RunContext& context, std::string_view atomName);
// WM_COPYDATA: an error of the transfer, or the status text of the settings update.
std::int32_t handleCopyData(RunContext& context, std::string_view text);

} // namespace update::run
