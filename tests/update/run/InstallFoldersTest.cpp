#include "update/run/InstallFolders.h"

#include "tests/update/run/StartFixture.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace update::run {
namespace {

using starttest::StartTest;

struct FolderCase {
    const char* name;
    std::string store; // HKLM store lines
    std::string version;
    std::string expected;
};

void PrintTo(const FolderCase& c, std::ostream* os) {
    *os << c.name;
}

class InstallFolderLookup : public starttest::StartTest,
                            public testing::WithParamInterface<FolderCase> {};

TEST_P(InstallFolderLookup, ReadsTheValueOfTheVersion) {
    putStore(GetParam().store);
    EXPECT_EQ(GetCatalexFolder(GetParam().version), GetParam().expected);
}

const std::string kCx = "[HKEY_LOCAL_MACHINE\\Software\\Korvel\\Catalex";
const std::string kBothValues = "\"Directory\"=\"/old\"\n\"InstallPath\"=\"/new\"\n\n";

INSTANTIATE_TEST_SUITE_P(
    Versions, InstallFolderLookup,
    testing::Values(
        FolderCase{"TenSortsBeforeThree", kCx + "\\10.0]\n" + kBothValues, "10.0", "/old/"},
        FolderCase{"TwoUsesDirectory", kCx + "\\2.5]\n" + kBothValues, "2.5", "/old/"},
        FolderCase{"ThreeUsesInstallPath", kCx + "\\3.0]\n" + kBothValues, "3.0", "/new/"},
        FolderCase{"FourUsesInstallPath", kCx + "\\4.0]\n" + kBothValues, "4.0", "/new/"},
        FolderCase{"ValueOfTheOtherNameIsNotTaken", kCx + "\\4.0]\n\"Directory\"=\"/old\"\n\n",
                   "4.0", ""},
        FolderCase{"TrimmedWithDelimiterKept",
                   kCx + "\\4.0]\n\"InstallPath\"=\"  /opt/catalex/ \"\n\n", "4.0",
                   "/opt/catalex/"},
        FolderCase{"EmptyVersionUsesCurrentVersion",
                   kCx + "]\n\"CurrentVersion\"=\"4.0\"\n\"Directory\"=\"/product\"\n\n" + kCx +
                       "\\4.0]\n" + kBothValues,
                   "", "/new/"},
        FolderCase{"EmptyVersionWithoutCurrentVersionUsesTheProductKey",
                   kCx + "]\n\"Directory\"=\"/product\"\n\n" + kCx + "\\4.0]\n" + kBothValues, "",
                   "/product/"},
        FolderCase{"CurrentVersionWithoutItsKey",
                   kCx + "]\n\"CurrentVersion\"=\"4.0\"\n\"Directory\"=\"/product\"\n\n", "", ""},
        FolderCase{"NothingKnown", "", "", ""},
        FolderCase{"VersionWithoutItsKey", kCx + "]\n\"Directory\"=\"/product\"\n\n", "4.0", ""}),
    [](const auto& tc) { return std::string(tc.param.name); });

} // namespace
} // namespace update::run
