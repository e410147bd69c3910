#include "update/connect/uValList.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

using update::connect::SubstituteCredentials;
using update::connect::TValList;

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs itemsOf(const TValList& list) {
    Pairs pairs;
    for (std::size_t i = 0; i < list.count(); ++i) {
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
    EXPECT_EQ(list.count(), 0u);
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
    EXPECT_EQ(list.count(), 4u);

    list.SetValue("other", "\"\"");
    EXPECT_EQ(list.count(), 5u) << "only the empty text itself adds nothing";
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
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(list.BuildText(), "");
}

TEST(ValList, IndexOutsideTheListThrows) {
    const TValList list = parsed("a=1");
    EXPECT_EQ(list[0].Value, "1");
    EXPECT_THROW((void)list[1], std::out_of_range);
}

TEST(SubstituteCredentials, Cases) {
    struct Case {
        const char* what;
        const char* text;
        const char* userIn;
        const char* passwordIn;
        const char* result;
        const char* userOut;
        const char* passwordOut;
    };
    const Case cases[] = {
        {"account replaced, the rest keeps its case",
         "Provider=LCPI.IBProvider.2;User Id=U;Password=Secret;Location=/srv/DB/Cx.FDB", "SYSDBA",
         "masterkey",
         "Provider=LCPI.IBProvider.2;user id=SYSDBA;password=masterkey;Location=/srv/DB/Cx.FDB",
         "SYSDBA", "masterkey"},
        {"blank account taken over with its case",
         "Provider=LCPI.IBProvider.2;User Id=U;Password=Secret;Location=/srv/DB/Cx.FDB", "", "",
         "Provider=LCPI.IBProvider.2;user id=U;password=Secret;Location=/srv/DB/Cx.FDB", "U",
         "Secret"},
        {"trimmed before the = is dropped", "User Id = sa;Data Source=s", "", "x",
         "user id= sa;Data Source=s", " sa", "x"},
        {"an account of blanks counts as blank", "USER ID=Ivan ;PASSWORD=", "  ", "\t",
         "user id=Ivan;password=", "Ivan", ""},
        {"no keys: only trimmed",
         " \r\nProvider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=Srv \t", "u", "p",
         "Provider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=Srv", "u", "p"},
        {"key at the end, no ;", "Data Source=s;User ID=old", "new", "",
         "Data Source=s;user id=new", "new", ""},
        {"the first occurrence anywhere is the key", "Initial Catalog=user idx;User Id=u", "sa", "",
         "Initial Catalog=user id=sa;User Id=u", "sa", ""},
        {"a user name with \"password\" in it is found again", "User Id=x;Password=y", "mypassword",
         "p", "user id=mypassword=p;Password=y", "mypassword", "p"},
        {"the search sees inserted values as given", "User Id=x;Password=y", "PassWord1", "p",
         "user id=PassWord1;password=p", "PassWord1", "p"},
        {"a value taken over is searched in lower case", "User Id=Password;Password=y", "", "p",
         "user id=password=p;Password=y", "Password", "p"},
        {"Cyrillic kept", "Location=/srv/Базы/Cx.fdb;USER ID=;PASSWORD=Пароль", "", "",
         "Location=/srv/Базы/Cx.fdb;user id=;password=Пароль", "", "Пароль"},
        {"key without = takes over the rest of the segment", "User Idsa;Password", "", "",
         "user id=sa;password=", "sa", ""},
    };
    for (const auto& c : cases) {
        std::string user = c.userIn;
        std::string password = c.passwordIn;
        EXPECT_EQ(SubstituteCredentials(c.text, user, password), c.result) << c.what;
        EXPECT_EQ(user, c.userOut) << c.what;
        EXPECT_EQ(password, c.passwordOut) << c.what;
    }
}
