#pragma once

// The library-wide state of the conversion library: one loaded copy serves one conversion at a
// time, so the state lives in library-wide variables and there is no per-call object.

#include "platform/db/Connection.h"

#include <functional>
#include <memory>
#include <string>

namespace varnex {

using PercentCallback = void (*)(double);

// Accumulated error text of the current or last DoIt call.
std::string& errorStr();
// Last progress value, 0.0 before the first call.
double procPercent();
// Stores the progress value and passes it, unchanged, to the registered callback.
void SetProcPercent(double value);
void setCallBackPercent(PercentCallback callback);

// Upper-cased "User ID" of the connection string of the current call.
const std::string& userName();
void setUserName(std::string name);

// Opens the library's own connection from a connection string. The library uses the database
// layer's openConnection; tests hand in a connection of their own.
using ConnectionOpener =
    std::function<std::unique_ptr<platform::db::Connection>(const std::string&)>;
void setConnectionOpener(ConnectionOpener opener);
std::unique_ptr<platform::db::Connection>
openLibraryConnection(const std::string& connectionString);

// Back to the state at loading: no error text, progress 0.0, no callback, the real opener.
void resetState();

} // namespace varnex
