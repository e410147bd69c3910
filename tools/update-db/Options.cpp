#include "tools/update-db/Options.h"

#include <getopt.h>

namespace tools::updatedb {

namespace {

enum Option : int {
    kPackage = 'p',
    kConnection = 'c',
    kType = 't',
    kUser = 'u',
    kHelp = 'h',
    kLogCheckErrors = 256,
    kLog,
    kPasswordFile,
    kVersion,
};

const option kOptions[] = {
    {"package", required_argument, nullptr, kPackage},
    {"connection", required_argument, nullptr, kConnection},
    {"type", required_argument, nullptr, kType},
    {"user", required_argument, nullptr, kUser},
    {"log-check-errors", no_argument, nullptr, kLogCheckErrors},
    {"log", required_argument, nullptr, kLog},
    {"db-password-file", required_argument, nullptr, kPasswordFile},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

} // namespace

Options parseOptions(const std::vector<std::string>& arguments) {
    std::vector<std::string> storage;
    storage.reserve(arguments.size() + 1);
    storage.push_back("update-db");
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : storage) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    Options options;
    std::string problem;
    optind = 0; // full reinitialisation, so that the parser can run more than once
    opterr = 0;
    const int argc = static_cast<int>(storage.size());
    for (;;) {
        const int c = getopt_long(argc, argv.data(), "+p:c:t:u:h", kOptions, nullptr);
        if (c == -1) {
            break;
        }
        switch (c) {
        case kPackage:
            options.package = optarg;
            break;
        case kConnection:
            options.connection = optarg;
            break;
        case kType:
            options.type = optarg;
            break;
        case kUser:
            options.user = optarg;
            break;
        case kLogCheckErrors:
            options.logCheckErrors = true;
            break;
        case kLog:
            options.log = optarg;
            break;
        case kPasswordFile:
            options.passwordFile = optarg;
            break;
        case kHelp:
            options.help = true;
            break;
        case kVersion:
            options.version = true;
            break;
        case ':':
            throw UsageError("option '" + std::string(argv[static_cast<std::size_t>(optind) - 1]) +
                             "' needs a value");
        default:
            throw UsageError("unknown option '" +
                             std::string(argv[static_cast<std::size_t>(optind) - 1]) + "'");
        }
    }
    if (options.help || options.version) {
        return options;
    }
    if (optind < argc) {
        throw UsageError("unexpected argument '" +
                         std::string(argv[static_cast<std::size_t>(optind)]) + "'");
    }
    if (options.package.empty()) {
        throw UsageError("--package DIR is required");
    }
    if (options.connection.empty()) {
        throw UsageError("--connection STRING is required");
    }
    if (options.type && *options.type != "FIREBIRD" && *options.type != "INTRBASE" &&
        *options.type != "MSSQL" && *options.type != "ORACLE") {
        throw UsageError("--type must be FIREBIRD, INTRBASE, MSSQL or ORACLE, not '" +
                         *options.type + "'");
    }
    return options;
}

std::string usageText() {
    return R"(Usage: update-db --package DIR --connection STRING [OPTION]...
Runs the database update of a release package against one product database.

  -p, --package DIR          the release folder holding updcfg.xml and its files
  -c, --connection STRING    the connection string, e.g.
                             'Provider=LCPI.IBProvider.2;Location=/srv/catalex.fdb;User Id=SYSDBA'
  -t, --type TYPE            FIREBIRD, INTRBASE, MSSQL or ORACLE (default: by the provider,
                             LCPI.IBProvider.2 FIREBIRD, SQLOLEDB.1 MSSQL, OraOLEDB.Oracle.1
                             ORACLE)
  -u, --user NAME            the user recorded in BO_VERSION (default: the effective user)
      --log-check-errors     write every failed execution condition to the run log
      --log FILE             save the run log (UTF-8, CR LF; '-' for standard output)
      --db-password-file FILE  read the database password from FILE ('-': standard input)
  -h, --help                 show this help and exit
      --version              show the version and exit

The database password comes from --db-password-file, else from UPDATE_DB_PASSWORD, else
from the connection string (visible in the process list: a warning says so).

Exit status: 0 success, 1 the update failed or an error aborted it, 2 bad usage or an
unusable package, 3 the database cannot be opened, 4 the version gating refuses the database.
)";
}

} // namespace tools::updatedb
