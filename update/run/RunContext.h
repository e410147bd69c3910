#pragma once

// The state of one program run, handed to every part of the engine by reference. There is no
// global instance: the main window (or the command-line front end) owns one RunContext for its
// whole life, and tests make one each. Everything runs on the one user-interface thread, so
// nothing here is locked.

#include "platform/os/Os.h"
#include "platform/xml/Xml.h"
#include "update/connect/ShiftKeyTable.h"
#include "update/run/EngineConnections.h"
#include "update/run/Host.h"
#include "update/run/UpdaterState.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace update::run {

// Values of CurrentUpdateKind.
inline constexpr int kKindDatabase = 0;
inline constexpr int kKindTransfer = 1;
inline constexpr int kKindSettings = 2;

// One BLOB column of a table to fill from the data files named by a key column.
struct TBlobDescr {
    std::string TableName;
    std::string BlobField;
    std::string GuidField;

    bool operator==(const TBlobDescr&) const = default;
};

// The SQL text last given to each query object of the database update (fibQ for Firebird and
// InterBase, qCX for MSSQL, oraQ for Oracle); a failed condition check shows it in the log.
struct QueryTexts {
    std::string fibQ;
    std::string qCX;
    std::string oraQ;
};

struct RunContext {
    explicit RunContext(Host& window) : host(window) { host.setMessageRun(this); }
    ~RunContext() { host.setMessageRun(nullptr); }
    RunContext(const RunContext&) = delete;
    RunContext& operator=(const RunContext&) = delete;

    TBaseState UpdaterState;
    // "FIREBIRD", "INTRBASE", "MSSQL" or "ORACLE", set by the database page.
    std::string DatabaseType;

    // Progress frame, in units of the progress bar: the share of the bar owned by the item or
    // element that is running, and the bar position at its start.
    double CurrentItemShare = 0.0;
    double ItemStartPosition = 0.0;

    // Child-program protocol. None of these is reset between steps.
    int CurrentUpdateKind = kKindDatabase;
    int CurrentConfigItem = 0;       // 1-based number of the running settings element
    std::string CurrentChildCommand; // program, one blank, argument line of the transfer
    bool ChildSucceeded = false;     // no failure reported since the step started

    // The loaded updcfg.xml, from the first successful LoadConfiguration until the window is
    // destroyed (FormDestroy). Every LoadConfiguration replaces it.
    std::optional<platform::xml::Document> ConfigDocument;

    // The engine's connections and the factory that opens them (tests put in their own).
    EngineConnections connections;
    ConnectionFactory* factory = &defaultConnectionFactory();

    // Where LoadConfiguration finds updcfg.xml: the folder of the program file, with a
    // trailing '/'. Tests point it at a folder of their own.
    std::function<std::string()> programFolder = &platform::os::programFolder;

    // The key table of the shift cipher, loaded from the site's file (or built in) when the run
    // is created; a file that cannot be used makes the creation fail with its message.
    update::connect::ShiftKeyTable shiftKeys = update::connect::loadShiftKeyTable();

    // The database update: the BLOB columns the groups of the current script file asked to
    // fill (emptied when a script file starts), the query objects' texts, and the key value
    // read last while filling BLOB columns in the current script file.
    std::vector<TBlobDescr> BlobDescrList;
    QueryTexts queryTexts;
    std::optional<std::string> lastBlobId;

    // Private fields of the main window.
    bool LogCheckErrors = false;       // the command-line switch LOGCHECKERROR
    bool ConnectionSaved = false;      // the login has overwritten the saved registry connection
    std::string SavedConnectionString; // "ConnectionString" as found before that, bytes as stored
    std::string SavedServerType;       // "TypeSQLServer" as found before that

    Host& host;
};

} // namespace update::run
