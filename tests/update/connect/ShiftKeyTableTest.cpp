#include "update/connect/ShiftKeyTable.h"

#include "KeyTableFixture.h"

#include <gtest/gtest.h>

using namespace update::connect;

TEST(ShiftKeyTable, BuiltInTableIsUsable) {
    const ShiftKeyTable& table = builtInShiftKeyTable();
    for (const auto v : table) {
        EXPECT_GE(v, 1);
        EXPECT_LE(v, 31);
    }
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_NE(table[i], table[10 + i]) << "the modes must differ at position " << i;
    }
    EXPECT_EQ(parseShiftKeyTable(connecttest::tableText(table), "text"), table);
}

class ShiftKeyTableFile : public connecttest::KeyTableFixture {};

TEST_F(ShiftKeyTableFile, ReplacementIsReadWithCommentsAndCommas) {
    useTableText("# site table\n"
                 "31, 30, 29, 28, 27,   # mode 1\n"
                 "26,25,24,23,22\r\n"
                 "\t1 2 3 4 5 6 7 8 9 10 # mode 2\n"
                 "# end");
    const ShiftKeyTable expected = {31, 30, 29, 28, 27, 26, 25, 24, 23, 22,
                                    1,  2,  3,  4,  5,  6,  7,  8,  9,  10};
    EXPECT_EQ(loadShiftKeyTable(), expected);
}

TEST_F(ShiftKeyTableFile, EveryLoadReadsTheFileAgain) {
    const ShiftKeyTable first = loadShiftKeyTable();
    EXPECT_EQ(first, connecttest::kTestTable);
    ShiftKeyTable changed = first;
    changed[0] = 30;
    testsupport::writeFile(tableFile(), connecttest::tableText(changed));
    EXPECT_EQ(loadShiftKeyTable(), changed);
}

TEST_F(ShiftKeyTableFile, MalformedReplacementIsAnErrorNeverTheBuiltInTable) {
    struct Case {
        const char* what;
        std::string text;
        const char* message;
    };
    const std::string nineteen = "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19";
    const Case cases[] = {
        {"empty", "", "holds 0 values"},
        {"comments only", "# 1 2 3\n", "holds 0 values"},
        {"19 values", nineteen, "holds 19 values"},
        {"21 values", nineteen + " 20 21", "more than 20"},
        {"zero", nineteen + " 0", "the value 0 is outside 1 to 31"},
        {"32", "32 " + nineteen, "line 1: the value 32 is outside 1 to 31"},
        {"negative", nineteen + "\n-5", "line 2: the value -5 is outside 1 to 31"},
        {"not a number", nineteen + " x", "\"x\" is not an integer"},
        {"fraction", nineteen + " 1.5", "\"1.5\" is not an integer"},
        {"semicolons", "1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17;18;19;20", "not an integer"},
    };
    for (const auto& c : cases) {
        useTableText(c.text);
        try {
            (void)loadShiftKeyTable();
            ADD_FAILURE() << c.what << ": no error";
        } catch (const ShiftKeyTableError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(tableFile().string()), std::string::npos) << message;
            EXPECT_NE(message.find(c.message), std::string::npos) << c.what << ": " << message;
        }
    }
}

TEST_F(ShiftKeyTableFile, UnreadableReplacementIsAnError) {
    struct Case {
        const char* what;
        std::string path;
        const char* message;
    };
    const Case cases[] = {
        {"missing file", (dir_ / "no-such-file").string(), "cannot be read"},
        {"folder", dir_.str(), "is a folder"},
    };
    for (const auto& c : cases) {
        useTableFile(c.path);
        try {
            (void)loadShiftKeyTable();
            ADD_FAILURE() << c.what << ": no error";
        } catch (const ShiftKeyTableError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(c.path), std::string::npos) << message;
            EXPECT_NE(message.find(c.message), std::string::npos) << message;
        }
    }
}

TEST_F(ShiftKeyTableFile, AFailedReadIsTriedAgain) {
    useTableText("1 2 3");
    EXPECT_THROW((void)loadShiftKeyTable(), ShiftKeyTableError);
    testsupport::writeFile(tableFile(), connecttest::tableText(connecttest::kTestTable));
    EXPECT_EQ(loadShiftKeyTable(), connecttest::kTestTable);
}

TEST_F(ShiftKeyTableFile, WithoutAReplacementTheBuiltInTableIsUsed) {
    if (std::filesystem::exists(kSiteShiftKeyTableFile)) {
        GTEST_SKIP() << "this machine has a site key table";
    }
    useTableFile(""); // set but empty counts as not set
    EXPECT_EQ(loadShiftKeyTable(), builtInShiftKeyTable());
}
