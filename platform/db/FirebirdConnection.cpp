#include "platform/db/FirebirdConnection.h"

#include "platform/db/FirebirdEnvironment.h"
#include "platform/db/FirebirdLocation.h"
#include "platform/db/FirebirdQuery.h"

namespace platform::db {

namespace {

using Status = Firebird::ThrowStatusWrapper;

// Read committed, seeing the latest committed version of a record. A lock held by another
// transaction is waited for, but not forever: after the timeout the statement fails with the
// lock conflict rather than leaving the program hanging. (Not waiting at all fails even on the
// locks that the engine itself still holds for a moment after a commit, such as a dropped
// table's.)
constexpr int kLockTimeoutSeconds = 60;

enum class OpenMode { Attach, Create };

std::unique_ptr<Connection> openOrCreate(const FirebirdParams& params, OpenMode mode) {
    if (params.location.empty()) {
        throw DbError("no Firebird database location given");
    }
    FirebirdCodec codec(params.charset);
    Firebird::IMaster* master = firebirdMaster();
    const FirebirdLocation location = parseFirebirdLocation(params.location);
    Firebird::IAttachment* attachment = firebirdCall(master, [&](Status* status) {
        Firebird::IUtil* util = master->getUtilInterface();
        Firebird::IXpbBuilder* dpb =
            util->getXpbBuilder(status, Firebird::IXpbBuilder::DPB, nullptr, 0);
        Firebird::IProvider* provider = nullptr;
        try {
            // The location is a file name of this system, in UTF-8.
            dpb->insertTag(status, isc_dpb_utf8_filename);
            if (!params.user.empty()) {
                dpb->insertString(status, isc_dpb_user_name, codec.toDb(params.user).c_str());
            }
            if (!params.password.empty()) {
                dpb->insertString(status, isc_dpb_password, codec.toDb(params.password).c_str());
            }
            dpb->insertString(status, isc_dpb_lc_ctype, codec.charset().c_str());
            dpb->insertInt(status, isc_dpb_sql_dialect, SQL_DIALECT_V6);
            // A local file is opened by the engine inside this process, never through a
            // server that may or may not run on this machine.
            dpb->insertString(status, isc_dpb_config,
                              location.onServer ? "Providers=Remote" : "Providers=Engine12");
            if (mode == OpenMode::Create) {
                dpb->insertInt(status, isc_dpb_page_size, 8192);
                dpb->insertString(status, isc_dpb_set_db_charset, codec.charset().c_str());
            }
            provider = master->getDispatcher();
            const unsigned length = dpb->getBufferLength(status);
            const unsigned char* buffer = dpb->getBuffer(status);
            Firebird::IAttachment* result =
                mode == OpenMode::Create
                    ? provider->createDatabase(status, params.location.c_str(), length, buffer)
                    : provider->attachDatabase(status, params.location.c_str(), length, buffer);
            provider->release();
            dpb->dispose();
            return result;
        } catch (...) {
            if (provider != nullptr) {
                provider->release();
            }
            dpb->dispose();
            throw;
        }
    });
    return std::make_unique<FirebirdConnection>(master, attachment, std::move(codec));
}

} // namespace

std::unique_ptr<Connection> openFirebird(const FirebirdParams& params) {
    return openOrCreate(params, OpenMode::Attach);
}

std::unique_ptr<Connection> createFirebirdDatabase(const FirebirdParams& params) {
    return openOrCreate(params, OpenMode::Create);
}

void rollbackQuietly(Firebird::IMaster* master, Firebird::ITransaction* transaction) {
    endQuietly(
        master, transaction,
        [](Firebird::ITransaction* t, Firebird::CheckStatusWrapper* st) { t->rollback(st); });
}

FirebirdConnection::FirebirdConnection(Firebird::IMaster* master, Firebird::IAttachment* attachment,
                                       FirebirdCodec codec)
    : master_(master), attachment_(attachment), codec_(std::move(codec)) {}

FirebirdConnection::~FirebirdConnection() {
    try {
        close();
    } catch (...) {
        // A destructor has nobody to tell; close() has released everything it could.
    }
}

void FirebirdConnection::requireConnected() const {
    if (attachment_ == nullptr) {
        throw DbError("the database connection is closed");
    }
}

Firebird::ITransaction* FirebirdConnection::startTransaction(Status* status) {
    Firebird::IXpbBuilder* tpb =
        master_->getUtilInterface()->getXpbBuilder(status, Firebird::IXpbBuilder::TPB, nullptr, 0);
    try {
        tpb->insertTag(status, isc_tpb_write);
        tpb->insertTag(status, isc_tpb_read_committed);
        tpb->insertTag(status, isc_tpb_rec_version);
        tpb->insertTag(status, isc_tpb_wait);
        tpb->insertInt(status, isc_tpb_lock_timeout, kLockTimeoutSeconds);
        Firebird::ITransaction* transaction = attachment_->startTransaction(
            status, tpb->getBufferLength(status), tpb->getBuffer(status));
        tpb->dispose();
        return transaction;
    } catch (...) {
        tpb->dispose();
        throw;
    }
}

void FirebirdConnection::close() {
    if (attachment_ == nullptr) {
        return;
    }
    if (transaction_ != nullptr) {
        rollbackQuietly(master_, transaction_);
        transaction_ = nullptr;
    }
    Firebird::IAttachment* attachment = attachment_;
    attachment_ = nullptr;
    firebirdCall(master_, [&](Status* status) {
        try {
            attachment->detach(status);
        } catch (...) {
            attachment->release();
            throw;
        }
        return 0;
    });
}

void FirebirdConnection::execute(const std::string& sql) {
    const std::string bytes = codec_.toDb(sql);
    requireConnected();
    firebirdCall(master_, [&](Status* status) {
        if (transaction_ != nullptr) {
            transaction_ =
                runFirebirdStatement(status, {master_, attachment_, transaction_, codec_}, bytes);
            return 0;
        }
        Firebird::ITransaction* own = startTransaction(status);
        Firebird::ITransaction* after = own;
        try {
            after = runFirebirdStatement(status, {master_, attachment_, own, codec_}, bytes);
            if (after != nullptr) {
                after->commit(status);
            }
        } catch (...) {
            if (after != nullptr) {
                rollbackQuietly(master_, after);
            }
            throw;
        }
        return 0;
    });
}

std::unique_ptr<Query> FirebirdConnection::query(const std::string& sql) {
    return inTransactionScope([&](Status* status, Firebird::ITransaction* transaction) {
        const FirebirdContext context{master_, attachment_, transaction, codec_};
        return readFirebirdQuery(status, context, sql);
    });
}

void FirebirdConnection::beginTransaction() {
    requireConnected();
    if (transaction_ != nullptr) {
        throw DbError("a transaction is already open on this connection");
    }
    transaction_ = firebirdCall(master_, [&](Status* status) { return startTransaction(status); });
}

void FirebirdConnection::commit() {
    requireConnected();
    if (transaction_ == nullptr) {
        throw DbError("no transaction is open on this connection");
    }
    // A failed commit leaves the transaction open, so that the caller can roll it back.
    firebirdCall(master_, [&](Status* status) {
        transaction_->commit(status);
        return 0;
    });
    transaction_ = nullptr;
}

void FirebirdConnection::rollback() {
    requireConnected();
    if (transaction_ == nullptr) {
        return;
    }
    Firebird::ITransaction* transaction = transaction_;
    transaction_ = nullptr;
    firebirdCall(master_, [&](Status* status) {
        try {
            transaction->rollback(status);
        } catch (...) {
            transaction->release();
            throw;
        }
        return 0;
    });
}

} // namespace platform::db
