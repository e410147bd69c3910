// Loads the built libvarnex.so as a host does and runs a conversion through its exports.

#include "tests/varnex/LookupFormsDatabase.h"
#include "varnex/varnex.h"

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vector>

namespace {

using testing::ElementsAre;

std::vector<double>& seen() {
    static std::vector<double> values;
    return values;
}

void onPercent(double value) {
    seen().push_back(value);
}

class Library {
public:
    Library() : handle_(dlopen(VARNEX_LIBRARY, RTLD_NOW | RTLD_LOCAL)) {}
    ~Library() {
        if (handle_ != nullptr) {
            dlclose(handle_);
        }
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    void* handle() const { return handle_; }
    template <class F> F symbol(const char* name) const {
        return reinterpret_cast<F>(dlsym(handle_, name));
    }

private:
    void* handle_;
};

TEST(Library, ExportsTheFourFunctionsAndConvertsThroughThem) {
    Library library;
    ASSERT_NE(library.handle(), nullptr) << dlerror();
    const auto doIt = library.symbol<decltype(&DoIt)>("DoIt");
    const auto getErrorStr = library.symbol<decltype(&GetErrorStr)>("GetErrorStr");
    const auto getProcPercent = library.symbol<decltype(&GetProcPercent)>("GetProcPercent");
    const auto setCallBack = library.symbol<decltype(&SetCallBackPercent)>("SetCallBackPercent");
    ASSERT_NE(doIt, nullptr);
    ASSERT_NE(getErrorStr, nullptr);
    ASSERT_NE(getProcPercent, nullptr);
    ASSERT_NE(setCallBack, nullptr);
    // Nothing of the library's inside is visible.
    EXPECT_EQ(dlsym(library.handle(), "_ZN6varnex4DoItEPKcS1_"), nullptr);
    EXPECT_EQ(dlsym(library.handle(), "_ZN6varnex8errorStrB5cxx11Ev"), nullptr);

    char* text = reinterpret_cast<char*>(1);
    getErrorStr(&text);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(getProcPercent(), 0.0);

    seen().clear();
    setCallBack(&onPercent);
    varnextest::LookupFormsDatabase db;
    db.addSampleForms();
    EXPECT_EQ(doIt(db.connectionString().c_str(), "FIREBIRD"), 0);
    getErrorStr(&text);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(getProcPercent(), 100.0);
    EXPECT_THAT(seen(), ElementsAre(0.0, 2.0, 4.0, 6.0, 8.0, 10.0, 55.0, 100.0, 100.0));
    EXPECT_EQ(db.rows("select count(*) from REG_LOK_VALUES"), std::vector<std::string>{"22"});

    // A second run on the converted database changes nothing and succeeds.
    EXPECT_EQ(doIt(db.connectionString().c_str(), "FIREBIRD"), 0);
    EXPECT_EQ(db.rows("select count(*) from REG_LOK_VALUES"), std::vector<std::string>{"22"});

    // A database that cannot be opened: -1 and the database's message.
    seen().clear();
    const std::string missing = varnextest::sysdbaConnectionString("/nonexistent/x.fdb");
    EXPECT_EQ(doIt(missing.c_str(), "FIREBIRD"), -1);
    getErrorStr(&text);
    ASSERT_NE(text, nullptr);
    EXPECT_THAT(text, testing::HasSubstr("/nonexistent/x.fdb"));
    EXPECT_TRUE(seen().empty());
    EXPECT_EQ(getProcPercent(), 100.0);

    // A switched-off callback hears nothing; the progress is still kept.
    setCallBack(nullptr);
    EXPECT_EQ(doIt("Provider=NoSuchProvider.1;Data Source=nowhere;", "MSSQL"), -1);
    EXPECT_TRUE(seen().empty());
}

} // namespace
