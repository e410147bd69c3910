#include "platform/db/odbc/OdbcConnectionString.h"

#include "platform/os/Os.h"
#include "platform/text/Text.h"

#include <optional>

namespace platform::db::odbc {

namespace {

constexpr const char* kMsSqlDriverVariable = "UPDATE_ODBC_MSSQL_DRIVER";
constexpr const char* kOracleDriverVariable = "UPDATE_ODBC_ORACLE_DRIVER";
constexpr const char* kMsSqlOptionsVariable = "UPDATE_ODBC_MSSQL_OPTIONS";
constexpr const char* kOracleOptionsVariable = "UPDATE_ODBC_ORACLE_OPTIONS";
constexpr const char* kLoginTimeoutVariable = "UPDATE_ODBC_LOGIN_TIMEOUT";
constexpr const char* kDefaultMsSqlDriver = "FreeTDS";
constexpr int kLongestLoginTimeout = 3600;

// An environment variable; empty counts as unset.
std::optional<std::string> setting(const char* name) {
    auto value = os::environment(name);
    if (value && text::trimBlanks(*value).empty()) {
        return std::nullopt;
    }
    return value;
}

class OdbcStringBuilder {
public:
    void add(std::string_view key, std::string_view value) {
        if (!text_.empty()) {
            text_ += ';';
        }
        text_ += key;
        text_ += '=';
        text_ += braceOdbcValue(value);
    }
    // Adds the item only when the product's string gives the key a value.
    void addFrom(const std::string& connectionString, const char* productKey,
                 std::string_view odbcKey) {
        const std::string value = connectionValue(connectionString, productKey);
        if (!value.empty()) {
            add(odbcKey, value);
        }
    }
    // Appends items written by the site, as they stand.
    void addVerbatim(const std::optional<std::string>& items) {
        if (!items) {
            return;
        }
        const std::string trimmed = text::trimBlanks(*items);
        if (trimmed.empty()) {
            return;
        }
        if (!text_.empty() && trimmed.front() != ';') {
            text_ += ';';
        }
        text_ += trimmed;
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

std::chrono::seconds parseTimeout(const std::string& value, const std::string& source) {
    const auto seconds = text::parseInt32(text::trimBlanks(value));
    if (!seconds || *seconds < 1 || *seconds > kLongestLoginTimeout) {
        throw DbError(source + " must be a number of seconds from 1 to " +
                      std::to_string(kLongestLoginTimeout) + ", not \"" + value + "\"");
    }
    return std::chrono::seconds(*seconds);
}

std::chrono::seconds loginTimeout(const std::string& connectionString) {
    if (const auto value = setting(kLoginTimeoutVariable)) {
        return parseTimeout(*value, std::string("$") + kLoginTimeoutVariable);
    }
    const std::string fromString = connectionValue(connectionString, "Connect Timeout");
    if (!fromString.empty()) {
        return parseTimeout(fromString, "the connection string's \"Connect Timeout\"");
    }
    return kDefaultLoginTimeout;
}

// "(local)" and "." name this machine, alone or before an instance name.
std::string serverName(std::string dataSource) {
    const auto slash = dataSource.find('\\');
    const std::string host = dataSource.substr(0, slash);
    if (host == "." || text::equalsNoCase(host, "(local)")) {
        dataSource.replace(0, host.size(), "localhost");
    }
    return dataSource;
}

bool isTrue(const std::string& value) {
    return text::equalsNoCase(value, "true") || text::equalsNoCase(value, "yes") || value == "1";
}

OdbcLogin msSqlLogin(const std::string& connectionString) {
    const std::string dataSource = connectionValue(connectionString, "Data Source");
    if (dataSource.empty()) {
        throw DbError("the connection string of the provider SQLOLEDB.1 names no server "
                      "(\"Data Source=...\")");
    }
    OdbcLogin login;
    OdbcStringBuilder odbc;
    odbc.add("DRIVER", setting(kMsSqlDriverVariable).value_or(kDefaultMsSqlDriver));
    odbc.add("SERVER", serverName(dataSource));
    odbc.addFrom(connectionString, "Initial Catalog", "DATABASE");
    const std::string integrated = connectionValue(connectionString, "Integrated Security");
    if (text::equalsNoCase(integrated, "SSPI") || isTrue(integrated)) {
        // FreeTDS logs in with the Kerberos ticket of the user running the program.
        odbc.add("Trusted_Connection", "Yes");
    } else {
        odbc.addFrom(connectionString, "User Id", "UID");
        const std::string password = connectionValue(connectionString, "Password");
        if (!password.empty()) {
            odbc.add("PWD", password);
            login.secrets.push_back(password);
        }
    }
    odbc.add("TDS_Version", "7.4");
    odbc.add("ClientCharset", "UTF-8");
    odbc.addFrom(connectionString, "Packet Size", "PacketSize");
    odbc.addFrom(connectionString, "Application Name", "APP");
    odbc.addFrom(connectionString, "Workstation ID", "WSID");
    odbc.addFrom(connectionString, "Current Language", "Language");
    if (isTrue(connectionValue(connectionString, "Use Encryption for Data"))) {
        odbc.add("Encrypt", "yes");
    }
    odbc.addVerbatim(setting(kMsSqlOptionsVariable));
    login.connectionString = odbc.text();
    login.loginTimeout = loginTimeout(connectionString);
    return login;
}

OdbcLogin oracleLogin(const std::string& connectionString) {
    const auto driver = setting(kOracleDriverVariable);
    if (!driver) {
        throw DbError(std::string("no ODBC driver for Oracle is configured: set ") +
                      kOracleDriverVariable +
                      " to the name of the site's Oracle driver in odbcinst.ini");
    }
    const std::string dataSource = connectionValue(connectionString, "Data Source");
    if (dataSource.empty()) {
        throw DbError("the connection string of the provider OraOLEDB.Oracle.1 names no "
                      "network service (\"Data Source=...\")");
    }
    OdbcLogin login;
    OdbcStringBuilder odbc;
    odbc.add("DRIVER", *driver);
    odbc.add("DBQ", dataSource);
    odbc.addFrom(connectionString, "User Id", "UID");
    const std::string password = connectionValue(connectionString, "Password");
    if (!password.empty()) {
        odbc.add("PWD", password);
        login.secrets.push_back(password);
    }
    odbc.addVerbatim(setting(kOracleOptionsVariable));
    login.connectionString = odbc.text();
    login.loginTimeout = loginTimeout(connectionString);
    return login;
}

} // namespace

std::string braceOdbcValue(std::string_view value) {
    const bool needsBraces = value.find_first_of(";{}") != std::string_view::npos ||
                             (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!needsBraces) {
        return std::string(value);
    }
    std::string braced = "{";
    for (const char c : value) {
        braced += c;
        if (c == '}') {
            braced += '}';
        }
    }
    braced += '}';
    return braced;
}

OdbcLogin odbcLogin(Provider provider, const std::string& connectionString) {
    switch (provider) {
    case Provider::MsSql:
        return msSqlLogin(connectionString);
    case Provider::Oracle:
        return oracleLogin(connectionString);
    case Provider::Firebird:
        break;
    }
    throw DbError("the provider LCPI.IBProvider.2 is not an ODBC database");
}

} // namespace platform::db::odbc
