#include "platform/db/odbc/OdbcBackend.h"

#include "platform/db/odbc/OdbcConnection.h"
#include "platform/db/odbc/OdbcConnectionString.h"

namespace platform::db::odbc {

std::unique_ptr<Connection> openOdbc(Provider provider, const std::string& connectionString) {
    OdbcLogin login = odbcLogin(provider, connectionString);
    return std::make_unique<OdbcConnection>(login.connectionString, login.loginTimeout,
                                            std::move(login.secrets));
}

std::unique_ptr<Connection> openOdbcString(const std::string& odbcConnectionString,
                                           std::chrono::seconds loginTimeout) {
    return std::make_unique<OdbcConnection>(odbcConnectionString, loginTimeout,
                                            std::vector<std::string>{});
}

} // namespace platform::db::odbc
