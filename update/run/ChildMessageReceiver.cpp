#include "update/run/ChildMessageReceiver.h"

#include "platform/os/RuntimeFolder.h"
#include "platform/os/UpdateNotify.h"
#include "update/run/ChildMessages.h"

#include <cerrno>
#include <random>

namespace update::run {

// The handlers and the client speak of the same messages.
static_assert(kMessageProgress == kUpdateNotifyProgress);
static_assert(kMessageElementOutcome == kUpdateNotifyElementOutcome);
static_assert(kMessageErrorAtom == kUpdateNotifyErrorText);
static_assert(kMessageCopyData == kUpdateNotifyCopyData);

namespace {

std::uint32_t readLittleEndian(std::string_view bytes) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    }
    return value;
}

// The text without an incomplete UTF-8 character at its end.
std::string_view withoutCutCharacter(std::string_view text) {
    std::size_t lead = text.size();
    while (lead > 0 && text.size() - lead < 4 &&
           (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80) {
        --lead;
    }
    if (lead == 0) {
        return text;
    }
    const auto byte = static_cast<unsigned char>(text[lead - 1]);
    const std::size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return text.size() - (lead - 1) < needed ? text.substr(0, lead - 1) : text;
}

} // namespace

std::optional<ChildMessage> decodeChildMessage(std::string_view datagram, bool truncated) {
    if (datagram.size() < kUpdateNotifyHeaderSize) {
        return std::nullopt;
    }
    ChildMessage message;
    message.number = readLittleEndian(datagram.substr(0, 4));
    message.value = static_cast<std::int32_t>(readLittleEndian(datagram.substr(4, 4)));
    switch (message.number) {
    case kMessageProgress:
    case kMessageElementOutcome:
        return message;
    case kMessageErrorAtom:
    case kMessageCopyData: {
        std::string_view text = datagram.substr(kUpdateNotifyHeaderSize);
        const std::size_t zero = text.find('\0');
        if (zero != std::string_view::npos) {
            text = text.substr(0, zero);
        } else if (truncated || text.size() > kUpdateNotifyTextLimit) {
            text = withoutCutCharacter(text.substr(0, kUpdateNotifyTextLimit));
        }
        message.text = std::string(text);
        return message;
    }
    default:
        return std::nullopt;
    }
}

void dispatchChildMessage(RunContext& context, const ChildMessage& message) {
    switch (message.number) {
    case kMessageProgress:
        handleProgress(context, message.value);
        break;
    case kMessageElementOutcome:
        handleElementOutcome(context, message.value);
        break;
    case kMessageErrorAtom:
        handleErrorAtom(context, message.text);
        break;
    case kMessageCopyData:
        handleCopyData(context, message.text);
        break;
    default:
        break;
    }
}

ChildMessageReceiver::ChildMessageReceiver()
    : ChildMessageReceiver(platform::os::privateRuntimeFolder()) {}

ChildMessageReceiver::ChildMessageReceiver(const std::string& folder) {
    std::random_device random;
    for (int attempt = 0;; ++attempt) {
        std::uint32_t handle = 0;
        while (handle == 0) {
            handle = static_cast<std::uint32_t>(random());
        }
        try {
            socket_.emplace(folder + "update-" + std::to_string(handle) + ".sock");
            handle_ = handle;
            return;
        } catch (const platform::os::SocketError& error) {
            if (error.error() != EADDRINUSE || attempt == 16) {
                throw;
            }
        }
    }
}

void ChildMessageReceiver::processPending(RunContext& context) {
    if (handling_) {
        return;
    }
    handling_ = true;
    try {
        for (std::size_t n = 0; n < kMessagesPerRound; ++n) {
            const std::optional<platform::os::Datagram> datagram =
                socket_->receive(kUpdateNotifyHeaderSize + kUpdateNotifyTextLimit);
            if (!datagram) {
                break;
            }
            const std::optional<ChildMessage> message =
                datagram->fromThisUser ? decodeChildMessage(datagram->bytes, datagram->truncated)
                                       : std::nullopt;
            if (!message) {
                ++dropped_;
                continue;
            }
            dispatchChildMessage(context, *message);
        }
    } catch (...) {
        handling_ = false;
        throw;
    }
    handling_ = false;
}

} // namespace update::run
