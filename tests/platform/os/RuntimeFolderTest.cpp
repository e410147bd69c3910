#include "platform/os/RuntimeFolder.h"

#include "tests/support/TempDir.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

using platform::os::privateRuntimeFolder;
using testsupport::ScopedEnv;
using testsupport::TempDir;

namespace {

const std::string kOwnName = "korvel-" + std::to_string(geteuid());

unsigned modeOf(const std::filesystem::path& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

std::string messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "<no error>";
}

class RuntimeFolder : public ::testing::Test {
protected:
    TempDir temp;
    ScopedEnv tmpdir{"TMPDIR", temp.str()};
    ScopedEnv noRuntime{"XDG_RUNTIME_DIR"};
    std::filesystem::path own = temp / kOwnName;
};

} // namespace

TEST_F(RuntimeFolder, TheUsersRuntimeDirWhenItIsHis) {
    TempDir runtime;
    {
        ScopedEnv set("XDG_RUNTIME_DIR", runtime.str());
        EXPECT_EQ(privateRuntimeFolder(), runtime.str() + "/");
    }
    {
        ScopedEnv set("XDG_RUNTIME_DIR", runtime.str() + "/");
        EXPECT_EQ(privateRuntimeFolder(), runtime.str() + "/");
    }
    EXPECT_FALSE(std::filesystem::exists(own)) << "nothing is made when the runtime dir serves";
}

TEST_F(RuntimeFolder, OtherwiseAFolderOfModeSevenHundredInTheTemporaryFolder) {
    TempDir runtime;
    const std::filesystem::path file = runtime / "file";
    testsupport::writeFile(file, "x");
    const std::string unusable[] = {"", "relative/dir", (runtime / "missing").string(),
                                    file.string()};
    for (const std::string& value : unusable) {
        ScopedEnv set("XDG_RUNTIME_DIR", value);
        EXPECT_EQ(privateRuntimeFolder(), own.string() + "/") << value;
        EXPECT_EQ(modeOf(own), 0700U) << value;
    }
    // Made once, found again; a trailing slash of TMPDIR changes nothing.
    ScopedEnv slash("TMPDIR", temp.str() + "/");
    EXPECT_EQ(privateRuntimeFolder(), own.string() + "/");
}

TEST_F(RuntimeFolder, WithoutAnAbsoluteTmpdirTheSystemTemporaryFolder) {
    for (const char* value : {"", "relative"}) {
        ScopedEnv set("TMPDIR", value);
        EXPECT_EQ(privateRuntimeFolder(), "/tmp/" + kOwnName + "/") << value;
    }
    ScopedEnv unset("TMPDIR");
    EXPECT_EQ(privateRuntimeFolder(), "/tmp/" + kOwnName + "/");
    EXPECT_EQ(modeOf("/tmp/" + kOwnName), 0700U);
}

TEST_F(RuntimeFolder, AFolderOthersCouldUseIsRefusedByName) {
    TempDir elsewhere;
    struct Case {
        const char* what;
        std::function<void()> prepare;
    };
    const Case cases[] = {
        {"writable by the group and others",
         [&] {
             std::filesystem::create_directory(own);
             chmod(own.c_str(), 0777);
         }},
        {"a file", [&] { testsupport::writeFile(own, ""); }},
        {"a symbolic link to a private folder of the user",
         [&] { std::filesystem::create_directory_symlink(elsewhere.path(), own); }},
    };
    for (const Case& c : cases) {
        c.prepare();
        const std::string message = messageOf([] { privateRuntimeFolder(); });
        EXPECT_NE(message.find(own.string()), std::string::npos) << c.what << ": " << message;
        std::filesystem::remove(own);
    }
    EXPECT_EQ(modeOf(elsewhere.path()), 0700U) << "the link's target is left alone";
}

TEST_F(RuntimeFolder, AFolderOfAnotherUserIsRefused) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a folder to another user";
    }
    std::filesystem::create_directory(own);
    chmod(own.c_str(), 0700);
    ASSERT_EQ(chown(own.c_str(), 65534, 65534), 0);
    const std::string message = messageOf([] { privateRuntimeFolder(); });
    EXPECT_NE(message.find(own.string()), std::string::npos) << message;
}

TEST_F(RuntimeFolder, AFolderThatCannotBeMadeIsNamed) {
    const std::string missing = (temp / "no" / "such").string();
    ScopedEnv set("TMPDIR", missing);
    const std::string message = messageOf([] { privateRuntimeFolder(); });
    EXPECT_NE(message.find(missing + "/" + kOwnName), std::string::npos) << message;
    EXPECT_NE(message.find("No such file"), std::string::npos) << message;
}
