#pragma once

// The database version read at login: opens the engine's connection of the run's type (it
// stays open for the update) and reads the newest row of BO_VERSION.

#include "update/run/RunContext.h"

#include <string>
#include <string_view>

namespace update::run {

inline constexpr const char* kDbVersionQuery =
    "SELECT BV.BDVERSION, BV.ID FROM BO_VERSION BV WHERE BV.ID=(SELECT MAX(BV1.ID) FROM "
    "BO_VERSION BV1)";
inline constexpr const char* kUndefinedDbVersion = "не определена";

// The part of a connection string after the first occurrence of key (letter case of the key
// ignored) up to the next ";" or the end, in its own letter case. Empty when the key does not
// occur.
std::string connectionStringPart(std::string_view connectionString, std::string_view key);

// Reopens the run's connection (reopenRunConnection, RunConnection.h: a connection of that
// type that is connected is closed first) and reads CurrentDbVersion and NextVersionId.
// Connecting is not guarded: a connection string without the server or location key gives an
// empty one, and the database's refusal (platform::db::DbError) leaves this function. Reading
// is guarded: when the query fails (DbError), its row has fewer than two columns, the ID is
// not a 32-bit integer (DbError) or is at the top of the 32-bit range (its successor does not
// exist), CurrentDbVersion is "не определена" and NextVersionId 0. An empty table gives
// StartDbVersions and 1; otherwise the newest row's BDVERSION and ID + 1. The connection stays
// open.
void readDatabaseVersion(RunContext& context);

} // namespace update::run
