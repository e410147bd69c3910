#pragma once

// The engine's part of the main window's life: creation (the command-line switch), closing
// (the saved registry connection goes back, the connections close) and destruction.

#include "update/run/RunContext.h"

#include <array>
#include <string>
#include <vector>

namespace update::run {

// The items of cbDBType, in this order.
inline constexpr std::array<const char*, 3> kDatabaseTypeList = {"FIREBIRD", "MSSQL", "ORACLE"};

// Where the product keeps its connection; the login saves the values found there and closing
// writes them back.
inline constexpr const char* kBdConnectionKey = "SOFTWARE\\Korvel\\Catalex\\4.0\\BDConnection";
inline constexpr const char* kConnectionStringValue = "ConnectionString";
inline constexpr const char* kServerTypeValue = "TypeSQLServer";

// True when one of the arguments, with a to z made upper case, is "LOGCHECKERROR".
bool hasLogCheckErrorsSwitch(const std::vector<std::string>& arguments);

// Window creation: LogCheckErrors from the arguments (the program's name not among them),
// ConnectionSaved false.
void FormCreate(RunContext& context, const std::vector<std::string>& arguments);

// Every request to close the window (closing is always allowed): when the login has replaced
// the product's connection in the registry, the values found before go back (ConnectionString
// with WriteRegBinary, TypeSQLServer with WriteRegString); then the three engine connections
// close.
void FormCloseQuery(RunContext& context);

// Window destruction: releases ConfigDocument.
void FormDestroy(RunContext& context);

} // namespace update::run
