#pragma once

// Status vectors of the Firebird client turned into DbError with the database's own message.

#include "platform/db/Connection.h"

#include <firebird/Interface.h>
#include <string>
#include <utility>

namespace platform::db {

// The text of a status vector: its lines as the client interprets them, joined with "\n",
// converted to UTF-8 (the engine words names and values in the connection's character set).
std::string firebirdMessage(Firebird::IStatus* status);

// Runs f(status) with a status wrapper that throws, and turns a failure into DbError.
template <class F> auto firebirdCall(Firebird::IMaster* master, F&& f) {
    struct Holder {
        Firebird::IStatus* raw;
        Firebird::ThrowStatusWrapper wrapper;
        explicit Holder(Firebird::IStatus* s) : raw(s), wrapper(s) {}
        ~Holder() { raw->dispose(); }
        Holder(const Holder&) = delete;
        Holder& operator=(const Holder&) = delete;
    } status(master->getStatus());
    try {
        return std::forward<F>(f)(&status.wrapper);
    } catch (const Firebird::FbException& e) {
        throw DbError(firebirdMessage(e.getStatus()));
    }
}

// Ends an interface without throwing: end(object, status) is its last call (free, cancel,
// rollback), which releases the interface when it succeeds; when it fails, the interface is
// released all the same.
template <class Interface, class End>
void endQuietly(Firebird::IMaster* master, Interface* object, End end) {
    Firebird::IStatus* raw = master->getStatus();
    Firebird::CheckStatusWrapper status(raw);
    end(object, &status);
    if ((status.getState() & Firebird::IStatus::STATE_ERRORS) != 0) {
        object->release();
    }
    raw->dispose();
}

// A prepared statement that is freed in the engine when the handle goes away (releasing the
// interface alone would keep the engine's statement, and the tables it uses, until the
// connection closes).
class StatementHandle {
public:
    StatementHandle(Firebird::IMaster* master, Firebird::IStatement* statement)
        : master_(master), statement_(statement) {}
    ~StatementHandle();
    StatementHandle(const StatementHandle&) = delete;
    StatementHandle& operator=(const StatementHandle&) = delete;

    Firebird::IStatement* get() const { return statement_; }
    Firebird::IStatement* operator->() const { return statement_; }

private:
    Firebird::IMaster* master_;
    Firebird::IStatement* statement_;
};

} // namespace platform::db
