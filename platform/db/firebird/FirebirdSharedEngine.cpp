#include "platform/db/firebird/FirebirdSharedEngine.h"

#include "platform/db/Connection.h"
#include "platform/os/File.h"
#include "platform/os/RuntimeFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <firebird/Interface.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::db::firebird {
namespace {

namespace fs = std::filesystem;

// The system's Firebird root: the folder firebird/3.0 beside the client library.
std::string systemRoot() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&Firebird::fb_get_master_interface), &info) == 0 ||
        info.dli_fname == nullptr) {
        return {};
    }
    const fs::path client = fs::weakly_canonical(info.dli_fname);
    return (client.parent_path() / "firebird/3.0").string();
}

void link(const std::string& target, const std::string& name) {
    if (::symlink(target.c_str(), name.c_str()) != 0 && errno != EEXIST) {
        throw DbError("cannot prepare the Firebird root folder: " + name + ": " +
                      std::strerror(errno));
    }
}

} // namespace

std::string shareEmbeddedEngine() {
    if (const char* root = std::getenv("FIREBIRD"); root != nullptr && *root != '\0') {
        return root;
    }
    const std::string system = systemRoot();
    std::error_code ec;
    if (system.empty() || !fs::exists(system + "/plugins/libEngine12.so", ec)) {
        return {};
    }
    try {
        const std::string root = os::privateRuntimeFolder() + "firebird-root";
        os::preparePrivateFolder(root, "Firebird root folder");
        fs::create_directories(root + "/intl");
        os::replaceWholeFile(root + "/firebird.conf",
                             "# The system's settings, with the embedded engine shared between\n"
                             "# the processes of an update run (made by the update program).\n"
                             "include " +
                                 system + "/firebird.conf\nServerMode = SuperClassic\n");
        for (const char* name : {"firebird.msg", "lib", "plugins", "plugins.conf", "UDF"}) {
            if (fs::exists(system + "/" + name, ec)) {
                link(system + "/" + name, root + "/" + name);
            }
        }
        // The engine reads the character sets' settings from the system's folder but loads
        // their module from this root, and only a file that really lies here (no link).
        const std::string module = system + "/intl/libfbintl.so";
        const std::string copy = root + "/intl/libfbintl.so";
        if (fs::exists(module, ec) &&
            (!fs::exists(copy, ec) || fs::file_size(copy) != fs::file_size(module))) {
            const std::string temp = copy + ".tmp-" + std::to_string(::getpid());
            fs::copy_file(module, temp, fs::copy_options::overwrite_existing);
            fs::rename(temp, copy);
        }
        ::setenv("FIREBIRD", root.c_str(), 1);
        return root;
    } catch (const DbError&) {
        throw;
    } catch (const std::exception& error) {
        throw DbError(std::string("cannot prepare the Firebird root folder: ") + error.what());
    }
}

} // namespace platform::db::firebird
