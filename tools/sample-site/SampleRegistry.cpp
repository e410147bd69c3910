#include "tools/sample-site/SampleRegistry.h"

#include "platform/os/Os.h"
#include "platform/registry/Registry.h"
#include "update/connect/CredentialForms.h"

#include <stdexcept>

namespace tools::samplesite {
namespace {

using platform::registry::Root;

const char* const kCatalexKey = "Software\\Korvel\\Catalex";
const char* const kPlexarKey = "Software\\Korvel\\Plexar";

void check(long rc, const std::string& key, const std::string& name) {
    if (rc != platform::registry::kSuccess) {
        throw std::runtime_error("cannot write the registry value " + key + "\\" + name +
                                 " (error " + std::to_string(rc) + ")");
    }
}

void text(const std::string& key, const std::string& name, const std::string& value) {
    check(platform::registry::WriteRegString(Root::LocalMachine, key, name, value), key, name);
}

void number(const std::string& key, const std::string& name, int value) {
    // Numbers of the preferences are kept as text values, which the product reads as well as
    // integer ones.
    text(key, name, std::to_string(value));
}

} // namespace

SiteFolders siteFolders(const std::string& root) {
    SiteFolders site;
    site.root = platform::os::withTrailingDelimiter(root);
    site.catalex = site.root + "catalex/";
    site.plexar = site.root + "plexar/";
    site.database = site.root + "db/catalex.fdb";
    site.registry = site.root + "registry/";
    site.connection = "Provider=LCPI.IBProvider.2;User Id=SYSDBA;Password=masterkey;"
                      "Persist Security Info=True;Location=" +
                      site.database +
                      ";ctype=WIN1251;auto_commit=True;unicode_mode=False;unicode_stmt=False";
    return site;
}

void writeSampleRegistry(const SiteFolders& site) {
    text(kCatalexKey, "CurrentVersion", "4.0");
    const std::string version = std::string(kCatalexKey) + "\\4.0";
    text(version, "InstallPath", site.catalex);

    const std::string preference = version + "\\Preference";
    text(preference, "FlagAutoLogon", "False");
    text(preference, "PathSlaid", site.catalex + "picture/");
    text(preference, "PathTemp", site.catalex + "temp/");
    text(preference, "PathDocument", site.catalex + "doc/");
    text(preference, "FlagDebugger", "False");
    number(preference, "SwapLine", 20);
    number(preference, "ScriptTimeOut", 30000);
    text(preference, "FontName", "DejaVu Sans");
    number(preference, "FontSize", 8);

    text(kPlexarKey, "CurrentVersion", "5.0");
    text(std::string(kPlexarKey) + "\\5.0", "InstallPath", site.plexar);

    const std::string saved = "SOFTWARE\\Korvel\\Catalex\\4.0\\BDConnection";
    check(platform::registry::WriteRegBinary(Root::LocalMachine, saved, "ConnectionString",
                                             update::connect::encipherLoginText(site.connection)),
          saved, "ConnectionString");
    text(saved, "TypeSQLServer", "FIREBIRD");
}

} // namespace tools::samplesite
