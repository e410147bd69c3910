#include "update/connect/uValList.h"

#include <gtest/gtest.h>

using update::connect::SubstituteCredentials;

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
