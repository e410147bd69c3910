#include "tests/update/run/StartFixture.h"
#include "update/run/InstallFolders.h"
#include "update/run/LoadConfiguration.h"
#include "update/run/SystemFolders.h"

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
    ReadSystemFolders(s);
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
    ReadSystemFolders(s);
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
    ReadSystemFolders(s);
    EXPECT_EQ(s.ProgramFilesFolder, "/opt/");
    EXPECT_EQ(s.CommonFilesFolder, "/srv/common/");
}

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

TEST_F(StartTest, PlexarFolderIsReadWhenItsKeyExists) {
    writeSettings("");
    putString("Software\\Korvel\\Plexar", "CurrentVersion", "5.0");
    putString("Software\\Korvel\\Plexar\\5.0", "InstallPath", "/opt/plexar");
    putString("Software\\Korvel\\Catalex", "CurrentVersion", "4.0");
    putString("Software\\Korvel\\Catalex\\4.0", "InstallPath", "/opt/catalex");
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_TRUE(context.UpdaterState.PlexarInstalled);
    EXPECT_EQ(context.UpdaterState.PlexarFolder, "/opt/plexar/");
    EXPECT_EQ(context.UpdaterState.CatalexFolder, "/opt/catalex/");
}

TEST_F(StartTest, WithoutPlexarItsFolderIsLeftAlone) {
    writeSettings("");
    context.UpdaterState.PlexarInstalled = true;
    context.UpdaterState.PlexarFolder = "/earlier/";
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_FALSE(context.UpdaterState.PlexarInstalled);
    EXPECT_EQ(context.UpdaterState.PlexarFolder, "/earlier/");
}

TEST_F(StartTest, AMissingCatalexEntryClearsItsFolder) {
    writeSettings("");
    context.UpdaterState.CatalexFolder = "/earlier/";
    ASSERT_TRUE(LoadConfiguration(context));
    EXPECT_EQ(context.UpdaterState.CatalexFolder, "");
}

} // namespace
} // namespace update::run
