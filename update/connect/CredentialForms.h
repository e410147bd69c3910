#pragma once

// The stored forms of the login's credentials. Databases from version "3.0.0" on keep a value
// as the digit text of its RC4 bytes under kLoginPassPhrase; older databases keep it shifted
// by the shift cipher in mode 1. Values are UTF-8 inside the program and windows-1251 bytes
// under the ciphers.

#include "update/connect/ShiftKeyTable.h"

#include <string>
#include <string_view>

namespace update::connect {

// RC4 under the login's pass phrase over windows-1251 bytes (the same operation both ways).
std::string loginRc4(std::string_view bytes);

// UTF-8 text to its RC4 bytes (the registry form of the connection string) and back.
std::string encipherLoginText(std::string_view utf8);
std::string decipherLoginText(std::string_view bytes);

// Stored form for new databases: BytesToDigits(RC4 of the windows-1251 bytes).
std::string storedFormNew(std::string_view utf8);
// UTF-8 of RC4(DigitsToBytes(stored)); groups that are not numbers are skipped.
std::string readStoredNew(std::string_view stored);

// Stored form for old databases: ShiftEncode in mode 1, and ShiftDecode to read it.
std::string storedFormOld(std::string_view utf8, const ShiftKeyTable& table);
std::string readStoredOld(std::string_view stored, const ShiftKeyTable& table);

// All of these throw platform::text::TextError for text that windows-1251 cannot hold.

} // namespace update::connect
