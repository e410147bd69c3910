#pragma once

// What the benchmark programs share: running a program and timing it, its peak memory, and
// fresh Firebird databases and package folders.

#include "platform/db/Connection.h"
#include "platform/db/ConnectionString.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace bench {

struct Timed {
    double seconds = 0.0;
    int status = -1;
    long peakKiB = 0; // the child's peak resident memory
};

// Runs a program with its output going to logFile, stdin from inputFile (or /dev/null).
inline Timed runTimed(const std::vector<std::string>& args, const std::string& logFile,
                      const std::string& inputFile = "/dev/null") {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inputFile.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> argv;
    for (const auto& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        throw std::runtime_error("cannot start " + args[0]);
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Timed timed;
    timed.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    timed.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    timed.peakKiB = usage.ru_maxrss;
    return timed;
}

// A new database with BO_VERSION at version 1.0.
inline void createDatabase(const std::string& path) {
    std::filesystem::remove(path);
    auto c = platform::db::createFirebirdDatabase(
        platform::db::firebirdConnectionString(path, "SYSDBA", "masterkey"));
    c->execute("CREATE TABLE BO_VERSION (ID INTEGER NOT NULL PRIMARY KEY, BDVERSION VARCHAR(20), "
               "UPDATEUSER VARCHAR(50), UPDATEDATE TIMESTAMP, UPDATELOG BLOB SUB_TYPE 1)");
    c->execute("INSERT INTO BO_VERSION VALUES (1, '1.0', 'BENCH', NULL, NULL)");
    c->close();
}

inline void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

// A package folder whose DB_UPDATE runs one script file, Scripts/run.xml.
inline void writePackage(const std::filesystem::path& folder, const std::string& script) {
    std::filesystem::create_directories(folder / "Scripts");
    writeText(folder / "updcfg.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ROOT><SETTINGS><VERSIONS "
              "START_BD_VERSION=\"1.0\" RESULT_BD_VERSION=\"1.1\"/></SETTINGS><DB_UPDATE><I "
              "SUBD=\"FIREBIRD\" TIME_PERCENT=\"100\" SOURCE=\"0\" "
              "FILENAME=\"Scripts/run.xml\"/></DB_UPDATE></ROOT>");
    writeText(folder / "Scripts" / "run.xml", script);
}

inline std::string updateDbProgram(const char* argv0) {
    const auto beside = std::filesystem::path(argv0).parent_path() / "update-db";
    return std::filesystem::exists(beside) ? beside.string() : std::string("update-db");
}

inline std::vector<std::string> updateDbArgs(const std::string& program,
                                             const std::filesystem::path& package,
                                             const std::string& database) {
    return {program,
            "--package",
            package.string(),
            "--connection",
            "Provider=LCPI.IBProvider.2;Location=" + database + ";User Id=SYSDBA",
            "--user",
            "BENCH"};
}

} // namespace bench
