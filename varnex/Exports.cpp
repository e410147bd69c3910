// The four exports of libvarnex.so. Everything else of the library is hidden.

#include "varnex/DoIt.h"
#include "varnex/State.h"
#include "varnex/varnex.h"

#define VARNEX_EXPORT __attribute__((visibility("default")))

extern "C" {

VARNEX_EXPORT int32_t DoIt(const char* connectionString, const char* databaseType) {
    return varnex::DoIt(connectionString, databaseType);
}

VARNEX_EXPORT void GetErrorStr(char** text) {
    if (text == nullptr) {
        return;
    }
    std::string& error = varnex::errorStr();
    *text = error.empty() ? nullptr : error.data();
}

VARNEX_EXPORT double GetProcPercent(void) {
    return varnex::procPercent();
}

VARNEX_EXPORT void SetCallBackPercent(TPercentCallback callback) {
    varnex::setCallBackPercent(callback);
}

} // extern "C"
