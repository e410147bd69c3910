#pragma once

// The stand-ins for the sibling programs in a sample site (update-sample-child, installed under
// the names the update starts).

#include "tools/sample-site/SampleRegistry.h"

#include <string>

namespace tools::samplesite {

// Copies the stand-in program `standIn` into the site as catalex/Utils/RefGroupImport.exe,
// plexar/Manager/PxConfig.exe and plexar/Bin/Plexar.exe (making the folders and plexar/Doc/).
// Throws std::filesystem::filesystem_error when a copy fails.
void installStandIns(const SiteFolders& site, const std::string& standIn);

} // namespace tools::samplesite
