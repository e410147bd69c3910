#pragma once

// The Firebird backend of Connection, over the client's object interface.

#include "platform/db/Connection.h"
#include "platform/db/firebird/FirebirdHandles.h"
#include "platform/db/firebird/FirebirdQuery.h"
#include "platform/db/firebird/FirebirdValues.h"

#include <firebird/Interface.h>

namespace platform::db::firebird {

class FirebirdConnection final : public Connection {
public:
    FirebirdConnection(Firebird::IMaster* master, AttachmentHandle attachment, FirebirdCodec codec);
    ~FirebirdConnection() override;
    FirebirdConnection(const FirebirdConnection&) = delete;
    FirebirdConnection& operator=(const FirebirdConnection&) = delete;

    bool connected() const override { return static_cast<bool>(attachment_); }
    void close() override;

    void execute(const std::string& sql) override;
    std::unique_ptr<Query> query(const std::string& sql) override;

    void beginTransaction() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override { return static_cast<bool>(transaction_); }

    std::vector<std::string> tableNames() override;
    std::vector<std::string> columnNames(const std::string& table) override;
    std::vector<ForeignKey> foreignKeysOf(const std::string& table) override;
    std::vector<ForeignKey> foreignKeysTo(const std::string& table) override;

    std::int64_t writeBlob(const std::string& table, const std::string& blobColumn,
                           const std::string& keyColumn, const std::string& keyValue,
                           std::istream& data) override;

private:
    void requireConnected() const;
    TransactionHandle startTransaction(Status* status);
    FirebirdContext context(Firebird::ITransaction* transaction) const {
        return {master_, attachment_.get(), transaction, codec_};
    }
    // Runs a statement in the given transaction and takes over the transaction open afterwards
    // (none after COMMIT or ROLLBACK, a new one after SET TRANSACTION).
    void runIn(Status* status, TransactionHandle& transaction, const std::string& bytes);
    // Runs work(status, transaction) in the open transaction, or else in a transaction of its
    // own that commits when the work succeeds and rolls back when it fails.
    template <class F> auto inTransactionScope(F&& work);
    std::vector<ForeignKey> foreignKeys(const std::string& condition);

    Firebird::IMaster* master_;
    FirebirdCodec codec_;
    // Declared before the transaction, so that the transaction ends first.
    AttachmentHandle attachment_;
    TransactionHandle transaction_;
};

template <class F> auto FirebirdConnection::inTransactionScope(F&& work) {
    requireConnected();
    return firebirdCall(master_, [&](Status* status) {
        if (transaction_) {
            return work(status, transaction_.get());
        }
        TransactionHandle own = startTransaction(status);
        auto result = work(status, own.get());
        own.finish(status, CommitTransaction{});
        return result;
    });
}

} // namespace platform::db::firebird
