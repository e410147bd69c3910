#include "platform/db/ConnectionString.h"

#include "platform/text/Text.h"

#include <string_view>

namespace platform::db {

namespace {

struct Item {
    std::string key;
    std::string value;
};

// Splits "Key=Value;Key=Value" into items. A value that begins with a single or a double quote
// runs to the matching quote (a doubled quote inside stands for one), so that it may hold ";".
std::vector<Item> parseItems(std::string_view s) {
    std::vector<Item> items;
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
        Item item;
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

} // namespace

std::string connectionValue(const std::string& connectionString, const std::string& key) {
    const std::string wanted = text::trimBlanks(key);
    for (const Item& item : parseItems(connectionString)) {
        if (text::equalsNoCase(item.key, wanted)) {
            return item.value;
        }
    }
    return {};
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

std::unique_ptr<Connection> openConnection(const std::string& connectionString) {
    switch (providerOf(connectionString)) {
    case Provider::Firebird: {
        FirebirdParams params;
        params.location = connectionValue(connectionString, "Location");
        if (params.location.empty()) {
            throw DbError("the connection string of the provider LCPI.IBProvider.2 names no "
                          "database (\"Location=...\")");
        }
        params.user = connectionValue(connectionString, "User Id");
        params.password = connectionValue(connectionString, "Password");
        return openFirebird(params);
    }
    case Provider::MsSql:
    case Provider::Oracle:
        throw DbError("the ODBC backend for the provider " +
                      connectionValue(connectionString, "Provider") +
                      " is not available in this build");
    }
    throw DbError("unknown database provider");
}

} // namespace platform::db
