// update-cipher: enciphers and deciphers the credentials of the product's system users.

#include "tools/update-cipher/CipherCommand.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << tools::cipher::cipherUsage();
        return 0;
    }
    try {
        std::cout << tools::cipher::runCipherCommand(args) << '\n';
        return std::cout.flush() ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "update-cipher: " << e.what() << '\n';
        return 1;
    }
}
