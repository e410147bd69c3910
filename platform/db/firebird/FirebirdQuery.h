#pragma once

// Running a statement on the Firebird client and reading all its rows into a BufferedQuery.

#include "platform/db/Connection.h"
#include "platform/db/firebird/FirebirdHandles.h"
#include "platform/db/firebird/FirebirdValues.h"

#include <firebird/Interface.h>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform::db::firebird {

// What a statement runs on. The transaction is borrowed: its owner ends it.
struct FirebirdContext {
    Firebird::IMaster* master;
    Firebird::IAttachment* attachment;
    Firebird::ITransaction* transaction;
    const FirebirdCodec& codec;
};

// Prepares sql (given as UTF-8) in the transaction, reads every row it yields and closes it.
// A statement that yields no rows (an INSERT, an executed procedure without outputs) gives no
// columns.
std::unique_ptr<Query> readFirebirdQuery(Status* status, const FirebirdContext& context,
                                         const std::string& sql);

// Runs a statement given in the connection's character set. A query's rows are fetched (so
// that a selectable procedure does all its work) and dropped. Returns the transaction that is
// open afterwards: the one given, none after a COMMIT or ROLLBACK statement (the client has
// ended the one given and released its interface), or the new one of a SET TRANSACTION
// statement.
Firebird::ITransaction* runFirebirdStatement(Status* status, const FirebirdContext& context,
                                             const std::string& bytes);

// Reads a BLOB segment by segment, handing each piece to sink.
void readFirebirdBlob(Status* status, const FirebirdContext& context, ISC_QUAD id,
                      const std::function<void(std::string_view)>& sink);

// Prepares a statement given in the connection's character set.
StatementHandle prepareFirebirdStatement(Status* status, const FirebirdContext& context,
                                         const std::string& bytes, unsigned flags);

} // namespace platform::db::firebird
