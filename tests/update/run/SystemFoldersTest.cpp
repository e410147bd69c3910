#include "update/run/SystemFolders.h"

#include "tests/update/run/StartFixture.h"
#include "update/run/LoadConfiguration.h"

#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>

namespace update::run {
namespace {

using starttest::StartTest;

struct TempCase {
    const char* name;
    std::optional<std::string> temp;   // nothing: unset
    std::optional<std::string> tmpdir; // nothing: unset
    std::string expected;
};

void PrintTo(const TempCase& c, std::ostream* os) {
    *os << c.name;
}

class TempFolderSource : public starttest::StartTest,
                         public testing::WithParamInterface<TempCase> {};

TEST_P(TempFolderSource, FallsBackFromTempToTmpdirToTmp) {
    const TempCase& c = GetParam();
    const auto temp =
        c.temp ? testsupport::ScopedEnv("TEMP", *c.temp) : testsupport::ScopedEnv("TEMP");
    const auto tmpdir =
        c.tmpdir ? testsupport::ScopedEnv("TMPDIR", *c.tmpdir) : testsupport::ScopedEnv("TMPDIR");
    TBaseState s;
    readSystemFolders(s);
    EXPECT_EQ(s.TempFolder, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Environment, TempFolderSource,
    testing::Values(TempCase{"Temp", "/var/t", "/srv/x", "/var/t/"},
                    TempCase{"TempWithDelimiter", "/var/t/", std::nullopt, "/var/t/"},
                    TempCase{"Tmpdir", std::nullopt, "/srv/x", "/srv/x/"},
                    TempCase{"EmptyTempCountsAsUnset", "", "/srv/x", "/srv/x/"},
                    TempCase{"Neither", std::nullopt, std::nullopt, "/tmp/"},
                    TempCase{"BothEmpty", "", "", "/tmp/"}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(StartTest, ProgramAndCommonFilesFoldersFromTheRegistryWin) {
    putString(kCurrentVersionKey, "ProgramFilesDir", "/usr/local/programs");
    putString(kCurrentVersionKey, "CommonFilesDir", " /srv/common/ ");
    TBaseState s;
    readSystemFolders(s);
    EXPECT_EQ(s.ProgramFilesFolder, "/usr/local/programs/");
    EXPECT_EQ(s.CommonFilesFolder, "/srv/common/");
    EXPECT_EQ(s.SharedFolder, "/srv/common/Korvel Shared/");
    EXPECT_EQ(s.WindowsFolder, "/etc/");
    EXPECT_EQ(s.SystemFolder, "/usr/lib/");
}

TEST_F(StartTest, ARegistryValueOfAnotherTypeGivesTheDefaultFolder) {
    putStore("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n"
             "\"ProgramFilesDir\"=dword:00000001\n"
             "\"CommonFilesDir\"=\"/srv/common\"\n\n");
    TBaseState s;
    readSystemFolders(s);
    EXPECT_EQ(s.ProgramFilesFolder, "/opt/");
    EXPECT_EQ(s.CommonFilesFolder, "/srv/common/");
}

TEST(SystemFolders, ARunStartsWithThePlatformFolders) {
    const TBaseState s;
    EXPECT_EQ(s.ProgramFilesFolder, "/opt/");
    EXPECT_EQ(s.CommonFilesFolder, "/usr/share/");
    EXPECT_EQ(s.SharedFolder, "/usr/share/Korvel Shared/");
}

TEST_F(StartTest, OnlyAValueTheStoreGivesChangesItsFolders) {
    TBaseState s;
    s.ProgramFilesFolder = "/earlier/programs/";
    s.CommonFilesFolder = "/earlier/common/";
    s.SharedFolder = "/earlier/shared/";
    putString(kCurrentVersionKey, "ProgramFilesDir", "/srv/programs");
    readSystemFolders(s);
    EXPECT_EQ(s.ProgramFilesFolder, "/srv/programs/");
    EXPECT_EQ(s.CommonFilesFolder, "/earlier/common/");
    EXPECT_EQ(s.SharedFolder, "/earlier/shared/");
}

TEST_F(StartTest, ASecondLoginKeepsTheFoldersTheFirstRead) {
    writeSettings("");
    putString(kCurrentVersionKey, "ProgramFilesDir", "/srv/programs");
    putString(kCurrentVersionKey, "CommonFilesDir", "/srv/common");
    ASSERT_TRUE(LoadConfiguration(context));
    ASSERT_EQ(platform::registry::DeleteRegKey(platform::registry::Root::LocalMachine,
                                               kCurrentVersionKey),
              platform::registry::kSuccess);
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_EQ(context.UpdaterState.ProgramFilesFolder, "/srv/programs/");
    EXPECT_EQ(context.UpdaterState.CommonFilesFolder, "/srv/common/");
    EXPECT_EQ(context.UpdaterState.SharedFolder, "/srv/common/Korvel Shared/");
}

} // namespace
} // namespace update::run
