#include "update/external/WriteIniFile.h"

#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace update::external {
namespace {

TEST(WriteIniFile, LinesAreTheTrimmedContentCutAtSemicolons) {
    struct Case {
        const char* content;
        const char* text;
    };
    const Case cases[] = {
        {"a=1;b=2;", "a=1\r\nb=2\r\n"},
        {"  a=1 ; b=2  ", "a=1 \r\n b=2\r\n"},
        {"a;;b", "a\r\n\r\nb\r\n"},
        {"", ""},
        {"   ", ""},
        {";", "\r\n"},
        {"[Main];Путь=C:\\x", "[Main]\r\nПуть=C:\\x\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(iniFileText(c.content), c.text) << c.content;
    }
}

TEST(WriteIniFile, ReplacesTheFileKeepingItsModeAndFollowingLinks) {
    testsupport::TempDir temp;
    const auto file = temp / "x.ini";
    testsupport::writeFile(file, "old content that is longer\r\n");
    ::chmod(file.c_str(), 0640);
    std::filesystem::create_symlink("x.ini", temp / "link.ini");

    EXPECT_TRUE(WriteIniFile((temp / "link.ini").string(), "a=1;b=2"));
    EXPECT_TRUE(std::filesystem::is_symlink(temp / "link.ini"));
    EXPECT_EQ(testsupport::readFile(file), "a=1\r\nb=2\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()),
                            std::filesystem::directory_iterator()),
              2);

    EXPECT_TRUE(WriteIniFile((temp / "new.ini").string(), ""));
    EXPECT_EQ(testsupport::readFile(temp / "new.ini"), "");
}

TEST(WriteIniFile, FailureNamesTheFile) {
    testsupport::TempDir temp;
    for (const auto& path : {temp / "missing/x.ini", temp.path()}) {
        try {
            WriteIniFile(path.string(), "a=1");
            ADD_FAILURE() << path;
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos)
                << error.what();
        }
    }
}

} // namespace
} // namespace update::external
