// update-reg as administrators run it: the built program, with its own store folder.

#include "platform/registry/Registry.h"
#include "platform/text/Utf16.h"
#include "tests/support/LockHolder.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace platform::registry;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

struct ToolRun {
    int status = -1; // exit status
    std::string out;
    std::string err;
};

class UpdateRegTest : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    testsupport::TempDir files;
    testsupport::ScopedEnv env{"UPDATE_REGISTRY_DIR", dir.str()};

    ToolRun tool(const std::vector<std::string>& args) const {
        const char* tools = std::getenv("UPDATE_TOOLS_DIR");
        EXPECT_NE(tools, nullptr) << "UPDATE_TOOLS_DIR is not set";
        const std::string program = std::string(tools ? tools : ".") + "/update-reg";
        const std::string outPath = (files / "stdout").string();
        const std::string errPath = (files / "stderr").string();
        const pid_t pid = fork();
        if (pid == 0) {
            const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(out, 1);
            dup2(err, 2);
            alarm(120); // a tool that hangs is stopped rather than the whole test

            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (const auto& a : args) {
                argv.push_back(const_cast<char*>(a.c_str()));
            }
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        ToolRun run;
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        run.out = readFile(outPath);
        run.err = readFile(errPath);
        return run;
    }

    // Runs a command that must succeed.
    std::string ok(const std::vector<std::string>& args) const {
        const ToolRun run = tool(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        return run.out;
    }

    std::string store(const char* name = "HKLM.reg") const {
        return std::filesystem::exists(dir / name) ? readFile(dir / name) : "<no store>";
    }
};

} // namespace

TEST_F(UpdateRegTest, AddThenQueryShowsValuesAsRegDoes) {
    const std::string key = "HKLM\\Software\\Korvel\\Catalex";
    ok({"add", key, "--value", "Folder", "--data", "/opt/catalex"});
    ok({"add", key, "--default", "--data", "по умолчанию"});
    ok({"add", key, "--value=Expand", "--type", "REG_EXPAND_SZ", "--data", "%HOME%/x"});
    ok({"add", key, "--value", "Items", "--type", "reg_multi_sz", "--data", "one\\0два"});
    ok({"add", key, "--value", "Count", "--type", "REG_DWORD", "--data", "0x1F"});
    ok({"add", key, "--value", "Decimal", "--type", "REG_DWORD", "--data", "4294967295"});
    ok({"add", key, "--value", "Bytes", "--type", "REG_BINARY", "--data", "0a,ff,1"});
    ok({"add", key, "--value", "Packed", "--type", "REG_BINARY", "--data", "00AB"});
    ok({"add", key + "\\Sub"});
    EXPECT_EQ(ok({"query", "HKEY_LOCAL_MACHINE\\SOFTWARE\\KORVEL\\catalex"}),
              "HKEY_LOCAL_MACHINE\\Software\\Korvel\\Catalex\n"
              "    Folder    REG_SZ    /opt/catalex\n"
              "    (Default)    REG_SZ    по умолчанию\n"
              "    Expand    REG_EXPAND_SZ    %HOME%/x\n"
              "    Items    REG_MULTI_SZ    one\\0два\n"
              "    Count    REG_DWORD    0x1f\n"
              "    Decimal    REG_DWORD    0xffffffff\n"
              "    Bytes    REG_BINARY    0AFF01\n"
              "    Packed    REG_BINARY    00AB\n"
              "\n"
              "HKEY_LOCAL_MACHINE\\Software\\Korvel\\Catalex\\Sub\n");
    EXPECT_EQ(ok({"query", key, "--value", "count"}),
              "HKEY_LOCAL_MACHINE\\Software\\Korvel\\Catalex\n"
              "    Count    REG_DWORD    0x1f\n");
    EXPECT_EQ(ok({"query", "HKLM\\Software", "--recursive"}),
              "HKEY_LOCAL_MACHINE\\Software\n\n"
              "HKEY_LOCAL_MACHINE\\Software\\Korvel\n\n"
              "HKEY_LOCAL_MACHINE\\Software\\Korvel\\Catalex\n"
              "    Folder    REG_SZ    /opt/catalex\n"
              "    (Default)    REG_SZ    по умолчанию\n"
              "    Expand    REG_EXPAND_SZ    %HOME%/x\n"
              "    Items    REG_MULTI_SZ    one\\0два\n"
              "    Count    REG_DWORD    0x1f\n"
              "    Decimal    REG_DWORD    0xffffffff\n"
              "    Bytes    REG_BINARY    0AFF01\n"
              "    Packed    REG_BINARY    00AB\n"
              "\n"
              "HKEY_LOCAL_MACHINE\\Software\\Korvel\\Catalex\\Sub\n\n");

    // The program's own reads see what the tool wrote.
    std::string text;
    EXPECT_EQ(ReadRegString(Root::LocalMachine, "Software\\Korvel\\Catalex", "Items", text), 0);
    EXPECT_EQ(text, std::string("one\0два", 10));
    std::int32_t n = 0;
    EXPECT_EQ(ReadRegInteger(Root::LocalMachine, "Software\\Korvel\\Catalex", "Decimal", n), 0);
    EXPECT_EQ(n, -1);
    EXPECT_EQ(ReadRegBinary(Root::LocalMachine, "Software\\Korvel\\Catalex", "Packed", text), 0);
    EXPECT_EQ(text, std::string(1, '\0')); // the bytes without the last one
}

TEST_F(UpdateRegTest, DeleteRemovesValuesAndKeys) {
    ok({"add", "HKCU\\Software\\Korvel\\Deplox\\Messages", "--value", "ExecProcMessageError",
        "--data", "failed"});
    ok({"add", "HKCU\\Software\\Korvel\\Deplox\\Messages", "--value", "Other"});
    ok({"delete", "HKEY_CURRENT_USER\\software\\korvel\\deplox\\messages", "--value",
        "execprocmessageerror"});
    EXPECT_EQ(ok({"query", "HKCU\\Software\\Korvel\\Deplox\\Messages"}),
              "HKEY_CURRENT_USER\\Software\\Korvel\\Deplox\\Messages\n"
              "    Other    REG_SZ    \n\n");
    ok({"delete", "HKCU\\Software\\Korvel\\Deplox"});
    EXPECT_FALSE(RegKeyExists(Root::CurrentUser, "Software\\Korvel\\Deplox"));
    EXPECT_TRUE(RegKeyExists(Root::CurrentUser, "Software\\Korvel"));
    EXPECT_EQ(store(), "<no store>"); // HKCU only
}

TEST_F(UpdateRegTest, ImportsAUtf16RegeditFileWithContinuationsAndDeletions) {
    ok({"add", "HKLM\\SOFTWARE\\Korvel\\Old\\Deep", "--value", "x"});
    ok({"add", "HKLM\\SOFTWARE\\Korvel\\Catalex\\4.0", "--value", "Obsolete", "--data", "1"});
    ok({"add", "HKLM\\SOFTWARE\\Korvel\\Catalex\\4.0", "--value", "Kept", "--data", "yes"});
    const std::string regedit =
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; Catalex settings\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvel\\Catalex\\4.0]\r\n"
        "\"InstallDir\"=\"C:\\\\Program Files\\\\Korvel\\\\Каталекс\"\r\n"
        "\"Obsolete\"=-\r\n"
        "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
        "  16,17,18,19\r\n"
        "\"Path\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00\r\n"
        "\"Timeout\"=dword:0000003c\r\n"
        "\r\n"
        "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvel\\Old]\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Korvel\\Plexar]\r\n"
        "@=\"user\"\r\n"
        "\r\n";
    writeFile(files / "site.reg", "\xFF\xFE" + platform::text::utf8ToUtf16le(regedit));
    ok({"import", (files / "site.reg").string()});

    const Root lm = Root::LocalMachine;
    const std::string k = "SOFTWARE\\Korvel\\Catalex\\4.0";
    std::string text;
    EXPECT_EQ(ReadRegString(lm, k, "InstallDir", text), 0);
    EXPECT_EQ(text, "C:\\Program Files\\Korvel\\Каталекс");
    EXPECT_EQ(ReadRegString(lm, k, "Obsolete", text), kFileNotFound);
    EXPECT_EQ(ReadRegString(lm, k, "Kept", text), 0);
    EXPECT_EQ(text, "yes");
    EXPECT_EQ(ReadRegString(lm, k, "Path", text), 0);
    EXPECT_EQ(text, "%TEMP%");
    EXPECT_EQ(ReadRegBinary(lm, k, "Blob", text), 0);
    EXPECT_EQ(text.size(), 25u);
    EXPECT_EQ(text.substr(0, 3), std::string("\0\1\2", 3));
    std::int32_t n = 0;
    EXPECT_EQ(ReadRegInteger(lm, k, "Timeout", n), 0);
    EXPECT_EQ(n, 60);
    EXPECT_FALSE(RegKeyExists(lm, "SOFTWARE\\Korvel\\Old"));
    EXPECT_EQ(ReadRegString(Root::CurrentUser, "Software\\Korvel\\Plexar", "", text), 0);
    EXPECT_EQ(text, "user");
}

TEST_F(UpdateRegTest, MalformedImportChangesNothing) {
    ok({"add", "HKLM\\Software\\A", "--value", "v", "--data", "before"});
    const std::string before = store();
    // The first section is fine; the error is further down.
    for (const std::string& bad :
         {std::string("\"n\"=dword:xyz"),
          // text data that is not whole UTF-16 is not made so
          std::string("\"n\"=hex(7):61,00,62"), std::string("\"n\"=hex(1):3d,d8,00,00")}) {
        SCOPED_TRACE(bad);
        writeFile(files / "bad.reg", "Windows Registry Editor Version 5.00\n\n"
                                     "[HKEY_LOCAL_MACHINE\\Software\\A]\n"
                                     "\"v\"=\"after\"\n\n"
                                     "[HKEY_CURRENT_USER\\Software\\B]\n" +
                                         bad + "\n");
        const ToolRun run = tool({"import", (files / "bad.reg").string()});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("bad.reg: line 7:"), std::string::npos) << run.err;
        EXPECT_EQ(store(), before);
        EXPECT_EQ(store("HKCU.reg"), "<no store>");
    }
}

TEST_F(UpdateRegTest, ImportInWindows1251IsRefusedUnlessHeadedRegedit4) {
    const std::string body = "[HKEY_CURRENT_USER\\Software\\\xCA\xEE\xF0\xE2\xE5\xEB]\n"
                             "\"\xC8\xEC\xFF\"=\"\xE7\xED\xE0\xF7\xE5\xED\xE8\xE5\"\n";
    writeFile(files / "new.reg", "Windows Registry Editor Version 5.00\n\n" + body);
    const ToolRun run = tool({"import", (files / "new.reg").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("new.reg: line 3: not UTF-8 text"), std::string::npos) << run.err;
    EXPECT_EQ(store("HKCU.reg"), "<no store>");

    writeFile(files / "old.reg", "REGEDIT4\n\n" + body);
    ok({"import", (files / "old.reg").string()});
    std::string text;
    EXPECT_EQ(ReadRegString(Root::CurrentUser, "Software\\Корвел", "Имя", text), 0);
    EXPECT_EQ(text, "значение");
}

TEST_F(UpdateRegTest, ExportThenImportRestoresTheKey) {
    const std::string key = "HKLM\\Software\\Korvel\\Plexar";
    ok({"add", key + "\\4.0", "--value", "Quoted", "--data", "say \"hi\" \\ bye"});
    ok({"add", key + "\\4.0", "--value", "Lines", "--type", "REG_MULTI_SZ", "--data", "a\\0b"});
    ok({"add", key + "\\4.0\\Empty"});
    ok({"add", key, "--value", "Blob", "--type", "REG_BINARY", "--data", std::string(600, 'e')});
    ok({"add", "HKLM\\Software\\Other", "--value", "x"});
    const std::string before = ok({"query", key, "--recursive"});

    const std::string file = (files / "plexar.reg").string();
    ok({"export", "hklm\\software\\korvel\\plexar", file});
    EXPECT_EQ(readFile(file).rfind("Windows Registry Editor Version 5.00\n\n"
                                   "[HKEY_LOCAL_MACHINE\\Software\\Korvel\\Plexar]\n",
                                   0),
              0u)
        << readFile(file);
    EXPECT_EQ(readFile(file).find("Other"), std::string::npos);

    ok({"delete", key});
    EXPECT_EQ(tool({"query", key}).status, 1);
    ok({"import", file});
    EXPECT_EQ(ok({"query", key, "--recursive"}), before);
    EXPECT_TRUE(RegKeyExists(Root::LocalMachine, "Software\\Other"));

    // The whole root exports as the store holds it.
    ok({"export", "HKEY_LOCAL_MACHINE", (files / "all.reg").string()});
    EXPECT_EQ(readFile(files / "all.reg"), store());
}

TEST_F(UpdateRegTest, ErrorsExitWithStatusOneAndAMessage) {
    ok({"add", "HKLM\\Software\\A", "--value", "v", "--data", "x"});
    const std::string before = store();
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::string f = (files / "nowhere" / "x.reg").string();
    const Case cases[] = {
        {{}, "no command given"},
        {{"frobnicate", "HKLM\\A"}, "unknown command 'frobnicate'"},
        {{"query"}, "'query' takes 1 argument, 0 given"},
        {{"export", "HKLM\\Software\\A"}, "'export' takes 2 arguments, 1 given"},
        {{"query", "HKLM\\Software\\A", "--bogus"}, "unknown option '--bogus'"},
        {{"query", "HKLM\\Software\\A", "--type", "REG_SZ"}, "not valid for 'query'"},
        {{"add", "HKLM\\Software\\A", "--value"}, "'--value' needs an argument"},
        {{"add", "HKLM\\Software\\A", "--value", "a", "--default"}, "not both"},
        {{"add", "HKLM\\Software\\A", "--recursive=yes"}, "'--recursive' takes no argument"},
        {{"query", "HKLM\\Software\\Missing"}, "key not found: HKLM\\Software\\Missing"},
        {{"query", "HKLM\\Software\\A", "--value", "w"}, "value not found: w in"},
        {{"query", "HKCR\\.txt"}, "invalid key 'HKCR\\.txt'"},
        {{"query", "Software\\A"}, "it must start with HKLM"},
        {{"add", "HKLM"}, "'HKLM' is a root key"},
        {{"delete", "HKLM\\"}, "is a root key"},
        {{"add", "HKLM\\Software\\A", "--data", "x"}, "need --value NAME or --default"},
        {{"add", "HKLM\\Software\\A", "--value", "v", "--type", "REG_QWORD"},
         "unknown value type 'REG_QWORD'"},
        {{"add", "HKLM\\Software\\A", "--value", "v", "--type", "REG_DWORD", "--data", "12a"},
         "bad REG_DWORD data '12a'"},
        {{"add", "HKLM\\Software\\A", "--value", "v", "--type", "REG_DWORD", "--data",
          "4294967296"},
         "bad REG_DWORD data"},
        {{"add", "HKLM\\Software\\A", "--value", "v", "--type", "REG_DWORD", "--data", "-1"},
         "bad REG_DWORD data"},
        {{"add", "HKLM\\Software\\A", "--value", "v", "--type", "REG_DWORD"}, "bad REG_DWORD"},
        {{"add", "HKLM\\Software\\A", "--value", "v", "--type", "REG_BINARY", "--data", "abc"},
         "bad REG_BINARY data 'abc'"},
        {{"add", "HKLM\\Software\\A", "--value", "v", "--type", "REG_BINARY", "--data", "0g"},
         "bad REG_BINARY data"},
        {{"add", "HKLM\\Software\\A", "--value", "v", "--type", "REG_BINARY", "--data", "01,"},
         "bad REG_BINARY data"},
        {{"add", "HKLM\\Software\\A", "--value", "v", "--type", "REG_MULTI_SZ", "--data",
          "a\\0\\0b"},
         "an empty item"},
        {{"add", "HKLM\\Software\\A", "--value", "v", "--data", "\xC0\xAF"}, "must be UTF-8"},
        {{"delete", "HKLM\\Software\\Missing"}, "key not found"},
        {{"delete", "HKLM\\Software\\A", "--value", "w"}, "value not found: w"},
        {{"delete", "HKLM\\Software\\A", "--default"}, "value not found: (Default)"},
        {{"import", f}, "cannot read " + f},
        {{"import", files.str()}, "cannot read"},
        {{"export", "HKLM\\Software\\Missing", (files / "x.reg").string()}, "key not found"},
        {{"export", "HKLM\\Software\\A", f}, "cannot write " + f},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const auto& a : c.args) {
            shown += " " + a;
        }
        SCOPED_TRACE("update-reg" + shown);
        const ToolRun run = tool(c.args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.rfind("update-reg: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(store(), before);
    EXPECT_EQ(store("HKCU.reg"), "<no store>");
    EXPECT_FALSE(std::filesystem::exists(files / "x.reg"));
}

TEST_F(UpdateRegTest, MalformedStoreIsReportedAndKept) {
    writeFile(dir / "HKLM.reg", "garbage\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"query", "HKLM\\A"},
          std::vector<std::string>{"add", "HKLM\\A", "--value", "v"}}) {
        const ToolRun run = tool(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("is malformed"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("line 1"), std::string::npos) << run.err;
    }
    EXPECT_EQ(readFile(dir / "HKLM.reg"), "garbage\n");
}

TEST_F(UpdateRegTest, HelpDescribesTheCommands) {
    const ToolRun run = tool({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* word : {"query", "add", "delete", "import", "export", "--recursive",
                             "REG_MULTI_SZ", "UPDATE_REGISTRY_DIR"}) {
        EXPECT_NE(run.out.find(word), std::string::npos) << word;
    }
    EXPECT_EQ(tool({"query", "-h"}).status, 0);
}

TEST_F(UpdateRegTest, KeysAndNamesBeyondTheRegistryLimitsAreRefused) {
    std::string deep = "HKLM\\Software";
    for (int i = 1; i < 30000; ++i) {
        deep += "\\L";
    }
    const std::string h = "Windows Registry Editor Version 5.00\n\n";
    writeFile(files / "deep.reg",
              h + "[HKEY_LOCAL_MACHINE\\Software\\A]\n\"v\"=\"x\"\n\n[" + deep + "]\n");
    writeFile(files / "name.reg",
              h + "[HKEY_LOCAL_MACHINE\\Software\\A]\n\"" + std::string(16384, 'n') + "\"=\"x\"\n");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"add", deep}, "it is 30000 levels deep; a key lies at most 512 levels below its root"},
        {{"add", "HKLM\\Software\\" + std::string(256, 'k')}, "a key name is 256 characters"},
        {{"add", "HKLM\\Software\\A", "--value", std::string(16384, 'n')},
         "the value name is 16384 characters long; the longest is 16383"},
        {{"import", (files / "deep.reg").string()}, "deep.reg: line 6: invalid key: it is 30000"},
        {{"import", (files / "name.reg").string()}, "name.reg: line 4: invalid value name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const ToolRun run = tool(c.args);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        // A long key or name is not repeated whole in the message.
        EXPECT_LT(run.err.size(), 300u) << run.err;
    }
    EXPECT_EQ(store(), "<no store>");
}

TEST_F(UpdateRegTest, ImportReadsOnlyRegularFilesOfASaneSize) {
    ASSERT_EQ(mkfifo((files / "pipe").c_str(), 0600), 0);
    std::filesystem::create_directory(files / "folder");
    {
        // A sparse file one byte larger than the limit.
        std::ofstream big(files / "big.reg", std::ios::binary);
    }
    std::filesystem::resize_file(files / "big.reg", 64 * 1024 * 1024 + 1);
    struct Case {
        std::string file;
        std::string message;
    };
    const Case cases[] = {
        {(files / "pipe").string(), "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {(files / "folder").string(), "not a regular file"},
        {(files / "big.reg").string(), "larger than 64 MiB"},
        {(files / "missing.reg").string(), "No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const ToolRun run = tool({"import", c.file});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("cannot read " + c.file + ": " + c.message), std::string::npos)
            << run.err;
    }
    EXPECT_EQ(store(), "<no store>");
}

TEST_F(UpdateRegTest, HeldLockIsWaitedForThenGivenUpWithAMessage) {
    ok({"add", "HKLM\\Software\\A", "--value", "v", "--data", "before"});
    const std::string before = store();
    const std::string lockFile = (dir / "HKLM.reg.lock").string();
    testsupport::ScopedEnv timeout("UPDATE_REGISTRY_LOCK_TIMEOUT", "0.3");
    testsupport::LockHolder holder(lockFile);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"add", "HKLM\\Software\\A", "--value", "v", "--data", "after"},
          std::vector<std::string>{"query", "HKLM\\Software\\A"}}) {
        SCOPED_TRACE(args[0]);
        const ToolRun run = tool(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "update-reg: registry store: the lock file " + lockFile +
                               " is held by another process; gave up waiting after 0.3 s\n");
    }
    EXPECT_EQ(store(), before);

    // On a terminal the wait is announced first.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string terminal = ptsname(master);
    const char* tools = std::getenv("UPDATE_TOOLS_DIR");
    ASSERT_NE(tools, nullptr);
    const std::string program = std::string(tools) + "/update-reg";
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const int slave = open(terminal.c_str(), O_RDWR | O_NOCTTY);
        dup2(slave, 2);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        alarm(120);
        execl(program.c_str(), program.c_str(), "query", "HKLM\\Software\\A", nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    std::string shown;
    char buffer[4096];
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) {
        shown.append(buffer, static_cast<std::size_t>(n));
        if (shown.find("gave up") != std::string::npos) {
            break;
        }
    }
    close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_NE(shown.find("registry store: waiting up to 0.3 s for the lock file " + lockFile +
                         ", which another process holds"),
              std::string::npos)
        << shown;
    EXPECT_LT(shown.find("waiting"), shown.find("gave up")) << shown;
}
