#include "platform/db/firebird/FirebirdConnection.h"

namespace platform::db::firebird {

namespace {

// Read committed, seeing the latest committed version of a record. A lock held by another
// transaction is waited for, but not forever: after the timeout the statement fails with the
// lock conflict rather than leaving the program hanging. (Not waiting at all fails even on the
// locks that the engine itself still holds for a moment after a commit, such as a dropped
// table's.)
constexpr int kLockTimeoutSeconds = 60;

} // namespace

FirebirdConnection::FirebirdConnection(Firebird::IMaster* master, AttachmentHandle attachment,
                                       FirebirdCodec codec)
    : master_(master), codec_(std::move(codec)), attachment_(std::move(attachment)) {}

FirebirdConnection::~FirebirdConnection() {
    try {
        close();
    } catch (const DbError&) {
        // A destructor has nobody to tell; the handles have released what close() left.
    }
}

void FirebirdConnection::requireConnected() const {
    if (!attachment_) {
        throw DbError("the database connection is closed");
    }
}

TransactionHandle FirebirdConnection::startTransaction(Status* status) {
    const Disposed<Firebird::IXpbBuilder> tpb(
        master_->getUtilInterface()->getXpbBuilder(status, Firebird::IXpbBuilder::TPB, nullptr, 0));
    tpb->insertTag(status, isc_tpb_write);
    tpb->insertTag(status, isc_tpb_read_committed);
    tpb->insertTag(status, isc_tpb_rec_version);
    tpb->insertTag(status, isc_tpb_wait);
    tpb->insertInt(status, isc_tpb_lock_timeout, kLockTimeoutSeconds);
    return TransactionHandle(master_,
                             attachment_->startTransaction(status, tpb->getBufferLength(status),
                                                           tpb->getBuffer(status)));
}

void FirebirdConnection::close() {
    if (!attachment_) {
        return;
    }
    transaction_.reset();
    AttachmentHandle attachment = std::move(attachment_);
    firebirdCall(master_, [&](Status* status) {
        attachment.finish(status);
        return 0;
    });
}

void FirebirdConnection::runIn(Status* status, TransactionHandle& transaction,
                               const std::string& bytes) {
    Firebird::ITransaction* after = runFirebirdStatement(status, context(transaction.get()), bytes);
    if (after != transaction.get()) {
        transaction.forget();
        transaction = TransactionHandle(master_, after);
    }
}

void FirebirdConnection::execute(const std::string& sql) {
    const std::string bytes = codec_.toDb(sql);
    requireConnected();
    firebirdCall(master_, [&](Status* status) {
        if (transaction_) {
            runIn(status, transaction_, bytes);
            return 0;
        }
        TransactionHandle own = startTransaction(status);
        runIn(status, own, bytes);
        if (own) {
            own.finish(status, CommitTransaction{});
        }
        return 0;
    });
}

std::unique_ptr<Query> FirebirdConnection::query(const std::string& sql) {
    return inTransactionScope([&](Status* status, Firebird::ITransaction* transaction) {
        return readFirebirdQuery(status, context(transaction), sql);
    });
}

void FirebirdConnection::beginTransaction() {
    requireConnected();
    if (transaction_) {
        throw DbError("a transaction is already open on this connection");
    }
    transaction_ = firebirdCall(master_, [&](Status* status) { return startTransaction(status); });
}

void FirebirdConnection::commit() {
    requireConnected();
    if (!transaction_) {
        throw DbError("no transaction is open on this connection");
    }
    // A failed commit leaves the transaction open, so that the caller can roll it back.
    firebirdCall(master_, [&](Status* status) {
        transaction_.finish(status, CommitTransaction{});
        return 0;
    });
}

void FirebirdConnection::rollback() {
    requireConnected();
    if (!transaction_) {
        return;
    }
    // The transaction is over whatever the rollback says.
    TransactionHandle transaction = std::move(transaction_);
    firebirdCall(master_, [&](Status* status) {
        transaction.finish(status);
        return 0;
    });
}

} // namespace platform::db::firebird
