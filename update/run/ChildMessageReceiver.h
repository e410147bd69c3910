#pragma once

// The receiving end of the messages that child programs send to the main window: a Unix
// datagram socket update-<HANDLE>.sock in the user's private runtime folder, owned by the host
// (the Qt window, the console host) from its start to its end. The host gives handle() as its
// windowHandle() and calls processPending() whenever it processes pending messages; the wire
// format is that of platform/os/UpdateNotify.h.

#include "platform/os/DatagramSocket.h"
#include "update/run/RunContext.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace update::run {

// One message as a child sent it.
struct ChildMessage {
    std::uint32_t number = 0;
    std::int32_t value = 0; // WParam
    std::string text;       // 0x404 and WM_COPYDATA: as sent, up to the first zero byte
};

// The most datagrams read in one round of message processing, so that a flood of them cannot
// hold up the run; the rest wait in the socket for the next round.
inline constexpr std::size_t kMessagesPerRound = 256;

// A datagram as a message, or nothing when it is too short for the header or names no message
// of the four. A text that reaches the size limit (`truncated`) is cut at the last whole UTF-8
// character.
std::optional<ChildMessage> decodeChildMessage(std::string_view datagram, bool truncated = false);

// Hands a message to its handler (ChildMessages.h).
void dispatchChildMessage(RunContext& context, const ChildMessage& message);

class ChildMessageReceiver {
public:
    // Makes the socket in the private runtime folder under a handle chosen at random.
    // Throws std::runtime_error naming the folder or the socket when that fails.
    ChildMessageReceiver();
    // The same in a given folder (with a trailing '/'), for tests.
    explicit ChildMessageReceiver(const std::string& folder);

    std::uint32_t handle() const { return handle_; }
    const std::string& socketPath() const { return socket_->path(); }

    // Handles the messages that are pending now, at most kMessagesPerRound datagrams. Datagrams
    // from another user and those that are no message are dropped. A call made while messages
    // are being handled (a handler lets pending messages be processed itself) returns at once,
    // so messages are always handled one at a time and in order.
    void processPending(RunContext& context);

    // Datagrams dropped so far (another user's, or no message).
    std::size_t droppedCount() const { return dropped_; }

private:
    std::uint32_t handle_ = 0;
    std::optional<platform::os::DatagramSocket> socket_;
    bool handling_ = false;
    std::size_t dropped_ = 0;
};

} // namespace update::run
