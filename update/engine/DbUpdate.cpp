#include "update/engine/DbUpdate.h"

#include "platform/os/Os.h"
#include "platform/text/Text.h"
#include "update/engine/DbVersion.h"
#include "update/engine/LibraryHost.h"
#include "update/engine/ScriptFile.h"
#include "update/run/LoadConfiguration.h"
#include "update/run/Progress.h"
#include "update/run/RunLog.h"

#include <climits>
#include <exception>

namespace update::engine {

namespace {

using platform::xml::Element;
using run::RunContext;
using run::WriteLogEntry;

constexpr int kSourceScript = 0;
constexpr int kSourceLibrary = 1;

std::string configPathOf(const RunContext& context) {
    if (context.ConfigDocument && !context.ConfigDocument->path().empty()) {
        return context.ConfigDocument->path();
    }
    return context.UpdaterState.ProgramFolder + run::kConfigFileName;
}

[[noreturn]] void notANumber(const char* attribute, const std::string& value,
                             const std::string& configPath, const char* what) {
    throw ItemValueError("Значение \"" + value + "\" атрибута " + attribute +
                         " элемента DB_UPDATE в файле " + configPath + " не является " + what);
}

int itemSource(const Element& item, const std::string& configPath) {
    const std::string value = item.attribute("SOURCE");
    const auto source = platform::text::parseInt32(platform::text::trimControls(value));
    if (!source) {
        notANumber("SOURCE", value, configPath, "целым числом");
    }
    return *source;
}

void closeConnections(RunContext& context) {
    // What is still open on Firebird belongs to finished work: keep it.
    auto& fibDB = context.connections.fibDB;
    try {
        if (fibDB && fibDB->connected() && fibDB->inTransaction()) {
            fibDB->commit();
        }
    } catch (const std::exception&) {
        // Closing ignores every error.
    }
    context.connections.closeAll();
}

bool runLibraryItem(RunContext& context, const Element& item, const std::string& path) {
    bool result = true;
    context.host.setStatusCaption(item.attribute("INFO_STRING"));
    context.host.processMessages();
    context.ItemStartPosition = context.host.barPosition();
    if (platform::os::fileExists(path)) {
        result = ExecuteLibrary(context, path);
    } else {
        WriteLogEntry(context, path, "Не найден файл");
    }
    run::setBarPosition(context, context.ItemStartPosition + context.CurrentItemShare);
    return result;
}

} // namespace

bool itemSelected(const RunContext& context, const Element& item) {
    return platform::text::localeUpper(item.attribute("SUBD")).find(context.DatabaseType) !=
           std::string::npos;
}

double itemShare(const Element& item, const std::string& configPath) {
    const std::string value = item.attribute("TIME_PERCENT");
    const auto share = platform::text::parseDecimal(value);
    if (!share) {
        notANumber("TIME_PERCENT", value, configPath, "числом");
    }
    return *share;
}

bool ExecuteDbUpdate(RunContext& context, const Element& node) {
    if (!node) {
        WriteLogEntry(context, "", "Нет информации о файле скрипта");
        return false;
    }
    run::Host& host = context.host;
    host.setBarMaximum(100);
    host.setBarMinimum(0);
    host.setBarPosition(0);

    const std::string configPath = configPathOf(context);
    std::vector<Element> items;
    double total = 0.0;
    for (const Element& item : node.children()) {
        if (itemSelected(context, item)) {
            total += itemShare(item, configPath);
            items.push_back(item);
        }
    }
    host.setBarMaximum(run::clampedBarPosition(total, 0, INT_MAX));

    bool result = true;
    try {
        for (const Element& item : items) {
            context.CurrentItemShare = itemShare(item, configPath);
            const int source = itemSource(item, configPath);
            const std::string path = context.UpdaterState.ProgramFolder +
                                     platform::os::nativePath(item.attribute("FILENAME"));
            if (source == kSourceScript) {
                if (platform::os::fileExists(path)) {
                    result = ExecuteScriptFile(context, path) && result;
                } else {
                    result = false;
                    WriteLogEntry(context, path, "Не найден файл скрипта обновления базы данных");
                }
            } else if (source == kSourceLibrary) {
                result = runLibraryItem(context, item, path) && result;
            }
        }
        if (result && !context.UpdaterState.AlwaysUpdateDb) {
            result = WriteDbVersion(context);
        }
    } catch (...) {
        closeConnections(context);
        throw;
    }
    closeConnections(context);
    return result;
}

} // namespace update::engine
