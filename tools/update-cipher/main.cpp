// update-cipher: enciphers and deciphers the credentials of the product's system users.

#include "platform/text/Text.h"
#include "tools/update-cipher/CipherCommand.h"
#include "update/connect/ShiftCipher.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

// Exit status of the programs: success, failure, bad usage or unusable input.
constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kBadUsage = 2;

int fail(const std::exception& e, int status) {
    std::cerr << "update-cipher: " << e.what() << '\n';
    return status;
}

} // namespace

int main(int argc, char** argv) {
    using namespace tools::cipher;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << cipherUsage();
        return std::cout.flush() ? kSuccess : kFailure;
    }
    try {
        std::cout << runCipherCommand(args) << '\n';
        if (!std::cout.flush()) {
            std::cerr << "update-cipher: cannot write the result\n";
            return kFailure;
        }
        return kSuccess;
    } catch (const UsageError& e) {
        std::cerr << "update-cipher: " << e.what() << "\nTry 'update-cipher --help'.\n";
        return kBadUsage;
    } catch (const InputError& e) {
        return fail(e, kBadUsage);
    } catch (const platform::text::TextError& e) {
        return fail(e, kBadUsage);
    } catch (const update::connect::ShiftKeyTableError& e) {
        // The site's key table file cannot be read or holds no usable table.
        return fail(e, kBadUsage);
    } catch (const std::exception& e) {
        return fail(e, kFailure);
    }
}
