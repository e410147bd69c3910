// The embedded engine needs no server and no preparation by the caller, for root and for other
// users alike.

#include "platform/db/Connection.h"
#include "tests/platform/db/ChildProcess.h"
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

    // A lock folder of another user in the way is refused with a clear message.
    const std::filesystem::path taken = shared / ("firebird-" + std::to_string(kNobody));
    std::filesystem::create_directory(taken);
    chmod(taken.c_str(), 0700);
    dbtest::ChildOptions options;
    options.user = kNobody;
    options.environment = childEnvironment(shared.string());
    auto result =
        dbtest::runChild({dbtest::childProgram(), "create", (shared / "a.fdb").string()}, options);
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("FIREBIRD_LOCK"), std::string::npos) << result.output;
    std::filesystem::remove(taken);

    // With the way free, the engine runs with a private lock folder of that user, whatever
    // root left in the default one.
    result =
        dbtest::runChild({dbtest::childProgram(), "create", (shared / "b.fdb").string()}, options);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("rows=1"), std::string::npos) << result.output;
    struct stat st {};
    ASSERT_EQ(lstat(taken.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_mode & 0777, 0700U);
}

TEST(FirebirdEnvironment, AnArbitraryUserAndPasswordOpenTheEmbeddedEngine) {
    testsupport::TempDir dir;
    platform::db::FirebirdParams params;
    params.location = (dir / "x.fdb").string();
    params.user = "SYSDBA";
    params.password = "not the real one";
    platform::db::createFirebirdDatabase(params)->close();
    struct Case {
        const char* user;
        const char* password;
    };
    const Case cases[] = {{"SYSDBA", "masterkey"}, {"ADMIN", ""}, {"", ""}, {"ivanov", "x"}};
    for (const auto& c : cases) {
        params.user = c.user;
        params.password = c.password;
        EXPECT_TRUE(platform::db::openFirebird(params)->connected()) << c.user;
    }
    params.location = (dir / "missing.fdb").string();
    try {
        platform::db::openFirebird(params);
        ADD_FAILURE() << "a missing file opened";
    } catch (const platform::db::DbError& e) {
        EXPECT_NE(std::string(e.what()).find("missing.fdb"), std::string::npos) << e.what();
    }
}
