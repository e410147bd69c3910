// The embedded engine needs no server and no preparation by the caller, for root and for other
// users alike.

#include "platform/db/ConnectionString.h"
#include "platform/os/RuntimeFolder.h"
#include "tests/platform/db/ChildProcess.h"
#include "tests/platform/db/TestDatabase.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

std::vector<std::string> childEnvironment(const std::string& tmp) {
    // A bare environment: no FIREBIRD_LOCK, no XDG_RUNTIME_DIR; the sanitizers' settings pass.
    std::vector<std::string> env = {"PATH=/usr/bin:/bin", "TMPDIR=" + tmp};
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) {
            env.push_back(std::string(name) + "=" + value);
        }
    }
    return env;
}

} // namespace

TEST(FirebirdEnvironment, AnotherUserOpensWithoutPreparation) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to start a process as another user; as a plain user the "
                        "other tests already run the engine without privileges";
    }
    testsupport::TempDir dir;
    const std::filesystem::path shared = dir / "shared";
    std::filesystem::create_directory(shared);
    chmod(dir.str().c_str(), 0755);
    chmod(shared.c_str(), 01777);

    // A runtime folder of another user in the way is refused with a clear message.
    const std::filesystem::path taken = shared / ("korvel-" + std::to_string(kNobody));
    std::filesystem::create_directory(taken);
    chmod(taken.c_str(), 0700);
    dbtest::ChildOptions options;
    options.user = kNobody;
    options.environment = childEnvironment(shared.string());
    auto result =
        dbtest::runChild({dbtest::childProgram(), "create", (shared / "a.fdb").string()}, options);
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("FIREBIRD_LOCK"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find(taken.string()), std::string::npos) << result.output;
    std::filesystem::remove(taken);

    // With the way free, the engine runs with a private lock folder of that user in the
    // user's runtime folder, whatever root left in the default one.
    result =
        dbtest::runChild({dbtest::childProgram(), "create", (shared / "b.fdb").string()}, options);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("rows=1"), std::string::npos) << result.output;
    for (const std::filesystem::path& folder : {taken, taken / "firebird"}) {
        struct stat st {};
        ASSERT_EQ(lstat(folder.c_str(), &st), 0) << folder;
        EXPECT_EQ(st.st_uid, kNobody) << folder;
        EXPECT_EQ(st.st_mode & 0777, 0700U) << folder;
    }
}

TEST(FirebirdEnvironment, TheLockFolderIsInTheRuntimeFolderAndExported) {
    // The engine of this process was started by an earlier test or starts now; either way the
    // lock folder it uses is exported for the child programs.
    dbtest::TestDatabase db;
    db.create()->close();
    const char* lock = std::getenv("FIREBIRD_LOCK");
    ASSERT_NE(lock, nullptr);
    const std::string expected = platform::os::privateRuntimeFolder() + "firebird/";
    if (std::string(lock) != expected) {
        GTEST_SKIP() << "FIREBIRD_LOCK was set before the engine started: " << lock;
    }
    struct stat st {};
    ASSERT_EQ(lstat(lock, &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700U);
}

TEST(FirebirdEnvironment, AnArbitraryUserAndPasswordOpenTheEmbeddedEngine) {
    testsupport::TempDir dir;
    const std::string location = (dir / "x.fdb").string();
    platform::db::createFirebirdDatabase(
        platform::db::firebirdConnectionString(location, "SYSDBA", "not the real one"))
        ->close();
    struct Case {
        const char* user;
        const char* password;
    };
    const Case cases[] = {{"SYSDBA", "masterkey"}, {"ADMIN", ""}, {"", ""}, {"ivanov", "x"}};
    for (const auto& c : cases) {
        EXPECT_TRUE(platform::db::openConnection(
                        platform::db::firebirdConnectionString(location, c.user, c.password))
                        ->connected())
            << c.user;
    }
    try {
        platform::db::openConnection(platform::db::firebirdConnectionString(
            (dir / "missing.fdb").string(), "SYSDBA", "masterkey"));
        ADD_FAILURE() << "a missing file opened";
    } catch (const platform::db::DbError& e) {
        EXPECT_NE(std::string(e.what()).find("missing.fdb"), std::string::npos) << e.what();
    }
}
