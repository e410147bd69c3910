#include "platform/db/odbc/OdbcHandles.h"

#include "platform/db/odbc/OdbcText.h"

#include <algorithm>
#include <utility>

namespace platform::db::odbc {

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
    const SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
    if (!SQL_SUCCEEDED(rc)) {
        handle_ = SQL_NULL_HANDLE;
        std::string message;
        if (parent != SQL_NULL_HANDLE) {
            message =
                diagnostics(type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV, parent);
        }
        throw DbError(message.empty() ? "the ODBC driver manager could not allocate a handle"
                                      : message);
    }
}

Handle::Handle(Handle&& other) noexcept
    : type_(other.type_), handle_(std::exchange(other.handle_, nullptr)) {}

Handle& Handle::operator=(Handle&& other) noexcept {
    if (this != &other) {
        reset();
        type_ = other.type_;
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void Handle::reset() {
    if (handle_ != SQL_NULL_HANDLE) {
        SQLFreeHandle(type_, handle_);
        handle_ = SQL_NULL_HANDLE;
    }
}

void Handle::check(SQLRETURN rc, std::string_view what) const {
    if (SQL_SUCCEEDED(rc)) {
        return;
    }
    std::string message = diagnostics(type_, handle_);
    if (message.empty()) {
        message = std::string(what) + " failed (ODBC return code " + std::to_string(rc) + ")";
    }
    throw DbError(message);
}

std::string diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    std::string joined;
    if (handle == SQL_NULL_HANDLE) {
        return joined;
    }
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        WideString message(512, 0);
        SQLRETURN rc = SQLGetDiagRecW(type, handle, record, state, &native, message.data(),
                                      static_cast<SQLSMALLINT>(message.size()), &length);
        if (SQL_SUCCEEDED(rc) && length >= static_cast<SQLSMALLINT>(message.size())) {
            // A long message: read it again, whole.
            message.assign(static_cast<std::size_t>(length) + 1, 0);
            rc = SQLGetDiagRecW(type, handle, record, state, &native, message.data(),
                                static_cast<SQLSMALLINT>(message.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc)) {
            break;
        }
        message.resize(std::min(message.size() - 1, static_cast<std::size_t>(length)));
        if (!joined.empty()) {
            joined += '\n';
        }
        joined += fromWide(state, 5) + " (" + std::to_string(native) + ") " + fromWide(message);
    }
    return joined;
}

std::string withoutSecrets(std::string message, const std::vector<std::string>& secrets) {
    for (const std::string& secret : secrets) {
        if (secret.size() < 4) {
            continue;
        }
        for (auto at = message.find(secret); at != std::string::npos;
             at = message.find(secret, at + 3)) {
            message.replace(at, secret.size(), "***");
        }
    }
    return message;
}

} // namespace platform::db::odbc
