#include "platform/os/File.h"

#include "tests/support/TempDir.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <string>

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
