#include "update/connect/uValList.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

using update::connect::TValList;

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs itemsOf(const TValList& list) {
    Pairs pairs;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        pairs.emplace_back(list[i].Name, list[i].Value);
    }
    return pairs;
}

TValList parsed(const std::string& text) {
    TValList list;
    list.ParseText(text);
    return list;
}

} // namespace

TEST(ValList, ParseText) {
    struct Case {
        const char* text;
        Pairs items;
    };
    const Case cases[] = {
        {"", {}},
        {"no equals sign", {}},
        {"a=1", {{"a", "1"}}},
        {"a=1;", {{"a", "1"}}},
        {"a=1;;b=2", {{"a", "1"}, {"b", "2"}}},
        {"x;a=1", {{"a", "1"}}},
        {"a=1;x;b=2", {{"a", "1"}, {"b", "2"}}},
        {"a=b=c", {{"a", "b=c"}}},
        {"a=1;a=2", {{"a", "1"}, {"a", "2"}}},
        {" a = 1 ;b=2", {{" a ", " 1 "}, {"b", "2"}}},
        {"a=\"\"", {{"a", ""}}},
        {"a=\"x\"", {{"a", "\"x\""}}},
        {"a=\"\"\"\"", {{"a", "\"\"\"\""}}},
        {"a=", {{"a", ""}}},
        {"=v", {{"", "v"}}},
        {"Location=/srv/Базы/Cx.FDB;Provider=LCPI.IBProvider.2",
         {{"Location", "/srv/Базы/Cx.FDB"}, {"Provider", "LCPI.IBProvider.2"}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(itemsOf(parsed(c.text)), c.items) << c.text;
    }
}

TEST(ValList, ParseTextReplacesEarlierItems) {
    TValList list;
    list.ParseText("a=1;b=2");
    list.ParseText("c=3");
    EXPECT_EQ(itemsOf(list), (Pairs{{"c", "3"}}));
    list.ParseText("");
    EXPECT_EQ(list.Count(), 0u);
}

TEST(ValList, BuildText) {
    struct Case {
        const char* text;
        const char* built;
    };
    const Case cases[] = {
        {"", ""},
        {"a=", "a="},
        {"a=1;;b=2;", "a=1;b=2"},
        {" a = 1 ;x;b=c=d", " a = 1 ;b=c=d"},
        {"a=\"\"", "a="},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parsed(c.text).BuildText(), c.built) << c.text;
    }
}

TEST(ValList, NamesMatchByLocaleUpperCaseLastItemWins) {
    const TValList list = parsed("Data Source=one;Пароль=x;DATA SOURCE=two; User=u");
    EXPECT_EQ(list.GetValue("data source"), "two");
    EXPECT_EQ(list.GetValue("ПАРОЛЬ"), "x");
    EXPECT_EQ(list.GetValue("пароль"), "x");
    EXPECT_EQ(list.GetValue("User"), "") << "a blank before the name is part of it";
    EXPECT_EQ(list.GetValue(" user"), "u");
    EXPECT_EQ(list.GetValue("missing"), "");
}

TEST(ValList, SetValue) {
    TValList list = parsed("a=1;b=2;A=3");

    list.SetValue("missing", "");
    EXPECT_EQ(list.BuildText(), "a=1;b=2;A=3") << "an empty value for a missing name adds nothing";

    list.SetValue("a", "9");
    EXPECT_EQ(list.BuildText(), "a=1;b=2;A=9") << "the last matching item takes the value";

    list.SetValue("B", "");
    EXPECT_EQ(list.BuildText(), "a=1;b=;A=9") << "an empty value keeps the item";

    list.SetValue("New Key", "v");
    EXPECT_EQ(list.BuildText(), "a=1;b=;A=9;New Key=v");

    list.SetValue("new key", "\"\"");
    EXPECT_EQ(list.GetValue("NEW KEY"), "");
    EXPECT_EQ(list.Count(), 4u);

    list.SetValue("other", "\"\"");
    EXPECT_EQ(list.Count(), 5u) << "only the empty text itself adds nothing";
    EXPECT_EQ(list.BuildText(), "a=1;b=;A=9;New Key=;other=");
}

TEST(ValList, RemoveValueRemovesOnlyTheLastMatch) {
    TValList list = parsed("a=1;b=2;A=3");
    list.RemoveValue("a");
    EXPECT_EQ(list.BuildText(), "a=1;b=2");
    list.RemoveValue("missing");
    EXPECT_EQ(list.BuildText(), "a=1;b=2");
    list.RemoveValue("A");
    list.RemoveValue("b");
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.BuildText(), "");
}

TEST(ValList, IndexOutsideTheListThrows) {
    const TValList list = parsed("a=1");
    EXPECT_EQ(list[0].Value, "1");
    EXPECT_THROW((void)list[1], std::out_of_range);
}
