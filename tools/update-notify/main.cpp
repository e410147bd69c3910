// update-notify: sends a report of a sibling program to the update program that started it
// (the messages 0x402, 0x403, 0x404 and WM_COPYDATA, see platform/os/UpdateNotify.h).

#include "platform/os/UpdateNotify.h"
#include "platform/text/Text.h"

#include <cerrno>
#include <cstring>
#include <getopt.h>
#include <iostream>
#include <optional>
#include <string>

namespace {

constexpr const char* kUsage =
    "Usage: update-notify --handle N progress PERCENT\n"
    "       update-notify --handle N done [CODE]\n"
    "       update-notify --handle N error TEXT\n"
    "       update-notify --handle N text TEXT\n"
    "Sends a report to the update program whose window handle is N (the number it passes on\n"
    "the command line as WNDHANDLE=N or <HANDLE>):\n"
    "  progress PERCENT  PERCENT of this program's work is done (0x402)\n"
    "  done [CODE]       the settings element succeeded (CODE 0, the default) or failed\n"
    "                    (any other CODE) (0x403)\n"
    "  error TEXT        an error; the update program logs at most 254 characters (0x404)\n"
    "  text TEXT         an error of the transfer, or the status text of the settings\n"
    "                    update, at most 64 KiB (WM_COPYDATA)\n"
    "Options:\n"
    "  -H, --handle N    the update program's window handle (required)\n"
    "  -h, --help        show this help and exit\n"
    "  -V, --version     show the version and exit\n"
    "Exit status: 0 sent, 1 the update program could not be reached, 2 bad usage.\n";

int usageError(const std::string& message) {
    std::cerr << "update-notify: " << message << "\nTry 'update-notify --help'.\n";
    return 2;
}

std::optional<std::uint32_t> parseHandle(const std::string& text) {
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const unsigned long long value = std::stoull(text);
    if (value > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

} // namespace

int main(int argc, char** argv) {
    static const option kOptions[] = {{"handle", required_argument, nullptr, 'H'},
                                      {"help", no_argument, nullptr, 'h'},
                                      {"version", no_argument, nullptr, 'V'},
                                      {nullptr, 0, nullptr, 0}};
    std::optional<std::uint32_t> handle;
    opterr = 0;
    int option = 0;
    // '+': options end at the first command, so that a text may begin with '-'.
    while ((option = getopt_long(argc, argv, "+H:hV", kOptions, nullptr)) != -1) {
        switch (option) {
        case 'H':
            handle = parseHandle(optarg);
            if (!handle) {
                return usageError(std::string("not a window handle: '") + optarg + "'");
            }
            break;
        case 'h':
            std::cout << kUsage;
            return 0;
        case 'V':
            std::cout << "update-notify " UPDATE_VERSION "\n";
            return 0;
        default:
            return usageError(optopt != 0
                                  ? std::string("unknown or incomplete option '-") +
                                        static_cast<char>(optopt) + "'"
                                  : std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    if (!handle) {
        return usageError("the option --handle is required");
    }
    const int rest = argc - optind;
    if (rest < 1) {
        return usageError("a command is required: progress, done, error or text");
    }
    const std::string command = argv[optind];
    const char* argument = rest >= 2 ? argv[optind + 1] : nullptr;
    const bool optionalArgument = command == "done";
    if (rest > 2 || (rest == 1 && !optionalArgument)) {
        return usageError(rest > 2 ? "too many arguments" : "'" + command + "' needs an argument");
    }
    int sent = -1;
    if (command == "progress" || command == "done") {
        const std::optional<std::int32_t> value = argument != nullptr
                                                      ? platform::text::parseInt32(argument)
                                                      : std::optional<std::int32_t>(0);
        if (!value) {
            return usageError(std::string("not a 32-bit integer: '") + argument + "'");
        }
        sent = command == "progress" ? updateNotifyProgress(*handle, *value)
                                     : updateNotifyDone(*handle, *value);
    } else if (command == "error") {
        sent = updateNotifyError(*handle, argument);
    } else if (command == "text") {
        sent = updateNotifyText(*handle, argument);
    } else {
        return usageError("unknown command '" + command + "'");
    }
    if (sent != 0) {
        std::cerr << "update-notify: cannot reach the update program with handle " << *handle
                  << ": " << std::strerror(errno) << '\n';
        return 1;
    }
    return 0;
}
