#include "tools/update-db/UpdateDb.h"

#include "platform/db/ConnectionString.h"
#include "platform/os/File.h"
#include "platform/os/Os.h"
#include "update/connect/uValList.h"
#include "update/console/RunLogFile.h"
#include "update/engine/DbUpdate.h"
#include "update/run/DatabaseVersion.h"
#include "update/run/LoadConfiguration.h"
#include "update/run/VersionList.h"

#include <filesystem>
#include <iostream>
#include <iterator>
#include <pwd.h>
#include <unistd.h>

namespace tools::updatedb {

namespace {

using update::run::RunContext;

constexpr const char* kCaption = "Обновление базы данных";

std::string effectiveUserName() {
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr) {
        return entry->pw_name;
    }
    return std::to_string(geteuid());
}

std::string readPasswordFile(const std::string& path) {
    std::string text;
    if (path == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        try {
            text = platform::os::readWholeFile(path);
        } catch (const platform::os::FileError& error) {
            throw UsageError("cannot read the password file " + path + ": " + error.what());
        }
    }
    if (const auto end = text.find_first_of("\r\n"); end != std::string::npos) {
        text.erase(end);
    }
    return text;
}

// Fills the run state as the login does.
void fillRunState(RunContext& context, const Options& options, const std::string& password) {
    update::connect::TValList parameters;
    parameters.ParseText(options.connection);
    parameters.SetValue("Password", password);
    update::run::TBaseState& state = context.UpdaterState;
    state.SelectedConnectionString = parameters.BuildText();
    state.RunConnectionString = state.SelectedConnectionString;
    state.SqlUserName = parameters.GetValue("User Id");
    state.SqlPassword = password;
    state.UserName = options.user ? *options.user : effectiveUserName();
    context.DatabaseType = options.type ? *options.type : databaseTypeOf(options.connection);
    context.LogCheckErrors = options.logCheckErrors;
}

int saveLog(const Options& options, update::run::Host& host, std::ostream& err, int status) {
    if (!options.log) {
        return status;
    }
    try {
        update::console::saveRunLog(host.logLines(), *options.log);
    } catch (const std::exception& error) {
        err << "update-db: " << error.what() << '\n';
        return status == kExitSuccess ? kExitFailed : status;
    }
    return status;
}

} // namespace

std::string databaseTypeOf(const std::string& connectionString) {
    try {
        switch (platform::db::providerOf(connectionString)) {
        case platform::db::Provider::Firebird:
            return "FIREBIRD";
        case platform::db::Provider::MsSql:
            return "MSSQL";
        case platform::db::Provider::Oracle:
            return "ORACLE";
        }
    } catch (const platform::db::DbError& error) {
        throw UsageError(std::string(error.what()) + "; give --type or a known Provider");
    }
    throw UsageError("unknown provider");
}

std::string refusalReason(const RunContext& context) {
    const update::run::TBaseState& state = context.UpdaterState;
    const bool hasDbUpdate =
        context.ConfigDocument && context.ConfigDocument->root().child("DB_UPDATE");
    if (!hasDbUpdate) {
        return std::string(kCaption) + " (не обновляется)";
    }
    if (update::run::versionInList(state.CurrentDbVersion, state.StartDbVersions) ||
        state.AlwaysUpdateDb) {
        return {};
    }
    if (state.CurrentDbVersion != state.ResultDbVersion) {
        return std::string(kCaption) + " (невозможно провести обновление с версии " +
               state.CurrentDbVersion + ")";
    }
    return std::string(kCaption) + " (обновление версии " + state.ResultDbVersion +
           " уже установлено)";
}

Password databasePassword(const Options& options) {
    if (options.passwordFile) {
        return {readPasswordFile(*options.passwordFile), false};
    }
    if (const auto value = platform::os::environment("UPDATE_DB_PASSWORD")) {
        return {*value, false};
    }
    update::connect::TValList parameters;
    parameters.ParseText(options.connection);
    const std::string value = parameters.GetValue("Password");
    return {value, !value.empty()};
}

int runUpdateDb(const Options& options, update::run::Host& host, std::ostream& err) {
    const std::string folder =
        platform::os::withTrailingDelimiter(std::filesystem::absolute(options.package).string());
    if (!platform::os::fileExists(folder + update::run::kConfigFileName)) {
        err << "update-db: the package folder " << folder << " holds no "
            << update::run::kConfigFileName << '\n';
        return kExitUsage;
    }
    const Password password = databasePassword(options);
    if (password.fromConnectionString) {
        err << "update-db: warning: the database password stands in the connection string, "
               "where every local user can read it in the process list; use "
               "--db-password-file or UPDATE_DB_PASSWORD\n";
    }

    RunContext context(host);
    context.programFolder = [folder] { return folder; };
    fillRunState(context, options, password.value);
    try {
        if (!update::run::LoadConfiguration(context)) {
            return kExitUsage;
        }
    } catch (const platform::db::DbError& error) {
        err << "update-db: cannot open the database: " << error.what() << '\n';
        return kExitNoDatabase;
    }

    const update::run::TBaseState& state = context.UpdaterState;
    host.showInformation("Версия базы данных: " + state.CurrentDbVersion +
                             ", версия после обновления: " + state.ResultDbVersion,
                         true);
    if (const std::string reason = refusalReason(context); !reason.empty()) {
        context.connections.closeAll();
        err << "update-db: " << reason << '\n';
        return kExitNothingToRun;
    }

    int status = kExitFailed;
    try {
        const bool succeeded = update::engine::ExecuteDbUpdate(
            context, context.ConfigDocument->root().child("DB_UPDATE"));
        status = succeeded ? kExitSuccess : kExitFailed;
        host.showInformation(succeeded ? "Обновление базы данных выполнено успешно"
                                       : "Обновление базы данных выполнено с ошибками",
                             true);
    } catch (const std::exception& error) {
        context.connections.closeAll();
        host.showError(error.what(), true);
    }
    return saveLog(options, host, err, status);
}

} // namespace tools::updatedb
