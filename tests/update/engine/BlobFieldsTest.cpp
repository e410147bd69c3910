#include "update/engine/BlobFields.h"

#include "tests/update/engine/EngineFixture.h"
#include "update/engine/ScriptFile.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace {

using enginetest::EngineTest;
using enginetest::scalar;
using platform::xml::Document;
using update::engine::collectBlobDescriptions;
using update::engine::ExecuteScriptFile;
using update::run::TBlobDescr;

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(generator() & 0xFF);
    }
    return bytes;
}

// Peak resident memory of this process in KiB.
long peakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

class BlobFieldsTest : public EngineTest {
protected:
    BlobFieldsTest() {
        host.setBarMaximum(100);
        context.CurrentItemShare = 100;
        std::filesystem::create_directories(programDir / "Data");
    }
    void dataFile(const std::string& id, const std::string& bytes) {
        testsupport::writeFile(programDir / "Data" / (id + ".lob"), bytes);
    }
    // DOCS with keys and two BLOB columns, rows a, b and e.
    std::string docsScript(const std::string& groupAttributes) {
        return writeScript("s.xml", R"(
<DOCS_TABLE>
  <E STOP_ON_EXCEPTION="1">CREATE TABLE DOCS (ID INTEGER, KEYF VARCHAR(38), CONTENT BLOB SUB_TYPE 0, CONTENT2 BLOB SUB_TYPE 0)</E>
</DOCS_TABLE>
<DOCS_ROWS MOVE_BLOB=" 1 " TABLE_NAME="DOCS" )" +
                                        groupAttributes + R"(>
  <E STOP_ON_EXCEPTION="1">INSERT INTO DOCS VALUES (1, 'a', NULL, NULL)</E>
  <E STOP_ON_EXCEPTION="1">INSERT INTO DOCS VALUES (2, 'b', 'old', NULL)</E>
  <E STOP_ON_EXCEPTION="1">INSERT INTO DOCS VALUES (3, 'e', 'old', NULL)</E>
  <E STOP_ON_EXCEPTION="1">INSERT INTO DOCS VALUES (4, NULL, 'kept', NULL)</E>
</DOCS_ROWS>
)");
    }
    std::string blobOf(const std::string& column, int id) {
        auto c = inspect();
        return scalar(*c, "SELECT " + column + " FROM DOCS WHERE ID = " + std::to_string(id));
    }
};

TEST(BlobCollection, OnePerBlobFieldAttributeInOrder) {
    testsupport::RecordingHost host;
    update::run::RunContext context(host);
    const Document doc = Document::parse(
        R"(<G TABLE_NAME="T" GUID_FIELD_2="K2" BLOB_FIELD_2="B2" BLOB_FIELD_1="B1" GUID_FIELD_1="K1" blob_field_X="b"/>)",
        "g.xml");
    collectBlobDescriptions(context, doc.root());
    const std::vector<TBlobDescr> expected = {{"T", "B2", "K2"}, {"T", "B1", "K1"}, {"T", "", ""}};
    EXPECT_EQ(context.BlobDescrList, expected);

    context.BlobDescrList.clear();
    collectBlobDescriptions(context, Document::parse(R"(<G TABLE_NAME="T"/>)", "g.xml").root());
    EXPECT_TRUE(context.BlobDescrList.empty());
}

TEST_F(BlobFieldsTest, FillsFromDataFilesAndDropsTheKey) {
    useFirebird();
    const std::string a = randomBytes(200000, 1);
    dataFile("a", a);
    dataFile("e", "");
    const std::string path = docsScript(R"(BLOB_FIELD_1="CONTENT" GUID_FIELD_1="KEYF")");
    EXPECT_FALSE(ExecuteScriptFile(context, path)) << "b has no data file";
    context.connections.closeAll();

    EXPECT_EQ(blobOf("CONTENT", 1), a);
    EXPECT_EQ(blobOf("CONTENT", 2), "old") << "a row without its file keeps its value";
    EXPECT_EQ(blobOf("CONTENT", 3), "") << "an empty file stores an empty value";
    EXPECT_EQ(blobOf("CONTENT", 4), "kept");
    auto c = inspect();
    EXPECT_EQ(c->columnNames("DOCS"), (std::vector<std::string>{"ID", "CONTENT", "CONTENT2"}));

    const auto lines = log();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[1], "Операция:заполнение BLOB-полей");
    EXPECT_EQ(lines[2], "Источник:" + path);
    EXPECT_EQ(lines[4],
              "Не найден файл " + programDir.str() + "/Data/b.lob с данными из BLOB-поля");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "/*"), 1);
    EXPECT_EQ(host.barPosition(), 100);
}

// A key cannot reach outside the Data folder: a key holding a path delimiter names no data
// file, even when the file it would lead to exists.
TEST_F(BlobFieldsTest, AKeyWithAPathDelimiterNamesNoDataFile) {
    useFirebird();
    testsupport::writeFile(programDir / "outside.lob", "secret");
    std::filesystem::create_directories(programDir / "Data" / "sub");
    testsupport::writeFile(programDir / "Data" / "sub" / "x.lob", "nested");
    const std::string path = writeScript("s.xml", R"(
<DOCS_TABLE>
  <E STOP_ON_EXCEPTION="1">CREATE TABLE DOCS (ID INTEGER, KEYF VARCHAR(38), CONTENT BLOB SUB_TYPE 0)</E>
</DOCS_TABLE>
<DOCS_ROWS MOVE_BLOB="1" TABLE_NAME="DOCS" BLOB_FIELD_1="CONTENT" GUID_FIELD_1="KEYF">
  <E STOP_ON_EXCEPTION="1">INSERT INTO DOCS VALUES (1, '../outside', 'old')</E>
  <E STOP_ON_EXCEPTION="1">INSERT INTO DOCS VALUES (2, 'sub/x', 'old')</E>
</DOCS_ROWS>
)");
    EXPECT_FALSE(ExecuteScriptFile(context, path));
    context.connections.closeAll();
    EXPECT_EQ(blobOf("CONTENT", 1), "old");
    EXPECT_EQ(blobOf("CONTENT", 2), "old");
    const std::string text = logText();
    EXPECT_NE(text.find("Не найден файл " + programDir.str() + "/Data/../outside.lob"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Не найден файл " + programDir.str() + "/Data/sub/x.lob"),
              std::string::npos)
        << text;
}

TEST_F(BlobFieldsTest, TwoDescriptorsForOneKeyColumn) {
    useFirebird();
    dataFile("a", "A");
    dataFile("b", "B");
    dataFile("e", "E");
    const std::string path = docsScript(
        R"(BLOB_FIELD_1="CONTENT" GUID_FIELD_1="KEYF" BLOB_FIELD_2="CONTENT2" GUID_FIELD_2="KEYF")");
    EXPECT_TRUE(ExecuteScriptFile(context, path)) << logText();
    context.connections.closeAll();
    EXPECT_EQ(blobOf("CONTENT", 2), "B");
    EXPECT_EQ(blobOf("CONTENT2", 2), "<null>");
    const auto lines = log();
    ASSERT_GE(lines.size(), 6u);
    // The second finds its key column gone; the identifier is the one read last.
    EXPECT_EQ(lines[4], "Не могу вставить данные в поле CONTENT2 таблицы DOCS по идентификатору "
                        "'e' из поля KEYF");
    EXPECT_EQ(lines[5], "Dynamic SQL Error") << "the database's message follows directly";
}

TEST_F(BlobFieldsTest, AGroupWhoseConditionFailsAsksForNothing) {
    useFirebird();
    const std::string path = writeScript("s.xml", R"(
<G MOVE_BLOB="1" TABLE_NAME="NOPE" BLOB_FIELD_1="B" GUID_FIELD_1="K" CONDITION="EXIST_TABLE(NOPE);"><E>X</E></G>
<H MOVE_BLOB="0" TABLE_NAME="NOPE" BLOB_FIELD_1="B" GUID_FIELD_1="K"></H>
)");
    EXPECT_TRUE(ExecuteScriptFile(context, path));
    EXPECT_TRUE(context.BlobDescrList.empty());
    EXPECT_TRUE(log().empty());
}

TEST_F(BlobFieldsTest, ALargeFileIsStreamedNotHeld) {
    useFirebird();
    constexpr std::size_t kSize = 48u << 20;
    const std::string bytes = randomBytes(kSize, 7);
    dataFile("a", bytes);
    dataFile("b", "");
    dataFile("e", "");
    const std::string path = docsScript(R"(BLOB_FIELD_1="CONTENT" GUID_FIELD_1="KEYF")");
    // Warm the engine up first, so that its own caches do not count.
    {
        const std::string warm =
            writeScript("warm.xml", "<G><E>SELECT 1 FROM RDB$DATABASE</E></G>");
        ExecuteScriptFile(context, warm);
    }
    const long before = peakResidentKiB();
    EXPECT_TRUE(ExecuteScriptFile(context, path)) << logText();
    const long grown = peakResidentKiB() - before;
    context.connections.closeAll();
    EXPECT_LT(grown, static_cast<long>(kSize / 1024 / 2)) << "peak grew by " << grown << " KiB";
    auto c = inspect();
    EXPECT_EQ(scalar(*c, "SELECT OCTET_LENGTH(CONTENT) FROM DOCS WHERE ID = 1"),
              std::to_string(kSize));
    EXPECT_EQ(blobOf("CONTENT", 1) == bytes, true);
}

TEST_F(BlobFieldsTest, MsSqlSelectsTheKeyOnlyAndKeepsTheResultWhenTheDropFails) {
    useScripted("MSSQL");
    dataFile("k1", "12345");
    factory.prepare = [](testsupport::ScriptedConnection& c) {
        c.answer("SELECT GUIDF FROM", {{"GUIDF"}, {}, {{"k1"}}});
        c.fail("DROP COLUMN", "cannot drop");
    };
    const std::string path = writeScript("s.xml", R"(
<G MOVE_BLOB="1" TABLE_NAME="T" BLOB_FIELD_1="DATA" GUID_FIELD_1="GUIDF"></G>)");
    EXPECT_TRUE(ExecuteScriptFile(context, path));
    auto& journal = factory.last().journal;
    EXPECT_EQ(journal,
              (std::vector<std::string>{"query: SELECT GUIDF FROM T WHERE GUIDF IS NOT NULL",
                                        "blob: T.DATA GUIDF=k1 bytes=5",
                                        "exec: ALTER TABLE T DROP COLUMN GUIDF"}));
    const auto lines = log();
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[4], "Ошибка при удалении BLOB-полей");
    EXPECT_EQ(lines[5], "cannot drop");
    EXPECT_EQ(lines[6], "ALTER TABLE T DROP COLUMN GUIDF");
}

TEST_F(BlobFieldsTest, SaveFailuresByDialect) {
    for (const std::string type : {"MSSQL", "ORACLE"}) {
        host.clearLog();
        useScripted(type);
        dataFile("k1", "1");
        dataFile("k2", "2");
        factory.prepare = [](testsupport::ScriptedConnection& c) {
            c.answer("SELECT GUIDF FROM", {{"GUIDF"}, {}, {{"k1"}, {"k2"}}});
            c.fail("blob: T", "no space");
        };
        const std::string path = writeScript("s.xml", R"(
<G MOVE_BLOB="1" TABLE_NAME="T" BLOB_FIELD_1="DATA" GUID_FIELD_1="GUIDF"></G>)");
        const bool result = ExecuteScriptFile(context, path);
        const auto& journal = factory.last().journal;
        const auto lines = log();
        ASSERT_GE(lines.size(), 5u) << type;
        if (type == "MSSQL") {
            // Each row is reported, the script fails, the key column is dropped.
            EXPECT_FALSE(result);
            EXPECT_EQ(lines[4], "Ошибка заполнения BLOB-поля с идентификатором k1 в таблице T");
            EXPECT_EQ(std::count(lines.begin(), lines.end(), "/*"), 2);
            EXPECT_EQ(journal.back(), "exec: ALTER TABLE T DROP COLUMN GUIDF");
        } else {
            // The descriptor ends at the first row, without the drop; the result stays.
            EXPECT_TRUE(result);
            EXPECT_EQ(lines[4], "Не могу вставить данные в поле DATA таблицы T по идентификатору "
                                "'k1' из поля GUIDF");
            EXPECT_EQ(lines[5], "no space");
            EXPECT_EQ(journal.back().rfind("blob: T.DATA GUIDF=k1", 0), 0u);
        }
    }
}

} // namespace
