#include "platform/os/Os.h"

#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace platform::os;
using testsupport::ScopedEnv;
using testsupport::TempDir;

TEST(Os, ProgramFolderIsTheTestBinaryFolder) {
    const std::string folder = programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(fileExists(folder + "os_tests"));
}

TEST(Os, EnvironmentTellsUnsetFromEmpty) {
    {
        ScopedEnv set("UPDATE_OS_TEST_VAR", "");
        EXPECT_EQ(environment("UPDATE_OS_TEST_VAR"), std::optional<std::string>(""));
    }
    {
        ScopedEnv set("UPDATE_OS_TEST_VAR", "Значение");
        EXPECT_EQ(environment("UPDATE_OS_TEST_VAR"), std::optional<std::string>("Значение"));
    }
    ScopedEnv unset("UPDATE_OS_TEST_VAR");
    EXPECT_EQ(environment("UPDATE_OS_TEST_VAR"), std::nullopt);
}

TEST(Os, PathsAndDelimiters) {
    EXPECT_EQ(withTrailingDelimiter(""), "/");
    EXPECT_EQ(withTrailingDelimiter("/opt/cx"), "/opt/cx/");
    EXPECT_EQ(withTrailingDelimiter("/opt/cx/"), "/opt/cx/");
    EXPECT_EQ(nativePath("Utils\\RefGroupImport.exe"), "Utils/RefGroupImport.exe");
    EXPECT_EQ(nativePath("Data\\\\x.lob"), "Data//x.lob");
    EXPECT_EQ(nativePath("/already/native"), "/already/native");
}

TEST(Os, FileExistsOnlyForFilesAndLinksToFiles) {
    TempDir dir;
    testsupport::writeFile(dir / "file", "x");
    std::filesystem::create_symlink(dir / "file", dir / "link");
    std::filesystem::create_symlink(dir / "gone", dir / "dangling");
    std::filesystem::create_directory(dir / "folder");
    EXPECT_TRUE(fileExists((dir / "file").string()));
    EXPECT_TRUE(fileExists((dir / "link").string()));
    EXPECT_FALSE(fileExists((dir / "dangling").string()));
    EXPECT_FALSE(fileExists((dir / "folder").string()));
    EXPECT_FALSE(fileExists((dir / "absent").string()));
    EXPECT_FALSE(fileExists(""));
}
