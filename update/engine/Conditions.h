#pragma once

// Execution conditions of the groups and elements of an update script file: the CONDITION
// attribute, a list of catalogue checks each ended by a semicolon, such as
//   NOT_EXIST_FIELD(BO_VERSION, UPDATELOG); EXIST_TABLE(REG_LOK18);

#include "platform/xml/Xml.h"
#include "update/run/RunContext.h"

#include <string>

namespace update::engine {

// One check as read from the condition text.
struct ConditionCheck {
    std::string name; // without "NOT_"
    bool negated = false;
    std::string first;  // the object name, or the table of EXIST_FIELD
    std::string second; // the field of EXIST_FIELD, empty otherwise
};

// Reads the check before the first semicolon of `remaining` (which must hold one) and leaves
// in `remaining` the text after that semicolon, both stripped of blanks.
ConditionCheck takeCheck(std::string& remaining);

// True when the node's condition holds on the run's database: no CONDITION attribute, a blank
// one, or at least one check of which every one holds. Every check is evaluated; with
// LogCheckErrors each failing one writes an entry with source scriptPath. A catalogue query
// that fails (platform::db::DbError) leaves the function.
bool CheckConditions(run::RunContext& context, const platform::xml::Element& node,
                     const std::string& scriptPath);

} // namespace update::engine
