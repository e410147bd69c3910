#include "update/connect/DigitText.h"

#include "platform/text/Text.h"

namespace update::connect {

std::string BytesToDigits(std::string_view bytes) {
    std::string digits;
    digits.reserve(bytes.size() * 3);
    for (const char ch : bytes) {
        const int value = static_cast<unsigned char>(ch);
        digits.push_back(static_cast<char>('0' + value / 100));
        digits.push_back(static_cast<char>('0' + value / 10 % 10));
        digits.push_back(static_cast<char>('0' + value % 10));
    }
    return digits;
}

std::string DigitsToBytes(std::string_view digits) {
    std::string bytes;
    while (!digits.empty()) {
        const std::string_view group = digits.substr(0, 3);
        digits.remove_prefix(group.size());
        if (const auto value = platform::text::parseInt32(group)) {
            bytes.push_back(static_cast<char>(static_cast<std::uint32_t>(*value) & 0xFFu));
        }
    }
    return bytes;
}

bool isDigitText(std::string_view digits) {
    if (digits.size() % 3 != 0) {
        return false;
    }
    for (std::size_t i = 0; i < digits.size(); i += 3) {
        int value = 0;
        for (std::size_t j = i; j < i + 3; ++j) {
            if (digits[j] < '0' || digits[j] > '9') {
                return false;
            }
            value = value * 10 + (digits[j] - '0');
        }
        if (value > 255) {
            return false;
        }
    }
    return true;
}

} // namespace update::connect
