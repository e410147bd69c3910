#include "platform/db/ConnectionString.h"

#include "platform/db/firebird/FirebirdBackend.h"
#include "platform/text/Text.h"

#include <string_view>

#ifdef UPDATE_DB_ODBC
#include "platform/db/odbc/OdbcBackend.h"
#endif

namespace platform::db {

std::vector<ConnectionItem> parseConnectionString(const std::string& connectionString) {
    const std::string_view s(connectionString);
    std::vector<ConnectionItem> items;
    std::size_t pos = 0;
    while (pos < s.size()) {
        const auto eq = s.find('=', pos);
        const auto semi = s.find(';', pos);
        if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
            // An item without "=" names no value; skip it.
            if (semi == std::string_view::npos) {
                break;
            }
            pos = semi + 1;
            continue;
        }
        ConnectionItem item;
        item.key = text::trimBlanks(s.substr(pos, eq - pos));
        std::size_t v = eq + 1;
        while (v < s.size() && s[v] == ' ') {
            ++v;
        }
        if (v < s.size() && (s[v] == '"' || s[v] == '\'')) {
            const char quote = s[v];
            std::size_t i = v + 1;
            for (; i < s.size(); ++i) {
                if (s[i] == quote) {
                    if (i + 1 < s.size() && s[i + 1] == quote) {
                        item.value.push_back(quote);
                        ++i;
                        continue;
                    }
                    break;
                }
                item.value.push_back(s[i]);
            }
            const auto next = s.find(';', i);
            pos = next == std::string_view::npos ? s.size() : next + 1;
        } else {
            const auto next = s.find(';', v);
            const auto end = next == std::string_view::npos ? s.size() : next;
            item.value = text::trimBlanks(s.substr(v, end - v));
            pos = next == std::string_view::npos ? s.size() : next + 1;
        }
        items.push_back(std::move(item));
    }
    return items;
}

std::string connectionValue(const std::string& connectionString, const std::string& key) {
    const std::string wanted = text::trimBlanks(key);
    for (const ConnectionItem& item : parseConnectionString(connectionString)) {
        if (text::equalsNoCase(item.key, wanted)) {
            return item.value;
        }
    }
    return {};
}

std::string quoteConnectionValue(const std::string& value) {
    const bool needsQuotes = value.find_first_of(";\"'") != std::string::npos ||
                             (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!needsQuotes) {
        return value;
    }
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '"') {
            quoted += '"';
        }
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string makeConnectionString(const std::vector<ConnectionItem>& items) {
    std::string result;
    for (const ConnectionItem& item : items) {
        if (!result.empty()) {
            result += ';';
        }
        result += item.key + "=" + quoteConnectionValue(item.value);
    }
    return result;
}

std::string firebirdConnectionString(const std::string& location, const std::string& user,
                                     const std::string& password) {
    return makeConnectionString({{"Provider", "LCPI.IBProvider.2"},
                                 {"Location", location},
                                 {"User Id", user},
                                 {"Password", password}});
}

Provider providerOf(const std::string& connectionString) {
    const std::string provider = connectionValue(connectionString, "Provider");
    if (provider.empty()) {
        throw DbError("the connection string names no provider (\"Provider=...\")");
    }
    if (text::equalsNoCase(provider, "LCPI.IBProvider.2")) {
        return Provider::Firebird;
    }
    if (text::equalsNoCase(provider, "SQLOLEDB.1")) {
        return Provider::MsSql;
    }
    if (text::equalsNoCase(provider, "OraOLEDB.Oracle.1")) {
        return Provider::Oracle;
    }
    throw DbError("unknown database provider \"" + provider +
                  "\" (known: LCPI.IBProvider.2, SQLOLEDB.1, OraOLEDB.Oracle.1)");
}

namespace {

firebird::Params firebirdParams(const std::string& connectionString) {
    firebird::Params params;
    params.location = connectionValue(connectionString, "Location");
    if (params.location.empty()) {
        throw DbError("the connection string of the provider LCPI.IBProvider.2 names no "
                      "database (\"Location=...\")");
    }
    params.user = connectionValue(connectionString, "User Id");
    params.password = connectionValue(connectionString, "Password");
    const std::string charset = connectionValue(connectionString, "ctype");
    if (!charset.empty()) {
        params.charset = charset;
    }
    return params;
}

} // namespace

std::unique_ptr<Connection> openConnection(const std::string& connectionString) {
    const Provider provider = providerOf(connectionString);
    switch (provider) {
    case Provider::Firebird:
        return firebird::attachDatabase(firebirdParams(connectionString));
    case Provider::MsSql:
    case Provider::Oracle:
#ifdef UPDATE_DB_ODBC
        return odbc::openOdbc(provider, connectionString);
#else
        throw DbError("the ODBC backend for the provider " +
                      connectionValue(connectionString, "Provider") +
                      " is not available in this build");
#endif
    }
    throw DbError("unknown database provider");
}

std::unique_ptr<Connection> createFirebirdDatabase(const std::string& connectionString) {
    if (providerOf(connectionString) != Provider::Firebird) {
        throw DbError("only a Firebird database (provider LCPI.IBProvider.2) can be created, not "
                      "one of the provider " +
                      connectionValue(connectionString, "Provider"));
    }
    return firebird::createDatabase(firebirdParams(connectionString));
}

} // namespace platform::db
