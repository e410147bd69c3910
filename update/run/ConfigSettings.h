#pragma once

// The settings part of updcfg.xml: ROOT / SETTINGS with UPDATES, VERSIONS and FORM. An element
// is the first child of its name; an absent attribute reads as the empty text.

#include "platform/xml/Xml.h"
#include "update/run/UpdaterState.h"

#include <optional>
#include <string_view>

namespace update::run {

// A text as a Boolean in the manner of the class library: a decimal number with "." as the
// separator, blanks around it allowed (0 is false, any other number true), or exactly "True"
// or "False" in any letter case. Nothing for any other text, the empty one included.
std::optional<bool> textToBool(std::string_view text);

// Reads the settings into the state:
// - UPDATES: AlwaysUpdateDb and NoUpdateConf, true when the attribute is "TRUE" in any letter
//   case; both false when UPDATES is absent.
// - VERSIONS: StartDbVersions (trimmed of blanks, ";" appended) and ResultDbVersion (as it
//   stands).
// - FORM, only when there is no VERSIONS: FormCaption, ShowInfo, InfoFile in this order; a
//   SHOW_INFO that is absent or not a Boolean ends the reading there, FormCaption keeping its
//   new value.
// Without ROOT or SETTINGS nothing changes; fields of an absent element keep their values.
void readSettings(const platform::xml::Document& document, TBaseState& state);

} // namespace update::run
