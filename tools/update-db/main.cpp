// update-db: runs the database update of a release package against one database.

#include "tools/update-db/Options.h"
#include "tools/update-db/UpdateDb.h"
#include "update/console/ConsoleHost.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

int terminalWidth() {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 80;
}

} // namespace

int main(int argc, char** argv) {
    using namespace tools::updatedb;
    try {
        const Options options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help) {
            std::cout << usageText();
            return kExitSuccess;
        }
        if (options.version) {
            std::cout << "update-db " << UPDATE_DB_VERSION << "\n";
            return kExitSuccess;
        }
        update::console::ConsoleHost::Settings settings;
        settings.terminal = isatty(STDOUT_FILENO) == 1;
        settings.width = terminalWidth();
        settings.confirmAnswer = true;
        update::console::ConsoleHost host(std::cout, std::cerr, settings);
        const int status = runUpdateDb(options, host, std::cerr);
        host.finish();
        return status;
    } catch (const UsageError& error) {
        std::cerr << "update-db: " << error.what() << "\nTry 'update-db --help'.\n";
        return kExitUsage;
    } catch (const std::exception& error) {
        std::cerr << "update-db: " << error.what() << '\n';
        return kExitFailed;
    }
}
