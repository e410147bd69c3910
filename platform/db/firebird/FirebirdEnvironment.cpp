#include "platform/db/firebird/FirebirdEnvironment.h"

#include "platform/db/Connection.h"
#include "platform/db/firebird/FirebirdSharedEngine.h"
#include "platform/os/Os.h"
#include "platform/os/RuntimeFolder.h"

#include <cstdlib>
#include <dlfcn.h>
#include <mutex>
#include <stdexcept>

namespace platform::db::firebird {

namespace {

// The client loads the embedded engine as a plugin and unloads it again when the process ends.
// The engine keeps thread-local data, and unloading it leaves the threads' records of that data
// pointing at unmapped memory, which tools that walk the threads at exit (the leak checker of
// the test builds) trip over. Loading the engine once more with RTLD_NODELETE keeps it mapped
// for the life of the process. Without the engine (a client-only installation) nothing happens.
void pinEngine(Firebird::IMaster* master) {
    Firebird::IConfigManager* config = master->getConfigManager();
    const char* plugins = config->getDirectory(Firebird::IConfigManager::DIR_PLUGINS);
    if (plugins == nullptr) {
        return;
    }
    const std::string engine = std::string(plugins) + "/libEngine12.so";
    ::dlopen(engine.c_str(), RTLD_NOW | RTLD_NODELETE);
}

} // namespace

std::string preparePrivateLockFolder() {
    try {
        const std::string folder = os::privateRuntimeFolder() + "firebird/";
        os::preparePrivateFolder(folder, "lock folder of the embedded Firebird engine");
        return folder;
    } catch (const std::runtime_error& e) {
        throw DbError(std::string(e.what()) +
                      " (the embedded Firebird engine keeps its lock files there unless "
                      "FIREBIRD_LOCK names a folder of your own)");
    }
}

Firebird::IMaster* firebirdMaster() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (os::environment("FIREBIRD_LOCK").value_or("").empty()) {
            const std::string folder = preparePrivateLockFolder();
            ::setenv("FIREBIRD_LOCK", folder.c_str(), 1);
        }
        shareEmbeddedEngine();
    });
    Firebird::IMaster* master = Firebird::fb_get_master_interface();
    static std::once_flag pinned;
    std::call_once(pinned, [master] { pinEngine(master); });
    return master;
}

} // namespace platform::db::firebird
