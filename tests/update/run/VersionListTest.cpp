#include "update/run/VersionList.h"

#include "tests/support/CaseName.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace update::run {
namespace {

struct VersionCase {
    const char* version;
    const char* list;
    bool expected;
};

void PrintTo(const VersionCase& c, std::ostream* os) {
    *os << c.version << " in " << c.list;
}

class VersionMatching : public testing::TestWithParam<VersionCase> {};

TEST_P(VersionMatching, FindsTheVersionFollowedByASeparator) {
    EXPECT_EQ(versionInList(GetParam().version, GetParam().list), GetParam().expected)
        << GetParam().version << " in " << GetParam().list;
}

INSTANTIATE_TEST_SUITE_P(
    Lists, VersionMatching,
    testing::Values(VersionCase{"4.1", "4.0;4.1;", true}, VersionCase{"4.10", "4.0;4.1;", false},
                    VersionCase{"1", "4.0;4.1;", true}, VersionCase{"4.0", "4.0;4.1;", true},
                    VersionCase{"4.1", "4.0; 4.1;", true}, VersionCase{"1.0", "11.0;", true},
                    VersionCase{"4.2", "4.0;4.1;", false}, VersionCase{"4.0", ";", false}),
    [](const auto& tc) {
        return testsupport::caseName(std::string(tc.param.version) + " in " + tc.param.list);
    });

} // namespace
} // namespace update::run
