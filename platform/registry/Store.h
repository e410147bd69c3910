#pragma once

// The store files of the root keys. A missing file is an empty store. Reads take a shared
// lock, writes an exclusive one, on a lock file beside the store ("HKLM.reg.lock"), waiting
// for another process's lock at most $UPDATE_REGISTRY_LOCK_TIMEOUT seconds (30 when unset;
// fractions allowed) and saying so on stderr when it is a terminal; a write
// reads the store, changes it, writes the whole store to a temporary file in the same
// folder, flushes it to disk and renames it over the store. A process that dies in the
// middle of a write thus leaves the previous store, and writers never lose each other's
// changes. A store file that is not in the registry-export format is never overwritten.
// A store file that is a symbolic link stands for the file it leads to: that file is read,
// locked (its lock file lies beside it) and replaced, in its own folder; the link stays.

#include "platform/registry/RegTree.h"
#include "platform/registry/Registry.h"

#include <functional>
#include <stdexcept>

namespace platform::registry {

// The store cannot be read or written, or its file is malformed; what() says which file and
// why.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// All keys of a root. Throws StoreError.
RegKey loadStore(Root root);

// Runs change on all keys of a root under the exclusive lock; when it returns true, the
// changed keys are written back as the new store. Throws StoreError.
void updateStore(Root root, const std::function<bool(RegKey& top)>& change);

} // namespace platform::registry
