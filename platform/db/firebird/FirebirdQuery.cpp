#include "platform/db/firebird/FirebirdQuery.h"

#include "platform/db/BufferedQuery.h"
#include "platform/db/Values.h"

#include <cstring>
#include <vector>

namespace platform::db::firebird {

namespace {

template <class T> T load(const unsigned char* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

class RowReader {
public:
    RowReader(Status* status, const FirebirdContext& context, Firebird::IMessageMetadata* meta)
        : status_(status), context_(context) {
        const unsigned count = meta->getCount(status);
        for (unsigned i = 0; i < count; ++i) {
            Field f;
            f.type = meta->getType(status, i) & ~1U;
            f.scale = meta->getScale(status, i);
            f.subType = meta->getSubType(status, i);
            f.charSet = meta->getCharSet(status, i);
            f.length = meta->getLength(status, i);
            f.offset = meta->getOffset(status, i);
            f.nullOffset = meta->getNullOffset(status, i);
            fields_.push_back(f);

            ColumnInfo info;
            std::string name = meta->getAlias(status, i);
            if (name.empty()) {
                name = meta->getField(status, i);
            }
            info.name = context.codec.fromDb(name);
            info.kind = firebirdColumnKind(f.type, f.scale, f.subType);
            columns_.push_back(std::move(info));
        }
    }

    std::vector<ColumnInfo> columns() const { return columns_; }

    Row read(const unsigned char* buffer) const {
        Row row;
        row.reserve(fields_.size());
        for (const Field& f : fields_) {
            row.push_back(cell(f, buffer));
        }
        return row;
    }

private:
    struct Field {
        unsigned type = 0;
        int scale = 0;
        int subType = 0;
        unsigned charSet = 0;
        unsigned length = 0;
        unsigned offset = 0;
        unsigned nullOffset = 0;
    };

    // Character set 1 is OCTETS: bytes, not text.
    std::string characters(const Field& f, const unsigned char* at, std::size_t size) const {
        const std::string_view bytes(reinterpret_cast<const char*>(at), size);
        return f.charSet == 1 ? std::string(bytes) : context_.codec.fromDb(bytes);
    }

    Cell cell(const Field& f, const unsigned char* buffer) const {
        Cell c;
        if (f.type == SQL_NULL || load<short>(buffer + f.nullOffset) != 0) {
            return c;
        }
        c.null = false;
        const unsigned char* at = buffer + f.offset;
        Firebird::IUtil* util = context_.master->getUtilInterface();
        switch (f.type) {
        case SQL_TEXT:
            c.text = characters(f, at, f.length);
            break;
        case SQL_VARYING:
            c.text = characters(f, at + sizeof(ISC_USHORT), load<ISC_USHORT>(at));
            break;
        case SQL_SHORT:
            c.text = formatScaled(load<ISC_SHORT>(at), f.scale);
            break;
        case SQL_LONG:
            c.text = formatScaled(load<ISC_LONG>(at), f.scale);
            break;
        case SQL_INT64:
            c.text = formatScaled(load<ISC_INT64>(at), f.scale);
            break;
        case SQL_FLOAT:
            c.text = formatFloat(load<float>(at));
            break;
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            c.text = formatDouble(load<double>(at));
            break;
        case SQL_BOOLEAN:
            c.text = load<FB_BOOLEAN>(at) != FB_FALSE ? "TRUE" : "FALSE";
            break;
        case SQL_TYPE_DATE: {
            unsigned y = 0, m = 0, d = 0;
            util->decodeDate(load<ISC_DATE>(at), &y, &m, &d);
            c.text = formatDate(y, m, d);
            break;
        }
        case SQL_TYPE_TIME: {
            unsigned h = 0, mi = 0, s = 0, frac = 0;
            util->decodeTime(load<ISC_TIME>(at), &h, &mi, &s, &frac);
            c.text = formatTime(h, mi, s);
            break;
        }
        case SQL_TIMESTAMP: {
            const auto stamp = load<ISC_TIMESTAMP>(at);
            unsigned y = 0, m = 0, d = 0, h = 0, mi = 0, s = 0, frac = 0;
            util->decodeDate(stamp.timestamp_date, &y, &m, &d);
            util->decodeTime(stamp.timestamp_time, &h, &mi, &s, &frac);
            c.text = formatDate(y, m, d) + " " + formatTime(h, mi, s);
            break;
        }
        case SQL_BLOB: {
            std::string bytes;
            readFirebirdBlob(status_, context_, load<ISC_QUAD>(at),
                             [&bytes](std::string_view piece) { bytes.append(piece); });
            c.text = f.subType == isc_blob_text ? context_.codec.fromDb(bytes) : std::move(bytes);
            break;
        }
        default:
            // Arrays and types this layer does not render: the value is there but has no text.
            break;
        }
        return c;
    }

    Status* status_;
    const FirebirdContext& context_;
    std::vector<Field> fields_;
    std::vector<ColumnInfo> columns_;
};

} // namespace

void readFirebirdBlob(Status* status, const FirebirdContext& context, ISC_QUAD id,
                      const std::function<void(std::string_view)>& sink) {
    BlobHandle blob(context.master,
                    context.attachment->openBlob(status, context.transaction, &id, 0, nullptr));
    // A segment length is 16 bits wide: a larger buffer would be taken as a smaller one.
    std::vector<char> buffer(60 * 1024);
    for (;;) {
        unsigned got = 0;
        const int result =
            blob->getSegment(status, static_cast<unsigned>(buffer.size()), buffer.data(), &got);
        if (result == Firebird::IStatus::RESULT_NO_DATA) {
            break;
        }
        sink(std::string_view(buffer.data(), got));
    }
    blob.finish(status, CloseBlob{});
}

StatementHandle prepareFirebirdStatement(Status* status, const FirebirdContext& context,
                                         const std::string& bytes, unsigned flags) {
    return StatementHandle(context.master,
                           context.attachment->prepare(status, context.transaction,
                                                       static_cast<unsigned>(bytes.size()),
                                                       bytes.data(), SQL_DIALECT_V6, flags));
}

namespace {

// Fetches every row of a statement that yields a result set, handing each to row.
template <class OnRow>
void fetchAll(Status* status, const FirebirdContext& context, const StatementHandle& statement,
              Firebird::IMessageMetadata* meta, unsigned char* buffer, OnRow&& row) {
    CursorHandle cursor(context.master, statement->openCursor(status, context.transaction, nullptr,
                                                              nullptr, meta, 0));
    while (cursor->fetchNext(status, buffer) == Firebird::IStatus::RESULT_OK) {
        row();
    }
    cursor.finish(status);
}

bool yieldsResultSet(unsigned type) {
    return type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd;
}

} // namespace

Firebird::ITransaction* runFirebirdStatement(Status* status, const FirebirdContext& context,
                                             const std::string& bytes) {
    const StatementHandle statement = prepareFirebirdStatement(status, context, bytes, 0);
    const unsigned type = statement->getType(status);
    if (type == isc_info_sql_stmt_start_trans || type == isc_info_sql_stmt_commit ||
        type == isc_info_sql_stmt_rollback) {
        // The client itself takes care of statements that end or start a transaction.
        return context.attachment->execute(status, context.transaction,
                                           static_cast<unsigned>(bytes.size()), bytes.data(),
                                           SQL_DIALECT_V6, nullptr, nullptr, nullptr, nullptr);
    }
    const Released<Firebird::IMessageMetadata> meta(statement->getOutputMetadata(status));
    std::vector<unsigned char> buffer(meta->getMessageLength(status));
    if (yieldsResultSet(type)) {
        fetchAll(status, context, statement, meta.get(), buffer.data(), [] {});
    } else if (meta->getCount(status) > 0) {
        statement->execute(status, context.transaction, nullptr, nullptr, meta.get(),
                           buffer.data());
    } else {
        statement->execute(status, context.transaction, nullptr, nullptr, nullptr, nullptr);
    }
    return context.transaction;
}

std::unique_ptr<Query> readFirebirdQuery(Status* status, const FirebirdContext& context,
                                         const std::string& sql) {
    const StatementHandle statement = prepareFirebirdStatement(
        status, context, context.codec.toDb(sql), Firebird::IStatement::PREPARE_PREFETCH_METADATA);
    const Released<Firebird::IMessageMetadata> meta(statement->getOutputMetadata(status));
    const RowReader reader(status, context, meta.get());
    std::vector<unsigned char> buffer(meta->getMessageLength(status));
    std::vector<Row> rows;

    const unsigned type = statement->getType(status);
    if (yieldsResultSet(type)) {
        fetchAll(status, context, statement, meta.get(), buffer.data(),
                 [&] { rows.push_back(reader.read(buffer.data())); });
        return std::make_unique<BufferedQuery>(sql, reader.columns(), std::move(rows));
    }
    if (meta->getCount(status) > 0) {
        statement->execute(status, context.transaction, nullptr, nullptr, meta.get(),
                           buffer.data());
        rows.push_back(reader.read(buffer.data()));
        return std::make_unique<BufferedQuery>(sql, reader.columns(), std::move(rows));
    }
    statement->execute(status, context.transaction, nullptr, nullptr, nullptr, nullptr);
    return std::make_unique<BufferedQuery>(sql, std::vector<ColumnInfo>{}, std::vector<Row>{});
}

} // namespace platform::db::firebird
