#include "update/run/ChildMessageReceiver.h"

#include "platform/os/UpdateNotify.h"
#include "platform/text/Text.h"
#include "tests/support/ChildFixture.h"
#include "update/run/ChildMessages.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace update::run {
namespace {

using Lines = std::vector<std::string>;

std::string header(std::uint32_t number, std::int32_t value) {
    unsigned char bytes[kUpdateNotifyHeaderSize];
    updateNotifyPutHeader(bytes, number, value);
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

class ReceiverTest : public testsupport::ChildFixture {
protected:
    ReceiverTest() {
        host.setStatusCaption("импорт справочников");
        context.CurrentUpdateKind = kKindTransfer;
        context.CurrentChildCommand = "/c/Utils/RefGroupImport.exe PASSWORD=\"pw\" W=1";
        context.CurrentItemShare = 20;
        context.ItemStartPosition = 30;
        context.ChildSucceeded = true;
    }

    // Runs update-notify with the arguments; its exit status.
    int notify(const std::string& arguments) const {
        const std::string command =
            "'" + testsupport::toolsFolder() + "update-notify' " + arguments + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int notify(const std::string& command, const std::string& argument) const {
        return notify("--handle " + std::to_string(receiver->handle()) + " " + command + " '" +
                      argument + "'");
    }

    // Sends raw bytes to the receiver's socket; 0 or errno.
    int sendRaw(const std::string& bytes, int flags = 0) const {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s",
                      receiver->socketPath().c_str());
        const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const ssize_t sent = ::sendto(fd, bytes.data(), bytes.size(), flags,
                                      reinterpret_cast<const sockaddr*>(&address), sizeof address);
        const int error = errno;
        ::close(fd);
        return sent < 0 ? error : 0;
    }

    // The error lines of the log's entries.
    Lines errors() const {
        Lines result;
        const Lines log = host.logLines();
        for (std::size_t i = 0; i + 1 < log.size(); ++i) {
            if (log[i] == "Ошибка:") {
                result.push_back(log[i + 1]);
            }
        }
        return result;
    }
};

TEST_F(ReceiverTest, SocketLiesInThePrivateRuntimeFolderUnderTheHandle) {
    EXPECT_NE(receiver->handle(), 0u);
    EXPECT_EQ(receiver->socketPath(),
              runtimeFolder + "/update-" + std::to_string(receiver->handle()) + ".sock");
    EXPECT_TRUE(std::filesystem::is_socket(receiver->socketPath()));
    const std::string path = receiver->socketPath();
    receiver.reset();
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ReceiverTest, FourMessagesFromUpdateNotifyReachTheirHandlersOnlyWhenProcessed) {
    ASSERT_EQ(notify("progress", "50"), 0);
    ASSERT_EQ(notify("error", "Нет схемы"), 0);
    ASSERT_EQ(notify("text", "bad data"), 0);
    ASSERT_EQ(notify("done", "0"), 0);
    EXPECT_TRUE(host.logLines().empty()); // nothing is read until messages are processed
    host.processMessages();
    EXPECT_EQ(host.barPosition(), 40);
    EXPECT_EQ(errors(), (Lines{"Нет схемы", "bad data"}));
    EXPECT_EQ(host.logLines()[2], "Источник:/c/Utils/RefGroupImport.exe PASSWORD=\"***\" W=1");
    EXPECT_TRUE(context.ChildSucceeded); // the success report came last
    EXPECT_EQ(receiver->droppedCount(), 0u);
}

TEST_F(ReceiverTest, ProgramInCReportsThroughTheHeader) {
    const std::string command = "'" + testsupport::toolsFolder() + "notify_from_c' " +
                                std::to_string(receiver->handle()) + " 100";
    ASSERT_EQ(std::system(command.c_str()), 0);
    host.processMessages();
    EXPECT_EQ(host.barPosition(), 50);
}

TEST_F(ReceiverTest, UpdateNotifyUsage) {
    const std::string handle = "--handle " + std::to_string(receiver->handle());
    EXPECT_EQ(notify("--help"), 0);
    EXPECT_EQ(notify("--version"), 0);
    EXPECT_EQ(notify(handle + " done"), 0);
    EXPECT_EQ(notify(handle + " -- error -dash"), 0);
    EXPECT_EQ(notify("progress 5"), 2);
    EXPECT_EQ(notify(handle + " progress"), 2);
    EXPECT_EQ(notify(handle + " progress 5x"), 2);
    EXPECT_EQ(notify(handle + " jump 5"), 2);
    EXPECT_EQ(notify(handle + " text a b"), 2);
    EXPECT_EQ(notify("--handle=-1 done"), 2);
    EXPECT_EQ(notify("--handle=4294967296 done"), 2);
    EXPECT_EQ(notify("--bogus"), 2);
    EXPECT_EQ(notify("--handle 1 done"), 1); // no update program has this handle
    host.processMessages();
    EXPECT_EQ(errors(), (Lines{"-dash"}));
}

TEST_F(ReceiverTest, BrokenDatagramsAreDroppedAndTheNextOneIsHandled) {
    EXPECT_EQ(sendRaw(""), 0);
    EXPECT_EQ(sendRaw(std::string("\x02\x04\x00", 3)), 0);
    EXPECT_EQ(sendRaw(header(0x999, 1)), 0);
    EXPECT_EQ(sendRaw(header(kMessageProgress, 100) + "ignored"), 0);
    host.processMessages();
    EXPECT_EQ(receiver->droppedCount(), 3u);
    EXPECT_EQ(host.barPosition(), 50);
}

TEST_F(ReceiverTest, TextsAreDecodedLenientlyAndCut) {
    // windows-1251 bytes instead of UTF-8: still logged, as the characters they stand for.
    ASSERT_EQ(sendRaw(header(kMessageErrorAtom, 0) + "\xCE\xF8\xE8\xE1\xEA\xE0"), 0);
    // Text up to a zero byte.
    ASSERT_EQ(sendRaw(header(kMessageCopyData, 0) + std::string("one\0two", 7)), 0);
    // The atom's text is cut at 254 characters.
    std::string longText;
    for (int i = 0; i < 300; ++i) {
        longText += "ж";
    }
    ASSERT_EQ(sendRaw(header(kMessageErrorAtom, 0) + longText), 0);
    host.processMessages();
    const Lines logged = errors();
    ASSERT_EQ(logged.size(), 3u);
    EXPECT_EQ(logged[0], "Ошибка");
    EXPECT_EQ(logged[1], "one");
    EXPECT_EQ(logged[2], longText.substr(0, 254 * 2));
}

TEST_F(ReceiverTest, DataCopyTextIsCutAt64KiBOnACharacterBoundary) {
    std::string text = "a";
    for (int i = 0; i < 40000; ++i) {
        text += "я";
    }
    // Sent raw: longer than any datagram the receiver reads.
    ASSERT_EQ(sendRaw(header(kMessageCopyData, 0) + text), 0);
    // Through the client, which cuts the same way before sending.
    ASSERT_EQ(updateNotifyText(receiver->handle(), text.c_str()), 0);
    host.processMessages();
    const Lines logged = errors();
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0], text.substr(0, 65535));
    EXPECT_EQ(logged[1], text.substr(0, 65535));
    EXPECT_TRUE(platform::text::isValidUtf8(logged[0]));
}

TEST_F(ReceiverTest, FloodIsReadInBoundedRounds) {
    // A sender that refills the socket as fast as it is read cannot hold a round up: each
    // round ends after kMessagesPerRound datagrams at most, and the rest come in later rounds.
    constexpr std::size_t kSent = 1500;
    std::thread sender([this] {
        for (std::size_t i = 0; i < kSent; ++i) {
            sendRaw(header(kMessageProgress, 1));
        }
    });
    host.setBarPosition(0);
    std::size_t handled = 0;
    std::size_t largestRound = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (handled < kSent && std::chrono::steady_clock::now() < deadline) {
        const std::size_t before = host.barPositionHistory().size();
        receiver->processPending(context);
        const std::size_t round = host.barPositionHistory().size() - before;
        largestRound = std::max(largestRound, round);
        handled += round;
    }
    sender.join();
    EXPECT_EQ(handled, kSent);
    EXPECT_LE(largestRound, kMessagesPerRound);
}

TEST_F(ReceiverTest, DatagramsOfAnotherUserAreDropped) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to send as another user";
    }
    // The sender connects while it may still reach the private folder, then becomes nobody.
    const pid_t pid = ::fork();
    if (pid == 0) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s",
                      receiver->socketPath().c_str());
        const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(3);
        }
        const std::string bytes = header(kMessageErrorAtom, 0) + "forged";
        ::_exit(::send(fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size())
                    ? 0
                    : 4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_EQ(notify("error", "own"), 0);
    host.processMessages();
    EXPECT_EQ(receiver->droppedCount(), 1u);
    EXPECT_EQ(errors(), (Lines{"own"}));
}

TEST_F(ReceiverTest, StaleSocketIsReplacedAndALiveOneKept) {
    const std::string path = runtimeFolder + "/update-7.sock";
    {
        // A program that ended without removing its socket.
        const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
    platform::os::DatagramSocket replaced(path);
    try {
        platform::os::DatagramSocket second(path);
        ADD_FAILURE() << "a live socket was replaced";
    } catch (const platform::os::SocketError& error) {
        EXPECT_EQ(error.error(), EADDRINUSE);
    }
    EXPECT_TRUE(std::filesystem::is_socket(path));
    testsupport::writeFile(runtimeFolder + "/update-8.sock", "not a socket");
    EXPECT_THROW(platform::os::DatagramSocket(runtimeFolder + "/update-8.sock"),
                 platform::os::SocketError);
    EXPECT_EQ(testsupport::readFile(runtimeFolder + "/update-8.sock"), "not a socket");
}

TEST_F(ReceiverTest, HandlersThatProcessMessagesDoNotReenter) {
    // A progress handler repaints by processing messages; the second progress waits for the
    // first to be done, so the bar follows the order sent.
    ASSERT_EQ(notify("progress", "0"), 0);
    ASSERT_EQ(notify("progress", "100"), 0);
    host.setBarPosition(0);
    host.processMessages();
    EXPECT_EQ(host.barPositionHistory(), (std::vector<int>{0, 30, 50}));
}

} // namespace
} // namespace update::run
