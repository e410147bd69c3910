#pragma once

// Handles of the ODBC driver manager with their owners, and the diagnostic records of a failed
// call turned into DbError.

#include "platform/db/Connection.h"

#include <sql.h>
#include <sqlext.h>
#include <string>
#include <string_view>
#include <vector>

namespace platform::db::odbc {

// Owns one handle (environment, connection or statement) and frees it when it goes.
class Handle {
public:
    Handle() = default;
    // Allocates a handle of the given type under parent (SQL_NULL_HANDLE for an environment).
    Handle(SQLSMALLINT type, SQLHANDLE parent);
    ~Handle() { reset(); }
    Handle(Handle&& other) noexcept;
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }
    explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }
    void reset();

    // Throws DbError with the handle's diagnostic records when rc is not a success. what names
    // the operation for the case that the driver left no record.
    void check(SQLRETURN rc, std::string_view what) const;

private:
    SQLSMALLINT type_ = 0;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// The diagnostic records of a handle, in their order, each as "SQLSTATE (native code)
// message", joined by line breaks; empty when there are none.
std::string diagnostics(SQLSMALLINT type, SQLHANDLE handle);

// Replaces every occurrence of a secret (a password of the connection string) in a message by
// "***", so that no driver's message can show it. Secrets shorter than four characters are
// left alone: replacing them would garble the message while hiding next to nothing.
std::string withoutSecrets(std::string message, const std::vector<std::string>& secrets);

} // namespace platform::db::odbc
