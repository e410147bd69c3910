// BLOB values written from streams, segment by segment, so that a value of any
// size never sits in memory whole.

#include "platform/db/firebird/FirebirdConnection.h"
#include "platform/db/firebird/FirebirdQuery.h"

#include <cstring>
#include <vector>

namespace platform::db::firebird {

namespace {

// The largest segment the client takes in one call is 65535 bytes.
constexpr std::size_t kSegmentSize = 60 * 1024;

// A prepared statement whose last parameter is the key value, sent as text in the connection's
// character set; the engine converts it to the key column's type for the comparison. The
// other parameters keep the types the engine described.
class KeyedStatement {
public:
    KeyedStatement(Status* status, const FirebirdContext& context, const std::string& sql,
                   unsigned parameters, const std::string& keyValue)
        : status_(status),
          statement_(prepareFirebirdStatement(status, context, context.codec.toDb(sql),
                                              Firebird::IStatement::PREPARE_PREFETCH_METADATA)) {
        const Released<Firebird::IMessageMetadata> described(statement_->getInputMetadata(status));
        if (described->getCount(status) != parameters) {
            throw DbError("the statement does not take " + std::to_string(parameters) +
                          " parameters: " + sql);
        }
        const std::string key = context.codec.toDb(keyValue);
        const unsigned keyIndex = parameters - 1;
        const Released<Firebird::IMetadataBuilder> builder(described->getBuilder(status));
        builder->setType(status, keyIndex, SQL_VARYING);
        builder->setCharSet(status, keyIndex, context.codec.charsetId());
        builder->setLength(status, keyIndex, static_cast<unsigned>(key.empty() ? 1 : key.size()));
        input_.reset(builder->getMetadata(status));
        buffer_.assign(input_->getMessageLength(status), 0);
        for (unsigned i = 0; i < parameters; ++i) {
            const short notNull = 0;
            std::memcpy(buffer_.data() + input_->getNullOffset(status, i), &notNull,
                        sizeof notNull);
        }
        unsigned char* at = buffer_.data() + input_->getOffset(status, keyIndex);
        const auto length = static_cast<ISC_USHORT>(key.size());
        std::memcpy(at, &length, sizeof length);
        std::memcpy(at + sizeof length, key.data(), key.size());
    }

    Firebird::IStatement* statement() const { return statement_.get(); }
    Firebird::IMessageMetadata* input() const { return input_.get(); }
    unsigned char* buffer() { return buffer_.data(); }
    unsigned char* parameter(unsigned index) {
        return buffer_.data() + input_->getOffset(status_, index);
    }

private:
    Status* status_;
    StatementHandle statement_;
    Released<Firebird::IMessageMetadata> input_;
    std::vector<unsigned char> buffer_;
};

} // namespace

std::int64_t FirebirdConnection::writeBlob(const std::string& table, const std::string& blobColumn,
                                           const std::string& keyColumn,
                                           const std::string& keyValue, std::istream& data) {
    const std::string sql =
        "UPDATE " + table + " SET " + blobColumn + " = ? WHERE " + keyColumn + " = ?";
    return inTransactionScope([&](Status* status, Firebird::ITransaction* transaction) {
        KeyedStatement update(status, context(transaction), sql, 2, keyValue);
        ISC_QUAD id{};
        BlobHandle blob(master_, attachment_->createBlob(status, transaction, &id, 0, nullptr));
        std::vector<char> segment(kSegmentSize);
        for (;;) {
            data.read(segment.data(), static_cast<std::streamsize>(segment.size()));
            const auto got = static_cast<unsigned>(data.gcount());
            if (got == 0) {
                break;
            }
            blob->putSegment(status, got, segment.data());
        }
        if (data.bad()) {
            throw DbError("the BLOB value for " + table + "." + blobColumn +
                          " could not be read from its source");
        }
        blob.finish(status, CloseBlob{});
        std::memcpy(update.parameter(0), &id, sizeof id);
        update.statement()->execute(status, transaction, update.input(), update.buffer(), nullptr,
                                    nullptr);
        return static_cast<std::int64_t>(update.statement()->getAffectedRecords(status));
    });
}

} // namespace platform::db::firebird
