#include "platform/db/FirebirdEnvironment.h"

#include "platform/db/Connection.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::db {

namespace {

std::string envValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string lockFolderPath() {
    const std::string runtime = envValue("XDG_RUNTIME_DIR");
    struct stat st {};
    if (!runtime.empty() && runtime.front() == '/' && ::stat(runtime.c_str(), &st) == 0 &&
        S_ISDIR(st.st_mode) && st.st_uid == ::geteuid()) {
        return runtime + "/firebird";
    }
    std::string temp = envValue("TMPDIR");
    if (temp.empty() || temp.front() != '/') {
        temp = "/tmp";
    }
    while (temp.size() > 1 && temp.back() == '/') {
        temp.pop_back();
    }
    return temp + "/firebird-" + std::to_string(::geteuid());
}

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
    const std::string folder = lockFolderPath();
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        throw DbError("cannot create the lock folder " + folder +
                      " of the embedded Firebird engine: " + std::strerror(errno));
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        throw DbError("cannot examine the lock folder " + folder +
                      " of the embedded Firebird engine: " + std::strerror(errno));
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 022) != 0) {
        throw DbError("the lock folder " + folder +
                      " of the embedded Firebird engine is not a private folder of the current "
                      "user; remove it or set FIREBIRD_LOCK to a folder of your own");
    }
    return folder + "/";
}

Firebird::IMaster* firebirdMaster() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (envValue("FIREBIRD_LOCK").empty()) {
            const std::string folder = preparePrivateLockFolder();
            ::setenv("FIREBIRD_LOCK", folder.c_str(), 1);
        }
    });
    Firebird::IMaster* master = Firebird::fb_get_master_interface();
    static std::once_flag pinned;
    std::call_once(pinned, [master] { pinEngine(master); });
    return master;
}

} // namespace platform::db
