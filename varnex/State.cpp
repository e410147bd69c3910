#include "varnex/State.h"

#include "platform/db/ConnectionString.h"

namespace varnex {

namespace {

struct LibraryState {
    std::string errorStr;
    double procPercent = 0.0;
    PercentCallback callBackPercent = nullptr;
    std::string userName;
    ConnectionOpener opener;
};

LibraryState& state() {
    static LibraryState s;
    return s;
}

} // namespace

std::string& errorStr() {
    return state().errorStr;
}

double procPercent() {
    return state().procPercent;
}

void SetProcPercent(double value) {
    state().procPercent = value;
    if (state().callBackPercent != nullptr) {
        state().callBackPercent(value);
    }
}

void setCallBackPercent(PercentCallback callback) {
    state().callBackPercent = callback;
}

const std::string& userName() {
    return state().userName;
}

void setUserName(std::string name) {
    state().userName = std::move(name);
}

void setConnectionOpener(ConnectionOpener opener) {
    state().opener = std::move(opener);
}

std::unique_ptr<platform::db::Connection>
openLibraryConnection(const std::string& connectionString) {
    if (state().opener) {
        return state().opener(connectionString);
    }
    return platform::db::openConnection(connectionString);
}

void resetState() {
    state() = LibraryState{};
}

} // namespace varnex
