#pragma once

// The Firebird client of this process. The embedded engine keeps lock files in a folder that
// every process opening the same database must be able to write; the default, /tmp/firebird,
// is made by whichever user comes first and then locks out the others. Unless FIREBIRD_LOCK
// is already set, the client is pointed at a private folder of the current user before it
// starts, so that callers need not prepare anything.

#include <firebird/Interface.h>
#include <string>

namespace platform::db {

// The client's master interface; prepares the environment on the first call. Throws DbError
// when the lock folder cannot be prepared.
Firebird::IMaster* firebirdMaster();

// The lock folder chosen for the embedded engine when FIREBIRD_LOCK is not set:
// $XDG_RUNTIME_DIR/firebird/ when that folder is set, else $TMPDIR (or /tmp) + "/firebird-"
// + the user id + "/". Made with mode 0700 when missing; throws DbError when it exists and is
// not a folder of the current user that only the user can write.
std::string preparePrivateLockFolder();

} // namespace platform::db
