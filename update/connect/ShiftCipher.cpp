#include "update/connect/ShiftCipher.h"

#include "platform/text/Text.h"

#include <stdexcept>

namespace update::connect {

namespace {

// Position of the first key value of a mode in the key table.
std::size_t keyOffset(int mode) {
    if (mode == 1) {
        return 0;
    }
    if (mode == 2) {
        return 10;
    }
    throw std::invalid_argument("shift cipher mode " + std::to_string(mode) + " is not 1 or 2");
}

} // namespace

std::string shiftEncodeBytes(std::string_view bytes, int mode, const ShiftKeyTable& table) {
    const std::size_t offset = keyOffset(mode);
    std::string result(bytes.size(), '\0');
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        const int c = static_cast<unsigned char>(bytes[n]);
        const int k = table[offset + n % 10];
        result[n] = static_cast<char>((c + k - 1) % 224 + 32);
    }
    return result;
}

std::string shiftDecodeBytes(std::string_view bytes, int mode, const ShiftKeyTable& table) {
    const std::size_t offset = keyOffset(mode);
    std::string result(bytes.size(), '\0');
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        const int c = static_cast<unsigned char>(bytes[n]);
        const int k = table[offset + n % 10];
        int t = c - 32 - k + 1;
        if (t < 32) {
            t += 224;
        }
        result[n] = static_cast<char>(t);
    }
    return result;
}

std::string ShiftEncode(std::string_view utf8, int mode, const ShiftKeyTable& table) {
    return platform::text::cp1251ToUtf8(
        shiftEncodeBytes(platform::text::utf8ToCp1251(utf8), mode, table));
}

std::string ShiftDecode(std::string_view utf8, int mode, const ShiftKeyTable& table) {
    return platform::text::cp1251ToUtf8(
        shiftDecodeBytes(platform::text::utf8ToCp1251(utf8), mode, table));
}

} // namespace update::connect
