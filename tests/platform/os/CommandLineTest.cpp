#include "platform/os/CommandLine.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace platform::os {
namespace {

struct SplitCase {
    const char* name;
    std::string line;
    std::vector<std::string> arguments;
};

class SplitCommandLine : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLine, GivesTheArgumentsTheProgramReceives) {
    EXPECT_EQ(splitCommandLine(GetParam().line), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitCommandLine,
    testing::Values(
        SplitCase{"Empty", "", {}}, SplitCase{"OnlyBlanks", " \t  ", {}},
        SplitCase{"BlanksAndTabsSeparate", "  a\tb   c ", {"a", "b", "c"}},
        SplitCase{"QuotedBlanksStay", "\"a b\"\t\"c\td\"", {"a b", "c\td"}},
        SplitCase{
            "QuotesInsideAnArgument", "LOGIN=\"ivan ov\" X=\"1\"2", {"LOGIN=ivan ov", "X=12"}},
        SplitCase{"EmptyQuotedArgument", "a \"\" b", {"a", "", "b"}},
        SplitCase{"DoubledQuoteInsideQuotes", "\"a\"\"b\" c", {"a\"b", "c"}},
        SplitCase{"EvenBackslashesBeforeQuote", "\"a\\\\\" b", {"a\\", "b"}},
        SplitCase{"OddBackslashesBeforeQuote", "a\\\"b c", {"a\"b", "c"}},
        SplitCase{"ThreeBackslashesBeforeQuote", "\"a\\\\\\\" b\"", {"a\\\" b"}},
        SplitCase{"BackslashesWithoutQuoteAreLiteral", "C:\\dir\\\\x\\ y", {"C:\\dir\\\\x\\", "y"}},
        SplitCase{"UnclosedQuoteRunsToTheEnd", "a \"b c", {"a", "b c"}},
        // A password holding a quote ends the quoted part where the quote stands.
        SplitCase{"PasswordHoldingAQuote",
                  "LOGIN=\"u\" PASSWORD=\"pa\"ss word\" GROUP=\"g\"",
                  {"LOGIN=u", "PASSWORD=pass", "word GROUP=g"}},
        SplitCase{"Utf8Passes", "\"Иванов И.\" б", {"Иванов И.", "б"}}),
    [](const testing::TestParamInfo<SplitCase>& param) { return std::string(param.param.name); });

TEST(ScanCommandLineArgument, TellsWhereEachCharacterCameFromAndWhetherItWasQuoted) {
    const std::string line = "a\"b\\\"c\" d";
    std::string chars;
    std::vector<std::size_t> ends;
    std::vector<bool> quoted;
    const std::size_t end = scanCommandLineArgument(line, 0, [&](char c, std::size_t e, bool q) {
        chars.push_back(c);
        ends.push_back(e);
        quoted.push_back(q);
    });
    EXPECT_EQ(end, 7u);
    EXPECT_EQ(chars, "ab\"c");
    EXPECT_EQ(ends, (std::vector<std::size_t>{1, 3, 5, 6}));
    EXPECT_EQ(quoted, (std::vector<bool>{false, true, true, true}));
}

} // namespace
} // namespace platform::os
