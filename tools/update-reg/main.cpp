// update-reg: the administrator's tool for the registry store of the update program.

#include "platform/registry/Store.h"
#include "tools/update-reg/Arguments.h"
#include "tools/update-reg/Commands.h"

#include <iostream>

int main(int argc, char** argv) {
    using namespace tools::reg;
    try {
        const Arguments args = parseArguments(std::vector<std::string>(argv + 1, argv + argc));
        if (args.help) {
            std::cout << usageText();
            return 0;
        }
        runCommand(args, std::cout);
        std::cout.flush();
        if (!std::cout) {
            std::cerr << "update-reg: cannot write the output\n";
            return 1;
        }
        return 0;
    } catch (const UsageError& e) {
        std::cerr << "update-reg: " << e.what() << "\nTry 'update-reg --help'.\n";
    } catch (const std::exception& e) {
        std::cerr << "update-reg: " << e.what() << '\n';
    }
    return 1;
}
