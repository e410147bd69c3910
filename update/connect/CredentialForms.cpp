#include "update/connect/CredentialForms.h"

#include "platform/text/Text.h"
#include "update/connect/DigitText.h"
#include "update/connect/ShiftCipher.h"
#include "update/connect/clsWinCrypt.h"

#include <stdexcept>

namespace update::connect {

std::string loginRc4(std::string_view bytes) {
    TWinCryptObject crypt;
    crypt.SetPassPhrase(kLoginPassPhrase);
    std::string result(bytes);
    if (!crypt.EncryptString(result)) {
        throw std::runtime_error(crypt.LastErrorText());
    }
    return result;
}

std::string encipherLoginText(std::string_view utf8) {
    return loginRc4(platform::text::utf8ToCp1251(utf8));
}

std::string decipherLoginText(std::string_view bytes) {
    return platform::text::cp1251ToUtf8(loginRc4(bytes));
}

std::string storedFormNew(std::string_view utf8) {
    return BytesToDigits(encipherLoginText(utf8));
}

std::string readStoredNew(std::string_view stored) {
    return decipherLoginText(DigitsToBytes(stored));
}

std::string storedFormOld(std::string_view utf8, const ShiftKeyTable& table) {
    return ShiftEncode(utf8, 1, table);
}

std::string readStoredOld(std::string_view stored, const ShiftKeyTable& table) {
    return ShiftDecode(stored, 1, table);
}

} // namespace update::connect
