// update-sample-child: the stand-in for the sibling programs of the two products in a sample
// site. update-sample-site installs it as Catalex's Utils/RefGroupImport.exe and as Plexar's
// Manager/PxConfig.exe and Bin/Plexar.exe; the name it is started under decides what it does.
// It reports to the update program through the message socket (platform/os/UpdateNotify.h):
//
//   RefGroupImport.exe LOGIN="u" PASSWORD="p" GROUP="g" XML_DATA="f" REF_NAMES=a,b
//                      XML_SCHEMA="s" WNDHANDLE=n
//       checks that both files exist, then adds one row per reference book to CX_CATALOG of
//       the product database that the saved connection in the registry store names
//       (progress 0, 50, 100; an error text on any failure).
//   PxConfig.exe [HANDLE=n] [INI=file]
//       reads the settings file and writes it, with the time, to Doc/PxFullImportSettings.log
//       in the Plexar folder (status texts, progress, outcome 0).
//   Plexar.exe [HANDLE=n]
//       reports a status text, progress 100 and outcome 0.
//
// To make it fail (for tests and the demo): the argument FAIL=1, or SAMPLE_CHILD_FAIL in the
// environment naming the program (RefGroupImport, PxConfig, Plexar, several separated by
// commas, or "all"). RefGroupImport.exe then sends an error text, PxConfig.exe leaves a report
// in the registry ("ExecProcMessageError"), Plexar.exe sends the outcome 1.

#include "platform/db/ConnectionString.h"
#include "platform/os/Os.h"
#include "platform/os/UpdateNotify.h"
#include "platform/registry/Registry.h"
#include "platform/text/Text.h"
#include "update/connect/CredentialForms.h"

#include <cstdint>
#include <ctime>
#include <exception>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace {

using platform::registry::Root;

constexpr const char* kSavedConnectionKey = "SOFTWARE\\Korvel\\Catalex\\4.0\\BDConnection";
constexpr const char* kMessagesKey = "Software\\Korvel\\Deplox\\Messages";

struct Invocation {
    std::string program;                          // RefGroupImport, PxConfig or Plexar
    std::string folder;                           // the program's folder, with a trailing '/'
    std::map<std::string, std::string> arguments; // NAME=value, names upper case
    std::uint32_t handle = 0;
    bool fail = false;
};

bool failRequested(const std::string& program, const std::map<std::string, std::string>& args) {
    if (args.count("FAIL") != 0 && args.at("FAIL") == "1") {
        return true;
    }
    const std::string wanted = platform::os::environment("SAMPLE_CHILD_FAIL").value_or("");
    std::stringstream names(wanted);
    std::string name;
    while (std::getline(names, name, ',')) {
        if (name == "all" || platform::text::equalsNoCase(name, program)) {
            return true;
        }
    }
    return false;
}

Invocation readInvocation(int argc, char** argv) {
    Invocation call;
    const std::string path = argv[0];
    const std::size_t slash = path.rfind('/');
    call.folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() > 4 && platform::text::equalsNoCase(name.substr(name.size() - 4), ".exe")) {
        name.resize(name.size() - 4);
    }
    call.program = name;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const std::size_t equals = argument.find('=');
        if (equals != std::string::npos) {
            call.arguments[platform::text::asciiUpper(argument.substr(0, equals))] =
                argument.substr(equals + 1);
        }
    }
    for (const char* key : {"WNDHANDLE", "HANDLE"}) {
        if (call.arguments.count(key) != 0) {
            call.handle = static_cast<std::uint32_t>(std::stoul(call.arguments[key]));
        }
    }
    call.fail = failRequested(call.program, call.arguments);
    return call;
}

std::string argument(const Invocation& call, const std::string& name) {
    const auto found = call.arguments.find(name);
    return found == call.arguments.end() ? std::string() : found->second;
}

// The product database through the connection the product saved in the registry store.
std::unique_ptr<platform::db::Connection> openProductDatabase() {
    std::string stored;
    if (platform::registry::ReadRegBinary(Root::LocalMachine, kSavedConnectionKey,
                                          "ConnectionString", stored) != 0) {
        throw std::runtime_error("no saved connection in the registry store");
    }
    return platform::db::openConnection(update::connect::decipherLoginText(stored));
}

int refGroupImport(const Invocation& call) {
    updateNotifyProgress(call.handle, 0);
    if (call.fail) {
        updateNotifyError(call.handle, "Импорт справочников прерван (сбой по заказу)");
        return 1;
    }
    for (const char* file : {"XML_DATA", "XML_SCHEMA"}) {
        if (!platform::os::fileExists(argument(call, file))) {
            updateNotifyError(call.handle, ("Файл не найден: " + argument(call, file)).c_str());
            return 1;
        }
    }
    const auto database = openProductDatabase();
    updateNotifyProgress(call.handle, 50);
    auto last = database->query("SELECT COALESCE(MAX(ID), 0) FROM CX_CATALOG");
    int id = last->integer(0);
    last.reset();
    const std::string data = argument(call, "XML_DATA");
    const std::string dataName = data.substr(data.rfind('/') + 1);
    std::stringstream names(argument(call, "REF_NAMES"));
    std::string name;
    database->beginTransaction();
    while (std::getline(names, name, ',')) {
        ++id;
        database->execute("INSERT INTO CX_CATALOG (ID, CODE, NAME) VALUES (" + std::to_string(id) +
                          ", " + platform::text::sqlLiteral("REF-" + name) + ", " +
                          platform::text::sqlLiteral("Группа справочников " + name + " из " +
                                                     dataName + " (" + argument(call, "LOGIN") +
                                                     ")") +
                          ")");
    }
    database->commit();
    updateNotifyProgress(call.handle, 100);
    return 0;
}

int pxConfig(const Invocation& call) {
    updateNotifyText(call.handle, "Импорт настроек ПЛЕКСАР");
    updateNotifyProgress(call.handle, 0);
    const std::string iniName = argument(call, "INI");
    std::string settings;
    if (!iniName.empty()) {
        std::ifstream ini(iniName, std::ios::binary);
        if (!ini) {
            updateNotifyText(call.handle, ("Нет файла настроек " + iniName).c_str());
            updateNotifyDone(call.handle, 1);
            return 1;
        }
        settings.assign(std::istreambuf_iterator<char>(ini), std::istreambuf_iterator<char>());
    }
    // Manager/ lies in the Plexar folder; the log goes to its Doc/.
    const std::string plexar = call.folder + "../";
    std::ofstream log(plexar + "Doc/PxFullImportSettings.log", std::ios::binary | std::ios::app);
    const std::time_t now = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    log << stamp << " PxConfig: import of the settings " << (iniName.empty() ? "-" : iniName)
        << "\r\n"
        << settings << (call.fail ? "failed on request\r\n" : "done\r\n");
    if (call.fail) {
        platform::registry::WriteRegString(Root::CurrentUser, kMessagesKey, "ExecProcMessageError",
                                           "Настройки не импортированы (сбой по заказу)");
        return 1;
    }
    updateNotifyProgress(call.handle, 100);
    updateNotifyDone(call.handle, 0);
    return 0;
}

int plexar(const Invocation& call) {
    updateNotifyText(call.handle, "Обновление форм ПЛЕКСАР");
    updateNotifyProgress(call.handle, 100);
    updateNotifyDone(call.handle, call.fail ? 1 : 0);
    return call.fail ? 1 : 0;
}

constexpr const char* kUsage =
    "Usage: update-sample-child [--help | --version]\n"
    "The stand-in for the products' own programs in a sample site. update-sample-site installs\n"
    "it as catalex/Utils/RefGroupImport.exe, plexar/Manager/PxConfig.exe and\n"
    "plexar/Bin/Plexar.exe; the name it is started under decides what it does:\n"
    "  RefGroupImport.exe LOGIN=u PASSWORD=p GROUP=g XML_DATA=f REF_NAMES=a,b XML_SCHEMA=s\n"
    "                     WNDHANDLE=n   adds one row per reference book to CX_CATALOG\n"
    "  PxConfig.exe [HANDLE=n] [INI=f]  copies the settings file to Doc/PxFullImportSettings.log\n"
    "  Plexar.exe [HANDLE=n]            reports a status text and success\n"
    "FAIL=1, or SAMPLE_CHILD_FAIL=RefGroupImport,PxConfig,Plexar (or all), makes them fail.\n"
    "Exit status: 0 done, 1 failed, 2 started under another name.\n";

} // namespace

int main(int argc, char** argv) {
    if (argc < 1) {
        return 2;
    }
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << "update-sample-child " UPDATE_VERSION "\n";
        return 0;
    }
    const Invocation call = readInvocation(argc, argv);
    try {
        if (call.program == "RefGroupImport") {
            return refGroupImport(call);
        }
        if (call.program == "PxConfig") {
            return pxConfig(call);
        }
        if (call.program == "Plexar") {
            return plexar(call);
        }
        std::cerr << "update-sample-child: start it as RefGroupImport.exe, PxConfig.exe or "
                     "Plexar.exe (update-sample-site installs it so)\nTry 'update-sample-child "
                     "--help'.\n";
        return 2;
    } catch (const std::exception& error) {
        updateNotifyError(call.handle, error.what());
        std::cerr << call.program << ": " << error.what() << '\n';
        return 1;
    }
}
