#pragma once

// The host side of conversion libraries: a shared library exporting, with C linkage,
//   int32_t DoIt(const char* connectionString, const char* databaseType);  0 success
//   void    GetErrorStr(char** text);              optional; the library keeps the text
//   void    SetCallBackPercent(TPercentCallback);  required; called once before DoIt
// A library whose own connection cannot be opened returns -1 from DoIt and gives the
// database's message through GetErrorStr.

#include "update/run/RunContext.h"

#include <cstdint>
#include <string>

namespace update::engine {

extern "C" {
using TPercentCallback = void (*)(double percent);
using DoItFunction = std::int32_t (*)(const char* connectionString, const char* databaseType);
using GetErrorStrFunction = void (*)(char** text);
using SetCallBackPercentFunction = void (*)(TPercentCallback callback);
}

// What DoIt returns when the library could not open its own connection.
inline constexpr std::int32_t kLibraryConnectionFailed = -1;

// Closes the run's connection, loads the library, registers LibraryProgress, calls DoIt with
// a private copy of RunConnectionString and the DatabaseType, logs a failure with source path
// and unloads the library. True when DoIt returned 0.
bool ExecuteLibrary(run::RunContext& context, const std::string& path);

// The callback a library reports its progress to while ExecuteLibrary runs it: the bar goes to
// ItemStartPosition + CurrentItemShare * percent / 100 (clamped) and repaints.
extern "C" void LibraryProgress(double percent);

} // namespace update::engine
