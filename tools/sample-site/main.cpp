// update-sample-site: makes a sample Catalex site to try the updater on.

#include "platform/os/Os.h"
#include "tools/sample-site/SampleRegistry.h"
#include "tools/sample-site/SampleSite.h"
#include "tools/sample-site/SampleStandIns.h"

#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

const char* const kUsage =
    "Usage: update-sample-site FOLDER\n"
    "\n"
    "Makes a sample Catalex 4.0 site in FOLDER (which must not hold a site yet):\n"
    "  FOLDER/db/catalex.fdb   the product database (Firebird, opened by the embedded engine)\n"
    "  FOLDER/catalex/         the Catalex install folder, FOLDER/plexar/ the Plexar one\n"
    "  FOLDER/registry/        the registry store with the product keys (HKLM.reg)\n"
    "  stand-ins for the products' own programs that the update starts (update-sample-child)\n"
    "Log in as ADMIN with the password \"admin\". To use the site's registry store:\n"
    "  export UPDATE_REGISTRY_DIR=FOLDER/registry\n"
    "Exit status: 0 on success, 2 on bad usage, 1 on any other error (a site in FOLDER\n"
    "already, a folder or the database that cannot be made).\n";

// Exit status of the programs: success, failure, bad usage or unusable input.
constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kBadUsage = 2;

int usageError(const std::string& message) {
    std::cerr << "update-sample-site: " << message << "\nTry 'update-sample-site --help'.\n";
    return kBadUsage;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage;
        return std::cout.flush() ? kSuccess : kFailure;
    }
    if (argc < 2 || argv[1][0] == '\0') {
        return usageError("the FOLDER of the site is missing");
    }
    if (argv[1][0] == '-') {
        return usageError(std::string("unknown option '") + argv[1] + "'");
    }
    if (argc > 2) {
        return usageError("one FOLDER expected, " + std::to_string(argc - 1) + " given");
    }
    try {
        namespace fs = std::filesystem;
        const tools::samplesite::SiteFolders site =
            tools::samplesite::siteFolders(fs::absolute(argv[1]).lexically_normal().string());
        if (fs::exists(site.database)) {
            std::cerr << "update-sample-site: " << site.database << " exists already\n";
            return kFailure;
        }
        for (const std::string& folder :
             {site.catalex + "picture", site.catalex + "temp", site.catalex + "doc",
              site.catalex + "Utils", site.plexar + "Manager", site.plexar + "Bin",
              site.root + "db", site.registry}) {
            fs::create_directories(folder);
        }
        // The sample's registry lives in the site, never in the machine's own store.
        setenv("UPDATE_REGISTRY_DIR", site.registry.c_str(), 1);

        tools::samplesite::createSampleDatabase(site.database);
        tools::samplesite::writeSampleRegistry(site);
        tools::samplesite::installStandIns(site,
                                           platform::os::programFolder() + "update-sample-child");

        std::cout << "sample site: " << site.root << "\n"
                  << "  database:  " << site.database << "\n"
                  << "  Catalex:   " << site.catalex << "\n"
                  << "  Plexar:    " << site.plexar << "\n"
                  << "  registry:  " << site.registry << "HKLM.reg\n";
        return std::cout.flush() ? kSuccess : kFailure;
    } catch (const std::exception& e) {
        std::cerr << "update-sample-site: " << e.what() << "\n";
        return kFailure;
    }
}
