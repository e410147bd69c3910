#pragma once

// The Firebird backend of Connection, over the client's object interface.

#include "platform/db/Connection.h"
#include "platform/db/FirebirdStatus.h"
#include "platform/db/FirebirdValues.h"

#include <firebird/Interface.h>

namespace platform::db {

class FirebirdConnection final : public Connection {
public:
    FirebirdConnection(Firebird::IMaster* master, Firebird::IAttachment* attachment,
                       FirebirdCodec codec);
    ~FirebirdConnection() override;
    FirebirdConnection(const FirebirdConnection&) = delete;
    FirebirdConnection& operator=(const FirebirdConnection&) = delete;

    bool connected() const override { return attachment_ != nullptr; }
    void close() override;

    void execute(const std::string& sql) override;
    std::unique_ptr<Query> query(const std::string& sql) override;

    void beginTransaction() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override { return transaction_ != nullptr; }

    std::vector<std::string> tableNames() override;
    std::vector<std::string> columnNames(const std::string& table) override;
    std::vector<ForeignKey> foreignKeysOf(const std::string& table) override;
    std::vector<ForeignKey> foreignKeysTo(const std::string& table) override;

    std::int64_t writeBlob(const std::string& table, const std::string& blobColumn,
                           const std::string& keyColumn, const std::string& keyValue,
                           std::istream& data) override;

private:
    using Status = Firebird::ThrowStatusWrapper;

    void requireConnected() const;
    Firebird::ITransaction* startTransaction(Status* status);
    // Runs work(status, transaction) in the open transaction, or else in a transaction of its
    // own that commits when the work succeeds and rolls back when it fails.
    template <class F> auto inTransactionScope(F&& work);
    std::vector<ForeignKey> foreignKeys(const std::string& condition);

    Firebird::IMaster* master_;
    Firebird::IAttachment* attachment_;
    Firebird::ITransaction* transaction_ = nullptr;
    FirebirdCodec codec_;
};

// Rolls a transaction back without reporting a failure (used on the way out of an error);
// the interface is released in any case.
void rollbackQuietly(Firebird::IMaster* master, Firebird::ITransaction* transaction);

template <class F> auto FirebirdConnection::inTransactionScope(F&& work) {
    requireConnected();
    return firebirdCall(master_, [&](Status* status) {
        if (transaction_ != nullptr) {
            return work(status, transaction_);
        }
        Firebird::ITransaction* own = startTransaction(status);
        try {
            auto result = work(status, own);
            own->commit(status);
            return result;
        } catch (...) {
            rollbackQuietly(master_, own);
            throw;
        }
    });
}

} // namespace platform::db
