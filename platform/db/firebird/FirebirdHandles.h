#pragma once

// The owners of the Firebird client's interfaces, so that every interface is released exactly
// once on every path out, and status vectors turned into DbError with the database's message.
// The backend holds no interface in a plain pointer outside these types.

#include "platform/db/Connection.h"

#include <firebird/Interface.h>
#include <memory>
#include <string>
#include <utility>

namespace platform::db::firebird {

// The status wrapper of every client call: a failure throws Firebird::FbException, which
// firebirdCall turns into DbError.
using Status = Firebird::ThrowStatusWrapper;

struct ReleaseInterface {
    template <class T> void operator()(T* object) const { object->release(); }
};
struct DisposeInterface {
    template <class T> void operator()(T* object) const { object->dispose(); }
};

// An interface that ends with release() (metadata, builders, providers).
template <class T> using Released = std::unique_ptr<T, ReleaseInterface>;
// An interface that ends with dispose() (status vectors, parameter block builders).
template <class T> using Disposed = std::unique_ptr<T, DisposeInterface>;

// An interface whose last call does work in the engine and can fail: a statement is freed, a
// cursor or a BLOB closed, a transaction committed or rolled back, an attachment detached.
// The normal path ends it with finish(status, call), which throws on failure and leaves the
// handle the owner of the interface. A handle that goes away unfinished ends its interface
// with End quietly (the way out of an error), releasing it when that fails as well.
template <class T, class End> class Ended {
public:
    Ended() = default;
    Ended(Firebird::IMaster* master, T* object) : master_(master), object_(object) {}
    ~Ended() { endQuietly(); }
    Ended(Ended&& other) noexcept
        : master_(other.master_), object_(std::exchange(other.object_, nullptr)) {}
    Ended& operator=(Ended&& other) noexcept {
        if (this != &other) {
            endQuietly();
            master_ = other.master_;
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    Ended(const Ended&) = delete;
    Ended& operator=(const Ended&) = delete;

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // Ends the interface with call(object, status) (End unless told otherwise), which releases
    // it when it succeeds.
    template <class Call = End> void finish(Status* status, Call call = {}) {
        call(object_, status);
        object_ = nullptr;
    }
    // Ends the interface quietly now.
    void reset() noexcept { endQuietly(); }
    // Lets go of an interface that the client has ended itself (a COMMIT statement ends the
    // transaction it ran in).
    void forget() noexcept { object_ = nullptr; }

private:
    void endQuietly() noexcept {
        if (object_ == nullptr) {
            return;
        }
        T* object = std::exchange(object_, nullptr);
        const Disposed<Firebird::IStatus> raw(master_->getStatus());
        Firebird::CheckStatusWrapper status(raw.get());
        End{}(object, &status);
        if ((status.getState() & Firebird::IStatus::STATE_ERRORS) != 0) {
            object->release();
        }
    }

    Firebird::IMaster* master_ = nullptr;
    T* object_ = nullptr;
};

struct FreeStatement {
    template <class S> void operator()(Firebird::IStatement* s, S* status) const {
        s->free(status);
    }
};
struct CloseCursor {
    template <class S> void operator()(Firebird::IResultSet* r, S* status) const {
        r->close(status);
    }
};
struct CancelBlob {
    template <class S> void operator()(Firebird::IBlob* b, S* status) const { b->cancel(status); }
};
struct CloseBlob {
    template <class S> void operator()(Firebird::IBlob* b, S* status) const { b->close(status); }
};
struct RollbackTransaction {
    template <class S> void operator()(Firebird::ITransaction* t, S* status) const {
        t->rollback(status);
    }
};
struct CommitTransaction {
    template <class S> void operator()(Firebird::ITransaction* t, S* status) const {
        t->commit(status);
    }
};
struct DetachAttachment {
    template <class S> void operator()(Firebird::IAttachment* a, S* status) const {
        a->detach(status);
    }
};

// A prepared statement, freed in the engine when the handle goes away (releasing the interface
// alone would keep the engine's statement, and the tables it uses, until the connection
// closes).
using StatementHandle = Ended<Firebird::IStatement, FreeStatement>;
using CursorHandle = Ended<Firebird::IResultSet, CloseCursor>;
// A BLOB being read or written: finish with CloseBlob; unfinished, it is discarded.
using BlobHandle = Ended<Firebird::IBlob, CancelBlob>;
// A transaction: finish with CommitTransaction or RollbackTransaction; unfinished, it is
// rolled back.
using TransactionHandle = Ended<Firebird::ITransaction, RollbackTransaction>;
using AttachmentHandle = Ended<Firebird::IAttachment, DetachAttachment>;

// The text of a status vector: its lines as the client interprets them, joined with "\n",
// converted to UTF-8 (the engine words names and values in the connection's character set).
std::string firebirdMessage(Firebird::IStatus* status);

// Runs f(status) with a status wrapper that throws, and turns a failure into DbError.
template <class F> auto firebirdCall(Firebird::IMaster* master, F&& f) {
    const Disposed<Firebird::IStatus> raw(master->getStatus());
    Status status(raw.get());
    try {
        return std::forward<F>(f)(&status);
    } catch (const Firebird::FbException& e) {
        throw DbError(firebirdMessage(e.getStatus()));
    }
}

} // namespace platform::db::firebird
