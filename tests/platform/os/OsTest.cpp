#include "platform/os/Os.h"

#include "platform/os/File.h"
#include "tests/support/TempDir.h"

#include <cerrno>
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

TEST(ReadWholeFile, GivesTheBytesOrSaysWhyNot) {
    testsupport::TempDir dir;
    const std::string bytes("a\0\xFF\r\n", 5);
    testsupport::writeFile(dir / "f", bytes);
    EXPECT_EQ(platform::os::readWholeFile((dir / "f").string()), bytes);

    // The registry store counts a missing file as an empty store: it needs to tell that case.
    try {
        platform::os::readWholeFile((dir / "missing").string());
        ADD_FAILURE() << "a missing file was read";
    } catch (const platform::os::FileError& e) {
        EXPECT_TRUE(e.opening());
        EXPECT_EQ(e.error(), ENOENT);
    }
    try {
        platform::os::readWholeFile(dir.str());
        ADD_FAILURE() << "a folder was read";
    } catch (const platform::os::FileError& e) {
        EXPECT_FALSE(e.opening() && e.error() == ENOENT);
        EXPECT_EQ(e.error(), EISDIR);
    }
}
