#pragma once

// The run record: everything a program run knows about folders, products, credentials,
// configuration and the database. Texts are UTF-8; folders end with '/'. Every field starts
// empty, false or 0, except the three folders of the platform that the registry store may name
// instead (ProgramFilesFolder, CommonFilesFolder, SharedFolder), which start with this system's
// own; every field keeps its value until it is written again.

#include <cstdint>
#include <string>

namespace update::run {

// This system's folders for programs and for files that programs share, and the folder shared
// by the products in the latter, as the run starts with them.
inline constexpr const char* kDefaultProgramFilesFolder = "/opt/";
inline constexpr const char* kDefaultCommonFilesFolder = "/usr/share/";
inline constexpr const char* kDefaultSharedFolder = "/usr/share/Korvel Shared/";

// Preferences of Catalex, read at login.
struct TCXIniParams {
    bool AutoLogon = false;         // <AUTOLOG>
    std::string PathSlaid;          // <CXSLAIDDIR>
    std::string PathTemp;           // <CXTEMPDIR>
    std::string PathDocument;       // <CXDOCDIR>
    std::int32_t SaveDays = 0;      // <CXSAVEDAYS>
    bool Debugger = false;          // <CXDEBUG>
    std::int32_t SwapLine = 0;      // <CXRECLOADCNT>
    std::int32_t ScriptTimeOut = 0; // <CXTIMEOUT>
    std::string FontName;           // <FONTNAME>
    std::int32_t FontSize = 0;      // <FONTSIZE>
};

struct TBaseState {
    std::string CurrentDbVersion;         // "не определена" when it could not be read
    std::int32_t NextVersionId = 0;       // ID of the next BO_VERSION row, 0 when unreadable
    std::string CatalexFolder;            // <CXDIR>
    std::string PlexarFolder;             // <PLXDIR>, empty when Plexar is not installed
    std::string WnFolder;                 // <WNDIR>, never filled
    std::string ProgramFolder;            // <CURDIR>
    std::string SystemFolder;             // <SYSDIR>
    std::string TempFolder;               // <TEMPDIR>
    std::string RunConnectionString;      // with the SQL credentials put in
    std::string SelectedConnectionString; // <CON_STRING>, as built on the database page
    bool PlexarInstalled = false;
    bool AlwaysUpdateDb = false; // ALWAYS_UPDATE_DB
    bool NoUpdateConf = false;   // NO_UPDATE_CONF
    std::string FormCaption;     // FORM_CAPTION
    bool ShowInfo = false;       // SHOW_INFO
    std::string InfoFile;        // INFO_FILE
    std::string UserName;        // <USER>
    std::string UserPassword;    // <PASSWORD>
    std::string UserGroup;       // <GROUP>
    std::string SqlUserName;     // <USER_SQL>
    std::string SqlPassword;     // <PASSWORD_SQL>
    std::string WindowsFolder;   // <WINDIR>

    std::string SharedFolder = kDefaultSharedFolder;             // <KRVCMNDIR>
    std::string ProgramFilesFolder = kDefaultProgramFilesFolder; // <PROGR_DIR>
    std::string CommonFilesFolder = kDefaultCommonFilesFolder;   // <COMMON_DIR>

    std::string DbUserName;      // <USER_INI> (shift cipher, mode 2)
    std::string DbPassword;      // <PASSWORD_INI> (shift cipher, mode 2)
    std::string OracleHome;      // <ORA_HOME>, always empty
    std::string StartDbVersions; // START_BD_VERSION trimmed, followed by ";"
    std::string ResultDbVersion; // RESULT_BD_VERSION
    TCXIniParams Preferences;
};

} // namespace update::run
