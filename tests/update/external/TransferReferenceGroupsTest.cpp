#include "update/external/TransferReferenceGroups.h"

#include "tests/support/ChildFixture.h"

#include <gtest/gtest.h>

namespace update::external {
namespace {

using Lines = std::vector<std::string>;

// The import program is a script in the Catalex folder of the test; what it does is set per
// test. It finds the window handle in its WNDHANDLE argument.
class TransferTest : public testsupport::ChildFixture {
protected:
    TransferTest() {
        context.UpdaterState.CatalexFolder = (temp / "catalex").string() + "/";
        context.UpdaterState.UserName = "ivanov";
        context.UpdaterState.UserPassword = "secret";
        context.UpdaterState.UserGroup = "admins";
        context.CurrentUpdateKind = update::run::kKindTransfer;
    }

    void importProgram(const std::string& body) {
        testsupport::writeScript(temp / "catalex/Utils/RefGroupImport.exe",
                                 "for a in \"$@\"; do case $a in WNDHANDLE=*) H=${a#WNDHANDLE=};; "
                                 "XML_DATA=*) DATA=${a#XML_DATA=};; esac; done\n" +
                                     body);
    }

    bool run(const std::string& elements) {
        document = platform::xml::Document::parse(
            "<ROOT><SCHEMA_UPDATE>" + elements + "</SCHEMA_UPDATE></ROOT>", "updcfg.xml");
        return TransferReferenceGroups(context, document->root().child("SCHEMA_UPDATE"));
    }

    std::string program() const { return (temp / "catalex/Utils/RefGroupImport.exe").string(); }

    Lines entry(const std::string& source, const std::string& error) const {
        return {"/*",
                "Операция:импорт справочников",
                "Источник:" + source,
                "Ошибка:",
                error,
                std::string(48, '-'),
                "*/"};
    }

    std::optional<platform::xml::Document> document;
};

TEST_F(TransferTest, PassesCredentialsFilesAndHandleOnTheCommandLine) {
    importProgram("for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                  (temp / "args.txt").string() + "'");
    ASSERT_TRUE(run("<E DATA_FILE='sub\\data.xml' SCHEMA_FILE='data.xsd' OBJECTS='1,2,3'/>"));
    const std::string package = context.UpdaterState.ProgramFolder;
    EXPECT_EQ(linesOf("args.txt"), (Lines{"LOGIN=ivanov", "PASSWORD=secret", "GROUP=admins",
                                          "XML_DATA=" + package + "sub/data.xml", "REF_NAMES=1,2,3",
                                          "XML_SCHEMA=" + package + "data.xsd",
                                          "WNDHANDLE=" + std::to_string(receiver->handle())}));
    EXPECT_EQ(context.CurrentChildCommand,
              program() + " LOGIN=\"ivanov\" PASSWORD=\"secret\" GROUP=\"admins\" XML_DATA=\"" +
                  package + "sub/data.xml\" REF_NAMES=1,2,3 XML_SCHEMA=\"" + package +
                  "data.xsd\" WNDHANDLE=" + std::to_string(receiver->handle()));
    EXPECT_EQ(host.captionHistory().front(), "импорт справочников");
    EXPECT_TRUE(host.logLines().empty());
}

TEST_F(TransferTest, PasswordHoldingAQuoteSplitsWhereTheQuoteStands) {
    context.UpdaterState.UserPassword = "pa\"ss word";
    importProgram("for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                  (temp / "args.txt").string() + "'");
    ASSERT_TRUE(run("<E DATA_FILE='d.xml' SCHEMA_FILE='d.xsd' OBJECTS='1'/>"));
    const Lines args = linesOf("args.txt");
    ASSERT_GE(args.size(), 3u);
    EXPECT_EQ(args[1], "PASSWORD=pass");
    EXPECT_EQ(args[2], "word GROUP=admins XML_DATA=" + context.UpdaterState.ProgramFolder +
                           "d.xml REF_NAMES=1 XML_SCHEMA=" + context.UpdaterState.ProgramFolder +
                           "d.xsd WNDHANDLE=" + std::to_string(receiver->handle()));
}

TEST_F(TransferTest, ProgressMovesTheBarWithinTheElementsShare) {
    importProgram("case $DATA in *c.xml) for p in 0 50 100; do \"$NOTIFY\" --handle $H progress "
                  "$p; done;; esac");
    ASSERT_TRUE(run("<E DATA_FILE='a.xml'/><E DATA_FILE='b.xml'/><E DATA_FILE='c.xml'/>"));
    EXPECT_EQ(host.barMaximum(), 100);
    EXPECT_DOUBLE_EQ(context.CurrentItemShare, 33.0);
    EXPECT_DOUBLE_EQ(context.ItemStartPosition, 66.0);
    // 66 + 50 * 33 / 100 = 82.5 goes to the even 82.
    EXPECT_EQ(host.barPositionHistory(), (std::vector<int>{0, 66, 82, 99}));
}

TEST_F(TransferTest, FailureReportsLogTheCommandWithoutThePassword) {
    const std::string masked =
        program() + " LOGIN=\"ivanov\" PASSWORD=\"***\" GROUP=\"admins\" XML_DATA=\"" +
        context.UpdaterState.ProgramFolder + "d.xml\" REF_NAMES=7 XML_SCHEMA=\"" +
        context.UpdaterState.ProgramFolder +
        "d.xsd\" WNDHANDLE=" + std::to_string(receiver->handle());
    struct Case {
        const char* name;
        std::string body;
        std::string error;
    };
    const Case cases[] = {
        {"ByAtom", "\"$NOTIFY\" --handle $H error 'Справочник 7 не найден'",
         "Справочник 7 не найден"},
        {"ByDataCopy", "\"$NOTIFY\" --handle $H text 'bad schema'", "bad schema"},
        {"EmptyAtom", "\"$NOTIFY\" --handle $H error ''", "Неопределенная ошибка"},
    };
    for (const Case& c : cases) {
        host.clearLog();
        importProgram(c.body);
        EXPECT_FALSE(run("<E DATA_FILE='d.xml' SCHEMA_FILE='d.xsd' OBJECTS='7'/>")) << c.name;
        EXPECT_EQ(host.logLines(), entry(masked, c.error)) << c.name;
        EXPECT_FALSE(context.ChildSucceeded) << c.name;
    }
}

TEST_F(TransferTest, SuccessReportClearsAnEarlierFailureOfTheSameElement) {
    importProgram("\"$NOTIFY\" --handle $H error oops\n\"$NOTIFY\" --handle $H done 0");
    EXPECT_TRUE(run("<E DATA_FILE='d.xml'/>"));
    EXPECT_EQ(host.logLines().size(), 7u); // the failure's entry stays
}

TEST_F(TransferTest, FailureOfAnEarlierElementFailsTheStep) {
    // The second element's success report does not undo the first element's failure.
    importProgram("case $DATA in *a.xml) \"$NOTIFY\" --handle $H error oops;; *) \"$NOTIFY\" "
                  "--handle $H done 0;; esac");
    EXPECT_FALSE(run("<E DATA_FILE='a.xml'/><E DATA_FILE='b.xml'/>"));
    EXPECT_TRUE(context.ChildSucceeded);
}

TEST_F(TransferTest, MissingProgramIsLoggedForEveryElementAndFails) {
    EXPECT_FALSE(run("<E DATA_FILE='a.xml'/><E DATA_FILE='b.xml'/>"));
    const Lines log = host.logLines();
    ASSERT_EQ(log.size(), 14u);
    EXPECT_EQ(log[2].rfind("Источник:" + program() + " LOGIN=\"ivanov\" PASSWORD=\"***\"", 0), 0u);
    EXPECT_EQ(log[4], "No such file or directory");
}

TEST_F(TransferTest, ChildEndingWithoutReportSucceeds) {
    importProgram("exit 1");
    EXPECT_TRUE(run("<E/><E/>"));
    EXPECT_TRUE(host.logLines().empty());
}

TEST_F(TransferTest, NoElementsRunNothingAndSucceed) {
    importProgram("touch '" + (temp / "ran").string() + "'");
    EXPECT_TRUE(run(""));
    EXPECT_FALSE(std::filesystem::exists(temp / "ran"));
}

} // namespace
} // namespace update::external
