#include "platform/text/Utf16.h"

#include <gtest/gtest.h>
#include <string>

using namespace platform::text;

TEST(Utf16, ConvertsBothWaysAndMarksWhatHasNoUtf8) {
    EXPECT_EQ(utf8ToUtf16le("aЖ😀"), std::string("a\0\x16\x04\x3d\xd8\x00\xde", 8));
    EXPECT_EQ(utf16leToUtf8(std::string("a\0\x16\x04\x3d\xd8\x00\xde", 8)), "aЖ😀");
    EXPECT_EQ(utf16leToUtf8(std::string("\x00\xd8"
                                        "a\0",
                                        4)),
              "\xEF\xBF\xBD"
              "a");
    EXPECT_EQ(utf16leToUtf8(std::string("a\0b", 3)), "a\xEF\xBF\xBD");
}
