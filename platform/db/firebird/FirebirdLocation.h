#pragma once

// Where a Firebird location points: a database file opened by the embedded engine of this
// process, or a database on a server ("host:path", "host/port:path").

#include <string>

namespace platform::db::firebird {

struct FirebirdLocation {
    bool onServer = false;
    std::string server; // host, or host/port; empty for a local file
    std::string path;   // the file (on the server for a server location)
};

// The part before the first ':' names a server when it is not empty and is a host name, or a
// host name, '/' and a port number. Anything else (an absolute or relative path that happens
// to hold a ':') is a local file.
FirebirdLocation parseFirebirdLocation(const std::string& location);

} // namespace platform::db::firebird
