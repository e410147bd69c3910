#pragma once

// The transfer of reference-book groups: the product's import program RefGroupImport.exe, run
// once for each element of SCHEMA_UPDATE in updcfg.xml.

#include "platform/xml/Xml.h"
#include "update/run/RunContext.h"

#include <string>

namespace update::external {

// The import program, relative to the Catalex install folder.
inline constexpr const char* kTransferProgram = "Utils/RefGroupImport.exe";

// The argument line of one element before placeholders are expanded: the user's credentials,
// the data and schema files in the update program's folder (backslashes turned into '/'), the
// reference books as given and the window handle.
std::string transferArguments(const std::string& dataFile, const std::string& objects,
                              const std::string& schemaFile);

// Runs the import program for every child element of SCHEMA_UPDATE, in document order. Each
// owns an equal share of the bar (100 div the number of elements), which the program moves
// with its progress messages. True when every program could be started and no failure report
// has stood at the end of any element (a success report clears an earlier failure of the same
// element). An element without children runs nothing and succeeds.
bool TransferReferenceGroups(update::run::RunContext& context,
                             const platform::xml::Element& schemaUpdate);

} // namespace update::external
