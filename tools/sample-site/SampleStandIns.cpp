#include "tools/sample-site/SampleStandIns.h"

#include <filesystem>

namespace tools::samplesite {

void installStandIns(const SiteFolders& site, const std::string& standIn) {
    namespace fs = std::filesystem;
    fs::create_directories(site.plexar + "Doc");
    for (const std::string& target :
         {site.catalex + "Utils/RefGroupImport.exe", site.plexar + "Manager/PxConfig.exe",
          site.plexar + "Bin/Plexar.exe"}) {
        fs::create_directories(fs::path(target).parent_path());
        fs::copy_file(standIn, target, fs::copy_options::overwrite_existing);
        fs::permissions(target, fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
    }
}

} // namespace tools::samplesite
