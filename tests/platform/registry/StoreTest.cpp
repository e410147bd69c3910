// The store with several processes: a writer killed in the middle of its writes, and writers
// and readers running at the same time.

#include "platform/registry/Registry.h"
#include "tests/platform/registry/RegistryFixture.h"
#include "tests/support/LockHolder.h"

#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace platform::registry;

namespace {

constexpr Root LM = Root::LocalMachine;

std::string valueName(int writer, int i) {
    return "w" + std::to_string(writer) + "_" + std::to_string(i);
}

std::vector<std::filesystem::path> temporaries(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind(".HKLM.reg.tmp", 0) == 0) {
            found.push_back(entry.path());
        }
    }
    return found;
}

} // namespace

TEST_F(RegistryTest, WriterKilledInTheMiddleLeavesEveryAcknowledgedValue) {
    // Each round kills the writer at another point of its write cycle: after a delay that
    // goes from none to almost the time one write takes.
    constexpr int kRounds = 10;
    constexpr int kAcksPerRound = 8;
    const std::string padding(300, 'x');
    std::vector<std::pair<int, int>> acknowledged; // (round, i)
    for (int round = 0; round < kRounds; ++round) {
        int ack[2];
        ASSERT_EQ(pipe(ack), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(ack[0]);
            for (int i = 0;; ++i) {
                if (WriteRegString(LM, "Software\\Killed", valueName(round, i),
                                   std::to_string(i) + padding) != kSuccess) {
                    _exit(2);
                }
                if (write(ack[1], &i, sizeof i) != static_cast<ssize_t>(sizeof i)) {
                    _exit(3);
                }
            }
        }
        close(ack[1]);
        int i = 0;
        const auto start = std::chrono::steady_clock::now();
        for (int seen = 0;
             seen < kAcksPerRound && read(ack[0], &i, sizeof i) == static_cast<ssize_t>(sizeof i);
             ++seen) {
            acknowledged.emplace_back(round, i);
        }
        const auto perWrite = (std::chrono::steady_clock::now() - start) / kAcksPerRound;
        std::this_thread::sleep_for(perWrite * round / kRounds);
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        // Acknowledgements already on their way count too.
        while (read(ack[0], &i, sizeof i) == static_cast<ssize_t>(sizeof i)) {
            acknowledged.emplace_back(round, i);
        }
        close(ack[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed on its own: " << status;

        for (const auto& [r, n] : acknowledged) {
            std::string text;
            ASSERT_EQ(ReadRegString(LM, "Software\\Killed", valueName(r, n), text), kSuccess)
                << "round " << round << ", value " << valueName(r, n);
            EXPECT_EQ(text, std::to_string(n) + padding);
        }
    }
    // The next write leaves no temporary file of a killed writer behind.
    ASSERT_EQ(WriteRegString(LM, "Software\\Killed", "after", "x"), kSuccess);
    EXPECT_TRUE(temporaries(dir.path()).empty());
}

TEST_F(RegistryTest, ConcurrentWritersKeepAllTheirValuesAndReadersSeeWholeStores) {
    constexpr int kWriters = 2;
    constexpr int kValues = 80;
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(go[1]);
            char c = 0;
            (void)!read(go[0], &c, 1); // returns at the start signal (end of file)
            for (int i = 0; i < kValues; ++i) {
                const long r = w == 0 ? WriteRegString(LM, "Software\\Shared", valueName(w, i),
                                                       std::to_string(i))
                                      : WriteRegBinary(LM, "software\\SHARED", valueName(w, i),
                                                       std::to_string(i));
                if (r != kSuccess) {
                    _exit(1);
                }
            }
            _exit(0);
        }
        writers.push_back(pid);
    }
    close(go[0]);
    close(go[1]); // both writers start now

    int running = kWriters;
    int reads = 0;
    while (running > 0) {
        std::string text;
        const long r = ReadRegString(LM, "Software\\Shared", valueName(0, 0), text);
        ASSERT_TRUE(r == kSuccess || r == kFileNotFound) << "read gave " << r;
        ++reads;
        for (auto& pid : writers) {
            int status = 0;
            if (pid > 0 && waitpid(pid, &status, WNOHANG) == pid) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
                pid = -1;
                --running;
            }
        }
    }
    EXPECT_GT(reads, 0);
    for (int i = 0; i < kValues; ++i) {
        std::string text;
        EXPECT_EQ(ReadRegString(LM, "Software\\Shared", valueName(0, i), text), kSuccess);
        EXPECT_EQ(text, std::to_string(i));
        EXPECT_EQ(ReadRegBinary(LM, "Software\\Shared", valueName(1, i), text), kSuccess);
        EXPECT_EQ(text, std::to_string(i));
    }
}

TEST_F(RegistryTest, LockHeldByAnotherProcessIsWaitedForABoundedTime) {
    using Clock = std::chrono::steady_clock;
    ASSERT_EQ(WriteRegString(LM, "K", "v", "before"), kSuccess);
    const std::string before = storeText();
    const std::string lockFile = storePath().string() + ".lock";
    {
        testsupport::ScopedEnv timeout("UPDATE_REGISTRY_LOCK_TIMEOUT", "0.5");
        testsupport::LockHolder holder(lockFile);
        const auto start = Clock::now();
        EXPECT_EQ(WriteRegString(LM, "K", "v", "after"), kAccessDenied);
        EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(500));
        std::string text = "unchanged";
        EXPECT_EQ(ReadRegString(LM, "K", "v", text), kAccessDenied);
        EXPECT_EQ(text, "unchanged");
        const std::string problem = storeProblem(LM);
        EXPECT_NE(problem.find("the lock file " + lockFile + " is held by another process"),
                  std::string::npos)
            << problem;
        EXPECT_NE(problem.find("after 0.5 s"), std::string::npos) << problem;
    }
    EXPECT_EQ(storeText(), before);
    {
        // A lock given up within the time is waited for (the default: 30 s).
        testsupport::ScopedEnv unset("UPDATE_REGISTRY_LOCK_TIMEOUT");
        testsupport::LockHolder holder(lockFile, std::chrono::milliseconds(300));
        const auto start = Clock::now();
        EXPECT_EQ(WriteRegString(LM, "K", "v", "after"), kSuccess);
        EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(250));
    }
    std::string text;
    EXPECT_EQ(ReadRegString(LM, "K", "v", text), kSuccess);
    EXPECT_EQ(text, "after");
}
