#pragma once

// The registry entries of a sample site: Catalex 4.0 installed in a folder of the site with its
// preferences, Plexar 5.0 beside it, and the product's saved connection to the sample database.

#include <string>

namespace tools::samplesite {

struct SiteFolders {
    std::string root;       // the site folder, with a trailing '/'
    std::string catalex;    // Catalex install folder
    std::string plexar;     // Plexar install folder
    std::string database;   // the database file
    std::string registry;   // the registry store folder
    std::string connection; // the product's connection string to the database
};

// The folders of a site under root (root need not end with '/').
SiteFolders siteFolders(const std::string& root);

// Writes the product keys into the registry store in force. Throws std::runtime_error naming
// the key when a write fails.
void writeSampleRegistry(const SiteFolders& site);

} // namespace tools::samplesite
