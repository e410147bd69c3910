#pragma once

// Running a query on the Firebird client and reading all its rows into a BufferedQuery.

#include "platform/db/Connection.h"
#include "platform/db/FirebirdValues.h"

#include <firebird/Interface.h>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform::db {

struct FirebirdContext {
    Firebird::IMaster* master;
    Firebird::IAttachment* attachment;
    Firebird::ITransaction* transaction;
    const FirebirdCodec& codec;
};

// Prepares sql (given as UTF-8) in the transaction, reads every row it yields and closes it.
// A statement that yields no rows (an executed procedure without outputs) gives no columns.
std::unique_ptr<Query> readFirebirdQuery(Firebird::ThrowStatusWrapper* status,
                                         const FirebirdContext& context, const std::string& sql);

// Runs a statement given in the connection's character set. A query's rows are fetched (so
// that a selectable procedure does all its work) and dropped. Returns the transaction that is
// open afterwards: the one given, none after a COMMIT or ROLLBACK statement, or the new one of
// a SET TRANSACTION statement.
Firebird::ITransaction* runFirebirdStatement(Firebird::ThrowStatusWrapper* status,
                                             const FirebirdContext& context,
                                             const std::string& bytes);

// Reads a BLOB segment by segment, handing each piece to sink.
void readFirebirdBlob(Firebird::ThrowStatusWrapper* status, const FirebirdContext& context,
                      ISC_QUAD id, const std::function<void(std::string_view)>& sink);

} // namespace platform::db
