#pragma once

// The embedded engine shared between the processes of this user. By default the engine runs
// in its "Super" mode, in which the first process that opens a database file keeps it to
// itself; a child program (the reference-group import) then cannot open the database while
// the update holds its connections. In the "SuperClassic" mode every process has an engine of
// its own and they coordinate through the lock files in $FIREBIRD_LOCK.

#include <string>

namespace platform::db::firebird {

// Unless $FIREBIRD is set, points it at a Firebird root folder of this user
// (<private runtime folder>firebird-root/) whose firebird.conf includes the system's and sets
// ServerMode = SuperClassic; the other files come from the system's root (the folder
// firebird/3.0 beside the client library). Child programs inherit $FIREBIRD together with
// $FIREBIRD_LOCK, so every process of a run uses the same engine settings and lock folder.
// Must run before the client library is first used. Leaves everything as it is (the engine
// then keeps its default mode) when the system's root has no embedded engine. Returns the root
// folder in force afterwards, or the empty text when $FIREBIRD is not set. Throws DbError when
// the folder cannot be prepared.
std::string shareEmbeddedEngine();

} // namespace platform::db::firebird
