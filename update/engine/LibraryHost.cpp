#include "update/engine/LibraryHost.h"

#include "update/run/Progress.h"
#include "update/run/RunConnection.h"
#include "update/run/RunLog.h"

#include <dlfcn.h>
#include <exception>
#include <optional>
#include <vector>

namespace update::engine {

namespace {

using run::RunContext;
using run::WriteLogEntry;

constexpr const char* kLibraryException = "При работе библиотеки произошло исключение:\r\n";

// The run a library is reporting to while its DoIt runs, and the first error the host met
// inside the callback (exceptions never cross into the library).
RunContext* progressContext = nullptr;
std::optional<std::string> progressError;

class LoadedLibrary {
public:
    explicit LoadedLibrary(const std::string& path)
        : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~LoadedLibrary() {
        if (handle_ != nullptr) {
            dlclose(handle_);
        }
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    template <class F> F find(const char* name) const {
        return reinterpret_cast<F>(dlsym(handle_, name));
    }

private:
    void* handle_;
};

class ProgressScope {
public:
    explicit ProgressScope(RunContext& context) {
        progressContext = &context;
        progressError.reset();
    }
    ~ProgressScope() { progressContext = nullptr; }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
};

std::string libraryText(GetErrorStrFunction getErrorStr) {
    if (getErrorStr == nullptr) {
        return {};
    }
    char* text = nullptr;
    getErrorStr(&text);
    return text == nullptr ? std::string() : std::string(text);
}

} // namespace

extern "C" void LibraryProgress(double percent) {
    if (progressContext == nullptr || progressError) {
        return;
    }
    try {
        run::setFrameProgress(*progressContext, percent);
    } catch (const std::exception& error) {
        progressError = error.what();
    } catch (...) {
        progressError = "неизвестная ошибка";
    }
}

bool ExecuteLibrary(RunContext& context, const std::string& path) {
    run::closeRunConnection(context);

    LoadedLibrary library(path);
    if (!library.loaded()) {
        WriteLogEntry(context, path, "Ошибка загрузки библиотеки");
        return false;
    }
    const auto getErrorStr = library.find<GetErrorStrFunction>("GetErrorStr");
    const auto setCallBackPercent = library.find<SetCallBackPercentFunction>("SetCallBackPercent");
    if (setCallBackPercent == nullptr) {
        WriteLogEntry(context, path,
                      "Ошибка инициализации библиотеки:\r\nВ библиотеке не найдена функция "
                      "SetCallBackPercent");
        return false;
    }
    setCallBackPercent(&LibraryProgress);

    const auto doIt = library.find<DoItFunction>("DoIt");
    if (doIt == nullptr) {
        WriteLogEntry(context, path, "В библиотеке не найдена функция DoIt");
        return false;
    }

    // The library only reads these during the call; it gets copies of its own.
    std::vector<char> connectionString(context.UpdaterState.RunConnectionString.begin(),
                                       context.UpdaterState.RunConnectionString.end());
    connectionString.push_back('\0');
    std::vector<char> databaseType(context.DatabaseType.begin(), context.DatabaseType.end());
    databaseType.push_back('\0');

    std::int32_t status = 0;
    std::optional<std::string> hostError;
    {
        ProgressScope scope(context);
        status = doIt(connectionString.data(), databaseType.data());
        hostError = progressError;
    }
    if (hostError) {
        WriteLogEntry(context, path, kLibraryException + *hostError);
        return false;
    }
    if (status == 0) {
        return true;
    }
    if (status == kLibraryConnectionFailed) {
        const std::string text = libraryText(getErrorStr);
        WriteLogEntry(context, path,
                      kLibraryException +
                          (text.empty() ? std::string("неопределенная ошибка") : text));
    } else if (getErrorStr != nullptr) {
        WriteLogEntry(context, path, libraryText(getErrorStr));
    } else {
        WriteLogEntry(context, path,
                      "Ошибка не определена. В библиотеке не найдена функция GetErrorStr");
    }
    return false;
}

} // namespace update::engine
