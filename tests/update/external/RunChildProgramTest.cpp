#include "update/external/RunChildProgram.h"

#include "tests/support/ChildFixture.h"
#include "update/run/RunLog.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace update::external {
namespace {

using Lines = std::vector<std::string>;

class RunChildProgramTest : public testsupport::ChildFixture {
protected:
    RunChildProgramTest() { host.setStatusCaption("op"); }

    // A program that writes its folder and its arguments, one a line, to args.txt.
    std::string recorder(const std::string& relative) {
        const auto path = temp / relative;
        testsupport::writeScript(path,
                                 "{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '" +
                                     (temp / "args.txt").string() + "'");
        return path.string();
    }

    Lines startFailure(const std::string& source, const std::string& error) const {
        return {"/*", "Операция:op", "Источник:" + source, "Ошибка:", error, std::string(48, '-'),
                "*/"};
    }
};

TEST_F(RunChildProgramTest, SplitsTheArgumentsAndWorksInTheProgramsFolder) {
    const std::string program = recorder("Utils/prog.exe");
    ASSERT_TRUE(
        RunChildProgram(context, program, "LOGIN=\"a b\" X=\"1\\\"2\" \"\" C:\\dir\\ REF=1,2"));
    EXPECT_EQ(linesOf("args.txt"), (Lines{(temp / "Utils").string(), "LOGIN=a b", "X=1\"2", "",
                                          "C:\\dir\\", "REF=1,2"}));
    EXPECT_TRUE(host.logLines().empty());
}

TEST_F(RunChildProgramTest, RelativeProgramPathIsFoundFromTheCurrentFolder) {
    recorder("Utils/RefGroupImport.exe");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(temp.path());
    const bool started = RunChildProgram(context, "Utils/RefGroupImport.exe", "x");
    std::filesystem::current_path(previous);
    ASSERT_TRUE(started);
    EXPECT_EQ(linesOf("args.txt"), (Lines{(temp / "Utils").string(), "x"}));
}

TEST_F(RunChildProgramTest, StartFailuresGiveTheSystemsTextWithThePasswordHidden) {
    const auto notExecutable = temp / "plain.exe";
    testsupport::writeFile(notExecutable, "not a program");
    struct Case {
        std::string program;
        std::string error;
    };
    const Case cases[] = {
        {(temp / "Utils/missing.exe").string(), "No such file or directory"},
        {"2", "No such file or directory"},
        {notExecutable.string(), "Permission denied"},
        {temp.str(), "Permission denied"},
    };
    for (const Case& c : cases) {
        host.clearLog();
        EXPECT_FALSE(RunChildProgram(context, c.program, "LOGIN=\"u\" PASSWORD=\"secret\" W=1"))
            << c.program;
        EXPECT_EQ(host.logLines(),
                  startFailure(c.program + " LOGIN=\"u\" PASSWORD=\"***\" W=1", c.error))
            << c.program;
    }
}

TEST_F(RunChildProgramTest, CrashOrErrorStatusWithoutReportCountsAsStarted) {
    const auto crash = temp / "crash.exe";
    testsupport::writeScript(crash, "kill -SEGV $$");
    const auto failing = temp / "fail.exe";
    testsupport::writeScript(failing, "exit 3");
    EXPECT_TRUE(RunChildProgram(context, crash.string(), ""));
    EXPECT_TRUE(RunChildProgram(context, failing.string(), ""));
    EXPECT_TRUE(host.logLines().empty());
}

TEST_F(RunChildProgramTest, ProcessesMessagesWhileWaitingAndAfterTheEnd) {
    // The child reports at once, then keeps running for well over two wait steps; the bar
    // moves long before it ends, and the report sent just before its end is handled too.
    const auto program = temp / "slow.exe";
    testsupport::writeScript(program, "\"$NOTIFY\" --handle " + std::to_string(receiver->handle()) +
                                          " progress 10\nsleep 1.3\n\"$NOTIFY\" --handle " +
                                          std::to_string(receiver->handle()) + " progress 90");
    context.CurrentItemShare = 100;
    context.ItemStartPosition = 0;
    int positionSeenWhileRunning = -1;
    host.onProcessMessages = [&] {
        receiver->processPending(context);
        if (host.processMessagesCount() == 2) {
            positionSeenWhileRunning = host.barPosition();
        }
    };
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunChildProgram(context, program.string(), ""));
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(positionSeenWhileRunning, 10);
    EXPECT_EQ(host.barPosition(), 90);
    // Wait steps of at most 500 ms: at least three rounds of message processing for 1.3 s.
    EXPECT_GE(host.processMessagesCount(), 3);
    EXPECT_LT(took, std::chrono::seconds(5));
}

TEST_F(RunChildProgramTest, ChildInheritsNoOpenFileButTheStandardOnes) {
    // The shell keeps its script open; anything else above 2 came from this program (the
    // message socket among them).
    const auto program = temp / "fds.exe";
    testsupport::writeScript(program, "exec > '" + (temp / "fds.txt").string() +
                                          "'\nfor f in /proc/$$/fd/*; do n=${f##*/}; "
                                          "[ $n -gt 2 ] && readlink $f; done");
    ASSERT_TRUE(RunChildProgram(context, program.string(), ""));
    const auto fds = linesOf("fds.txt");
    for (const std::string& target : fds) {
        EXPECT_EQ(target, program.string());
    }
}

} // namespace
} // namespace update::external
