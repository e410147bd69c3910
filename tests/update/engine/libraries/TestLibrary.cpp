// Conversion libraries for the tests of the library host, one source built in several
// variants (see CMakeLists.txt). Every variant that has DoIt writes its two arguments to the
// file named by TESTLIB_ARGS_FILE, when set, and reports the percentages of TESTLIB_PERCENTS
// (comma-separated, default "0,50,100") to the registered callback.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using Callback = void (*)(double);
Callback callback = nullptr;
std::string errorText;

[[maybe_unused]] void recordArguments(const char* connectionString, const char* databaseType) {
    const char* file = std::getenv("TESTLIB_ARGS_FILE");
    if (file == nullptr) {
        return;
    }
    if (std::FILE* out = std::fopen(file, "w")) {
        std::fprintf(out, "%s\n%s\n", connectionString, databaseType);
        std::fclose(out);
    }
}

[[maybe_unused]] void reportProgress() {
    const char* list = std::getenv("TESTLIB_PERCENTS");
    std::string percents = list != nullptr ? list : "0,50,100";
    std::size_t from = 0;
    while (from <= percents.size() && callback != nullptr) {
        const std::size_t comma = percents.find(',', from);
        const std::string item = percents.substr(from, comma - from);
        if (!item.empty()) {
            callback(std::strtod(item.c_str(), nullptr));
        }
        if (comma == std::string::npos) {
            break;
        }
        from = comma + 1;
    }
}

} // namespace

#ifndef TESTLIB_NO_SETCALLBACK
EXPORT void SetCallBackPercent(Callback percent) {
    callback = percent;
}
#endif

#ifndef TESTLIB_NO_GETERRORSTR
EXPORT void GetErrorStr(char** text) {
    *text = errorText.empty() ? nullptr : errorText.data();
}
#endif

#ifndef TESTLIB_NO_DOIT
EXPORT std::int32_t DoIt(const char* connectionString, const char* databaseType) {
    recordArguments(connectionString, databaseType);
    reportProgress();
    const char* error = std::getenv("TESTLIB_ERROR");
    errorText = error != nullptr ? error : "";
#if defined(TESTLIB_FAILS)
    return 1;
#elif defined(TESTLIB_CONNECTION_FAILS)
    return -1;
#else
    return 0;
#endif
}
#endif
