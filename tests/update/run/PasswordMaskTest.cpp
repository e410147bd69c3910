#include "update/run/PasswordMask.h"

#include <gtest/gtest.h>
#include <string>

namespace update::run {
namespace {

struct MaskCase {
    const char* name;
    std::string line;
    std::string expected;
};

class PasswordMask : public testing::TestWithParam<MaskCase> {};

TEST_P(PasswordMask, HidesValue) {
    EXPECT_EQ(maskPasswordArgument(GetParam().line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PasswordMask,
    testing::Values(
        MaskCase{"TransferCommand",
                 "/opt/catalex/Utils/RefGroupImport.exe LOGIN=\"ivanov\" PASSWORD=\"secret\" "
                 "GROUP=\"admins\" XML_DATA=\"/pkg/d.xml\" REF_NAMES=1,2 "
                 "XML_SCHEMA=\"/pkg/d.xsd\" WNDHANDLE=42",
                 "/opt/catalex/Utils/RefGroupImport.exe LOGIN=\"ivanov\" PASSWORD=\"***\" "
                 "GROUP=\"admins\" XML_DATA=\"/pkg/d.xml\" REF_NAMES=1,2 "
                 "XML_SCHEMA=\"/pkg/d.xsd\" WNDHANDLE=42"},
        MaskCase{"Unquoted", "PASSWORD=secret GROUP=x", "PASSWORD=*** GROUP=x"},
        MaskCase{"QuotedWithBlanks", "p password=\"my secret\" g", "p password=\"***\" g"},
        MaskCase{"QuoteBeforeName", "p \"PASSWORD=my secret\" g", "p \"PASSWORD=***\" g"},
        MaskCase{"TabSeparated", "p\tPassWord=abc\tg", "p\tPassWord=***\tg"},
        MaskCase{"Empty", "p PASSWORD= g", "p PASSWORD=*** g"},
        MaskCase{"EmptyQuoted", "p PASSWORD=\"\" g", "p PASSWORD=\"***\" g"},
        MaskCase{"EveryOccurrence", "PASSWORD=a x PASSWORD=\"b c\"",
                 "PASSWORD=*** x PASSWORD=\"***\""},
        // A quote in the password: a part of it may reach into the following arguments, so
        // everything to the end of the line is hidden.
        MaskCase{"QuoteInsidePassword", "p PASSWORD=\"se\"cr et\" GROUP=\"g\" W=1",
                 "p PASSWORD=\"***\""},
        MaskCase{"QuoteInsideQuotedArgument", "p \"PASSWORD=se\"cr et\" W=1", "p \"PASSWORD=***\""},
        MaskCase{"EscapedQuote", "p PASSWORD=\"se\\\"c ret\" G=1", "p PASSWORD=\"***\""},
        MaskCase{"BackslashBeforeClosingQuote", "p PASSWORD=\"sec\\\" GROUP=\"g\"",
                 "p PASSWORD=\"***\""},
        MaskCase{"QuoteInUnquotedValue", "p PASSWORD=se\"c ret\" W=1", "p PASSWORD=***"},
        MaskCase{"OtherNamesUntouched", "OLDPASSWORD=a PASSWORDS=b LOGIN=\"PASSWORD=c\" PASSWORD",
                 "OLDPASSWORD=a PASSWORDS=b LOGIN=\"PASSWORD=c\" PASSWORD"},
        MaskCase{"NameSplitByQuotes", "P\"ASS\"WORD=x y", "P\"ASS\"WORD=*** y"},
        MaskCase{"NoArguments", "", ""}, MaskCase{"OnlyBlanks", "   ", "   "}),
    [](const testing::TestParamInfo<MaskCase>& param) { return std::string(param.param.name); });

} // namespace
} // namespace update::run
