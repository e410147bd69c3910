// libsampleconv.so: the conversion library of the sample release package. It opens its own
// connection from the connection string it is given, gives every catalogue entry without a
// price the price 0 and reports its progress. A connection that cannot be opened makes DoIt
// return -1 with the database's message in GetErrorStr; any other failure returns 1.

#include "platform/db/ConnectionString.h"

#include <cstdint>
#include <exception>
#include <string>

#define SAMPLE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using Callback = void (*)(double);
Callback progress = nullptr;
std::string errorText;

void report(double percent) {
    if (progress != nullptr) {
        progress(percent);
    }
}

} // namespace

SAMPLE_EXPORT void SetCallBackPercent(Callback callback) {
    progress = callback;
}

SAMPLE_EXPORT void GetErrorStr(char** text) {
    *text = errorText.empty() ? nullptr : errorText.data();
}

SAMPLE_EXPORT std::int32_t DoIt(const char* connectionString, const char* /*databaseType*/) {
    errorText.clear();
    report(0);
    std::unique_ptr<platform::db::Connection> connection;
    try {
        connection = platform::db::openConnection(connectionString);
    } catch (const std::exception& error) {
        errorText = error.what();
        return -1;
    }
    try {
        report(50);
        connection->execute("UPDATE CX_CATALOG SET PRICE = 0 WHERE PRICE IS NULL");
        connection->close();
        report(100);
        return 0;
    } catch (const std::exception& error) {
        errorText = std::string("Конвертация цен: ") + error.what();
        return 1;
    }
}
