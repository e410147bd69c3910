#include "tools/update-cipher/CipherCommand.h"

#include "platform/text/Text.h"
#include "update/connect/CredentialForms.h"
#include "update/connect/DigitText.h"
#include "update/connect/ShiftCipher.h"

#include <cstddef>

namespace tools::cipher {

namespace {

using update::connect::ShiftDecode;
using update::connect::ShiftEncode;

// A value read back must be text: a control character means a wrong stored value, a
// different pass phrase or a different key table.
void requireText(const std::string& utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto ch = static_cast<unsigned char>(utf8[i]);
        if (ch < 0x20 || ch == 0x7F) {
            throw InputError("the stored value does not decode to text (control character " +
                             std::to_string(ch) + " in the result)");
        }
    }
}

std::string read(bool old, const std::string& stored) {
    if (old) {
        return update::connect::readStoredOld(stored, update::connect::loadShiftKeyTable());
    }
    if (!update::connect::isDigitText(stored)) {
        throw InputError("\"" + stored +
                         "\" is not a stored value: expected groups of three decimal digits, "
                         "each from 000 to 255");
    }
    std::string value = update::connect::readStoredNew(stored);
    requireText(value);
    return value;
}

int parseMode(const std::string& text) {
    if (text == "1") {
        return 1;
    }
    if (text == "2") {
        return 2;
    }
    throw UsageError("the mode must be 1 or 2, not \"" + text + "\"");
}

} // namespace

std::string cipherUsage() {
    return "Usage: update-cipher COMMAND ...\n"
           "Enciphers and deciphers the credentials of the product's system users.\n"
           "Text is UTF-8 on the command line and in the result; the ciphers work on its\n"
           "windows-1251 bytes.\n"
           "\n"
           "  store TEXT                 stored form for databases from version 3.0.0 on\n"
           "                             (RC4 under the login's pass phrase, as digit text)\n"
           "  store --old TEXT           stored form for older databases (shift cipher, mode 1)\n"
           "  read STORED                the value of a stored form for new databases\n"
           "  read --old STORED          the value of a stored form for older databases\n"
           "  shift-encode --mode 1|2 TEXT   apply the shift cipher\n"
           "  shift-decode --mode 1|2 TEXT   undo the shift cipher\n"
           "  --help                     show this text\n"
           "\n"
           "The shift cipher's key table is read from the file named by UPDATE_SHIFT_KEY_TABLE,\n"
           "else from /etc/korvel/shift-key-table when it exists, else the built-in one is used.\n"
           "Exit status: 0 on success, 2 on bad usage or a value that cannot be used, 1 on any\n"
           "other error.\n";
}

std::string runCipherCommand(const std::vector<std::string>& args) {
    if (args.empty()) {
        throw UsageError("no command given");
    }
    const std::string& command = args[0];
    std::vector<std::string> rest(args.begin() + 1, args.end());

    if (command == "store" || command == "read") {
        bool old = false;
        if (!rest.empty() && rest[0] == "--old") {
            old = true;
            rest.erase(rest.begin());
        }
        if (rest.empty()) {
            throw UsageError(command + ": the " +
                             std::string(command == "store" ? "text" : "stored value") +
                             " is missing");
        }
        if (rest.size() > 1) {
            throw UsageError(command + ": one argument expected, " + std::to_string(rest.size()) +
                             " given (quote a text that holds blanks)");
        }
        if (command == "store") {
            return old ? update::connect::storedFormOld(rest[0],
                                                        update::connect::loadShiftKeyTable())
                       : update::connect::storedFormNew(rest[0]);
        }
        return read(old, rest[0]);
    }

    if (command == "shift-encode" || command == "shift-decode") {
        if (rest.empty() || rest[0] != "--mode") {
            throw UsageError(command + ": --mode 1|2 is missing");
        }
        if (rest.size() < 2) {
            throw UsageError(command + ": --mode needs a value, 1 or 2");
        }
        const int mode = parseMode(rest[1]);
        if (rest.size() < 3) {
            throw UsageError(command + ": the text is missing");
        }
        if (rest.size() > 3) {
            throw UsageError(command + ": one text expected, " + std::to_string(rest.size() - 2) +
                             " given (quote a text that holds blanks)");
        }
        const update::connect::ShiftKeyTable table = update::connect::loadShiftKeyTable();
        return command == "shift-encode" ? ShiftEncode(rest[2], mode, table)
                                         : ShiftDecode(rest[2], mode, table);
    }

    throw UsageError("unknown command \"" + command + "\"");
}

} // namespace tools::cipher
