#pragma once

// The database update: the items of DB_UPDATE in updcfg.xml meant for the run's database type,
// run in document order (script files and conversion libraries), the progress bar moved by the
// share each item declares, and the new version recorded when everything succeeded.

#include "platform/xml/Xml.h"
#include "update/run/RunContext.h"

#include <stdexcept>
#include <string>

namespace update::engine {

// A selected item whose TIME_PERCENT or SOURCE is not a number. The message names the
// attribute, its value and the configuration file.
class ItemValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// True when the item's SUBD, in upper case, contains the run's DatabaseType.
bool itemSelected(const run::RunContext& context, const platform::xml::Element& item);

// The item's TIME_PERCENT, a decimal number with a comma or a point. Throws ItemValueError
// naming configPath.
double itemShare(const platform::xml::Element& item, const std::string& configPath);

// Runs the database update of the DB_UPDATE element (none: an entry, false). True when every
// selected item and the version recording succeeded. Closes the three connections at the end.
// An item value that is no number throws ItemValueError; errors of the script files and
// libraries that abort the step (a connection that cannot be opened, ...) leave it too.
bool ExecuteDbUpdate(run::RunContext& context, const platform::xml::Element& node);

} // namespace update::engine
