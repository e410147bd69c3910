#pragma once

// The folders of the system that the run knows by placeholder (<WINDIR>, <SYSDIR>, <TEMPDIR>,
// <PROGR_DIR>, <COMMON_DIR>, <KRVCMNDIR>). On this system they are:
//
//   WindowsFolder       "/etc/"        the folder of the system's own settings
//   SystemFolder        "/usr/lib/"    the folder of the system's shared libraries
//   TempFolder          $TEMP, else $TMPDIR, else "/tmp", with a trailing "/" (a variable
//                       that is set but empty counts as unset)
//   ProgramFilesFolder  "ProgramFilesDir" of HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion"
//                       when the registry store holds it
//   CommonFilesFolder   "CommonFilesDir" of the same key when the store holds it
//   SharedFolder        CommonFilesFolder + "Korvel Shared/", set with CommonFilesFolder
//
// The last three start as "/opt/", "/usr/share/" and "/usr/share/Korvel Shared/" when the run
// state is made (UpdaterState.h) and change only when the store gives a value, so a later load
// without the value keeps what an earlier one read. Every value ends with "/".

#include "update/run/UpdaterState.h"

#include <string>

namespace update::run {

inline constexpr const char* kWindowsFolder = "/etc/";
inline constexpr const char* kSystemFolder = "/usr/lib/";
inline constexpr const char* kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// The temporary folder from the environment, with a trailing "/".
std::string temporaryFolder();

// Sets WindowsFolder, SystemFolder and TempFolder, and ProgramFilesFolder, CommonFilesFolder
// and SharedFolder from the values the registry store gives.
void readSystemFolders(TBaseState& state);

} // namespace update::run
