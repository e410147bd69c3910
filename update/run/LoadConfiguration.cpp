#include "update/run/LoadConfiguration.h"

#include "platform/os/Os.h"
#include "platform/registry/Registry.h"
#include "update/run/ConfigSettings.h"
#include "update/run/DatabaseVersion.h"
#include "update/run/InstallFolders.h"
#include "update/run/Preferences.h"
#include "update/run/SystemFolders.h"

namespace update::run {

namespace {

using platform::registry::Root;

std::string quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// Replaces ConfigDocument with the file; false after the error box when it cannot be loaded.
bool loadDocument(RunContext& context, const std::string& path) {
    context.ConfigDocument.reset();
    try {
        context.ConfigDocument.emplace(platform::xml::Document::load(path));
    } catch (const platform::xml::XmlError&) {
        context.ConfigDocument.reset();
        context.host.showError("Невозможно открыть файл конфигурации " + quoted(path), true);
        return false;
    }
    return true;
}

std::string currentVersion(const char* productKey) {
    return platform::registry::readStringValue(Root::LocalMachine, productKey, "CurrentVersion")
        .value_or(std::string());
}

} // namespace

bool LoadConfiguration(RunContext& context) {
    TBaseState& state = context.UpdaterState;
    state.OracleHome = GetOracleHome();
    state.ProgramFolder = platform::os::withTrailingDelimiter(context.programFolder());

    const std::string configPath = state.ProgramFolder + kConfigFileName;
    if (!platform::os::fileExists(configPath)) {
        context.host.showError("Отсутствует файл конфигурации " + quoted(configPath), false);
        return false;
    }
    if (!loadDocument(context, configPath)) {
        return false;
    }

    readSystemFolders(state);
    readSettings(*context.ConfigDocument, state);

    const std::string version = currentVersion(kCatalexKey);
    state.CatalexFolder = GetCatalexFolder(version);
    ReadPreferences(state, version);

    state.PlexarInstalled = platform::registry::RegKeyExists(Root::LocalMachine, kPlexarKey);
    if (state.PlexarInstalled) {
        state.PlexarFolder = GetPlexarFolder(currentVersion(kPlexarKey));
    }

    readDatabaseVersion(context);

    if (!state.CurrentDbVersion.empty() && state.CurrentDbVersion.back() == ';') {
        state.CurrentDbVersion.pop_back();
    }
    context.host.setStatePicture(StatePicture::UpdateDB, kPicturePending);
    context.host.setStatePicture(StatePicture::UpdateConf, kPicturePending);
    return true;
}

} // namespace update::run
