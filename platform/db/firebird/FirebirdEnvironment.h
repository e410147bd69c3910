#pragma once

// The Firebird client of this process. The embedded engine keeps lock files in a folder that
// every process opening the same database must be able to write; the default, /tmp/firebird,
// is made by whichever user comes first and then locks out the others. Unless FIREBIRD_LOCK
// is already set, the client is pointed at the folder "firebird/" of the user's private
// runtime folder (platform/os/RuntimeFolder.h) before it starts, and FIREBIRD_LOCK is set to
// it, so that child programs opening the same database use the same folder.

#include <firebird/Interface.h>
#include <string>

namespace platform::db::firebird {

// The client's master interface; prepares the environment on the first call. Throws DbError
// when the lock folder cannot be prepared.
Firebird::IMaster* firebirdMaster();

// The lock folder chosen when FIREBIRD_LOCK is not set: privateRuntimeFolder() + "firebird/",
// made with mode 0700 when missing. Throws DbError naming the folder when it, or the runtime
// folder, is not a folder of the current user that only the user can write.
std::string preparePrivateLockFolder();

} // namespace platform::db::firebird
