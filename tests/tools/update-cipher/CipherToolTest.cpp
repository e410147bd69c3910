// Runs the built update-cipher program (folder in UPDATE_TOOLS_DIR).

#include "platform/text/Text.h"
#include "tests/support/TempDir.h"
#include "update/connect/CredentialForms.h"
#include "update/connect/DigitText.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class CipherTool : public ::testing::Test {
protected:
    // Runs the tool with its standard output going to outFile (by default a file of the test).
    Outcome run(const std::vector<std::string>& args, std::string outFile = "") {
        const char* dir = std::getenv("UPDATE_TOOLS_DIR");
        EXPECT_NE(dir, nullptr) << "UPDATE_TOOLS_DIR is not set";
        const std::string program = std::string(dir ? dir : ".") + "/update-cipher";
        const bool ownOut = outFile.empty();
        if (ownOut) {
            outFile = (tmp_ / "out").string();
        }
        const std::string errFile = (tmp_ / "err").string();

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        pid_t pid = 0;
        const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        Outcome outcome;
        if (rc != 0) {
            ADD_FAILURE() << "cannot start " << program;
            return outcome;
        }
        int wstatus = 0;
        waitpid(pid, &wstatus, 0);
        outcome.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
        outcome.out = ownOut ? testsupport::readFile(outFile) : "";
        outcome.err = testsupport::readFile(errFile);
        return outcome;
    }

    // The single result line of a successful run.
    std::string result(const std::vector<std::string>& args) {
        const Outcome o = run(args);
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_EQ(o.err, "");
        EXPECT_FALSE(o.out.empty());
        EXPECT_EQ(o.out.back(), '\n');
        EXPECT_EQ(o.out.find('\n'), o.out.size() - 1) << "one line: " << o.out;
        return o.out.empty() ? o.out : o.out.substr(0, o.out.size() - 1);
    }

    // Runs the tools with a key table file of the test's own.
    void useTable(const std::string& text) {
        testsupport::writeFile(tmp_ / "table", text);
        env_.emplace("UPDATE_SHIFT_KEY_TABLE", (tmp_ / "table").string());
    }

    testsupport::TempDir tmp_;
    std::optional<testsupport::ScopedEnv> env_;
};

const char* kTable = "1 2 3 4 5 6 7 8 9 31\n11 12 13 14 15 16 17 18 19 20\n";

} // namespace

TEST_F(CipherTool, StoreGivesTheKnownFormOfMasterkey) {
    EXPECT_EQ(result({"store", "masterkey"}), "198065021183005046159115221");
    EXPECT_EQ(result({"read", "198065021183005046159115221"}), "masterkey");
}

TEST_F(CipherTool, ValuesRoundTripThroughBothForms) {
    useTable(kTable);
    for (const char* value : {"Пароль", "ЁжиК №5 €", "with blanks", "x"}) {
        const std::string stored = result({"store", value});
        EXPECT_TRUE(update::connect::isDigitText(stored)) << stored;
        EXPECT_EQ(result({"read", stored}), value);

        const std::string old = result({"store", "--old", value});
        EXPECT_NE(old, value);
        EXPECT_EQ(result({"read", "--old", old}), value);
    }
}

TEST_F(CipherTool, ShiftCommandsUseTheSiteTableAndMode) {
    useTable(kTable);
    // 'A' with key 1 (mode 1, entry 0) and key 11 (mode 2, entry 10).
    EXPECT_EQ(result({"shift-encode", "--mode", "1", "A"}), "a");
    EXPECT_EQ(result({"shift-encode", "--mode", "2", "A"}), "k");
    EXPECT_EQ(result({"shift-decode", "--mode", "2", "k"}), "A");
    // 'x' becomes the byte 0x98, which has no character: it comes out as U+0098.
    EXPECT_EQ(result({"shift-encode", "--mode", "1", "x"}), "\xC2\x98");
    EXPECT_EQ(result({"shift-decode", "--mode", "1", "\xC2\x98"}), "x");
    EXPECT_EQ(result({"store", "--old", "Abc"}), result({"shift-encode", "--mode", "1", "Abc"}));
    const std::string user = result({"shift-encode", "--mode", "2", "Пользователь"});
    EXPECT_EQ(result({"shift-decode", "--mode", "2", user}), "Пользователь");
}

TEST_F(CipherTool, Help) {
    const Outcome o = run({"--help"});
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("Usage: update-cipher"), std::string::npos);
    EXPECT_NE(o.out.find("UPDATE_SHIFT_KEY_TABLE"), std::string::npos);
}

TEST_F(CipherTool, WrongCommandLinesEndWithStatusTwoAndThePointerToHelp) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{}, "no command"},
        {{"encode", "x"}, "unknown command \"encode\""},
        {{"store"}, "text is missing"},
        {{"store", "--old"}, "text is missing"},
        {{"read"}, "stored value is missing"},
        {{"store", "a", "b"}, "one argument expected"},
        {{"shift-encode", "x"}, "--mode 1|2 is missing"},
        {{"shift-encode", "--mode"}, "--mode needs a value"},
        {{"shift-decode", "--mode", "3", "x"}, "the mode must be 1 or 2, not \"3\""},
        {{"shift-decode", "--mode", "one", "x"}, "the mode must be 1 or 2"},
        {{"shift-encode", "--mode", "1"}, "the text is missing"},
    };
    for (const auto& c : cases) {
        const Outcome o = run(c.args);
        const std::string shown = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(o.status, 2) << shown;
        EXPECT_EQ(o.out, "") << shown;
        EXPECT_EQ(o.err.rfind("update-cipher: ", 0), 0u) << o.err;
        EXPECT_NE(o.err.find(c.message), std::string::npos) << shown << ": " << o.err;
        const std::string tryHelp = "\nTry 'update-cipher --help'.\n";
        EXPECT_TRUE(o.err.size() > tryHelp.size() &&
                    o.err.compare(o.err.size() - tryHelp.size(), tryHelp.size(), tryHelp) == 0)
            << shown << ": " << o.err;
    }
}

TEST_F(CipherTool, ValuesThatCannotBeUsedEndWithStatusTwoAndTheReason) {
    // The stored form of a value holding a control character: not text.
    const std::string controlValue =
        update::connect::BytesToDigits(update::connect::loginRc4(std::string("a\x01", 2)));
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"store", "日本"}, "windows-1251"},
        {{"store", "\xFF"}, "invalid UTF-8"},
        {{"shift-decode", "--mode", "2", "日本"}, "windows-1251"},
        {{"read", "12x"}, "not a stored value"},
        {{"read", "1234"}, "not a stored value"},
        {{"read", "256"}, "not a stored value"},
        {{"read", controlValue}, "does not decode to text"},
        {{"read", "--old", "日本"}, "windows-1251"},
    };
    for (const auto& c : cases) {
        const Outcome o = run(c.args);
        EXPECT_EQ(o.status, 2) << c.args[1];
        EXPECT_EQ(o.out, "") << c.args[1];
        EXPECT_EQ(o.err.rfind("update-cipher: ", 0), 0u) << o.err;
        EXPECT_NE(o.err.find(c.message), std::string::npos) << c.args[1] << ": " << o.err;
        EXPECT_EQ(o.err.find("Try '"), std::string::npos) << o.err;
    }
}

TEST_F(CipherTool, AResultThatCannotBeWrittenIsAFailure) {
    const Outcome o = run({"store", "masterkey"}, "/dev/full");
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("update-cipher: cannot write the result"), std::string::npos) << o.err;
}

TEST_F(CipherTool, MalformedKeyTableIsReportedOnlyWhereTheShiftCipherIsUsed) {
    useTable("1 2 3 # too few");
    const std::string table = (tmp_ / "table").string();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"store", "--old", "x"},
          std::vector<std::string>{"read", "--old", "x"},
          std::vector<std::string>{"shift-encode", "--mode", "2", "x"}}) {
        const Outcome o = run(args);
        EXPECT_EQ(o.status, 2) << args[0];
        EXPECT_NE(o.err.find(table), std::string::npos) << o.err;
        EXPECT_NE(o.err.find("holds 3 values"), std::string::npos) << o.err;
    }
    EXPECT_EQ(result({"store", "masterkey"}), "198065021183005046159115221");
}
