#pragma once

// BLOB relocation: a group of a script file with MOVE_BLOB "1" names a table (TABLE_NAME) and
// pairs of columns BLOB_FIELD_<suffix> / GUID_FIELD_<suffix>. After the file's statements,
// every row whose key column is set gets the content of the data file
// ProgramFolder + "Data/" + key + ".lob" in its BLOB column, and the key column is dropped.
// The descriptions live in RunContext::BlobDescrList, emptied when a script file starts.

#include "platform/xml/Xml.h"
#include "update/run/RunContext.h"

#include <string>

namespace update::engine {

// Appends one TBlobDescr per attribute whose name, in upper case, contains "BLOB_FIELD", in
// the order of the group's attributes.
void collectBlobDescriptions(run::RunContext& context, const platform::xml::Element& group);

// The data file of a key value.
std::string blobDataPath(const run::RunContext& context, const std::string& id);

// Fills the BLOB columns of BlobDescrList from their data files, streaming each file into its
// row, and drops the key columns. Failures are logged with source scriptPath; those that fail
// the script set result to false.
void FillBlobFields(run::RunContext& context, const std::string& scriptPath, bool& result);

} // namespace update::engine
