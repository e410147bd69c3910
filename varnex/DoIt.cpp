#include "varnex/DoIt.h"

#include "platform/text/Text.h"
#include "varnex/Convert.h"
#include "varnex/Entries.h"
#include "varnex/GetConnectionParam.h"
#include "varnex/State.h"

#include <cstring>
#include <memory>
#include <string>

namespace varnex {

namespace {

std::int32_t runRoutine(platform::db::Connection& connection, const std::string& databaseType) {
    if (databaseType == "INTRBASE" || databaseType == "FIREBIRD") {
        return ConvertFirebird(connection);
    }
    if (databaseType == "MSSQL") {
        return ConvertMSSQL(connection);
    }
    return ConvertOracle(connection);
}

} // namespace

std::int32_t DoIt(const char* connectionString, const char* databaseType) {
    std::unique_ptr<platform::db::Connection> connection;
    std::int32_t result = 0;
    bool opened = false;
    try {
        errorStr().clear();
        // Texts cross the interface as UTF-8, the text of the database layer as well.
        const std::string connectionText = connectionString != nullptr ? connectionString : "";
        setUserName(platform::text::localeUpper(GetConnectionParam(connectionText, "User ID")));
        try {
            connection = openLibraryConnection(connectionText);
            if (!connection) {
                throw platform::db::DbError("no connection was opened");
            }
        } catch (const std::exception& e) {
            // The connection failure leaves no progress value; the host shows the message.
            errorStr() = e.what();
            return kConnectionFailed;
        }
        opened = true;
        SetProcPercent(0.0);

        try {
            result = runRoutine(*connection, databaseType != nullptr ? databaseType : "");
        } catch (const std::exception& e) {
            // The routines guard their own steps; whatever escapes them fails the call.
            appendFinalEntry(e.what());
            result = 1;
        }
        if (!errorStr().empty()) {
            result = 1;
        }

        try {
            if (connection->inTransaction()) {
                if (result == 0) {
                    connection->commit();
                } else {
                    connection->rollback();
                }
            }
            if (connection->connected()) {
                connection->close();
            }
        } catch (const std::exception& e) {
            appendFinalEntry(e.what());
            result = 1;
        }
        connection.reset();
        SetProcPercent(100.0);
        return result;
    } catch (...) {
        // Nothing leaves the library as an exception: a failure outside the guarded steps (out
        // of memory) fails the call.
        connection.reset();
        try {
            appendFinalEntry("unexpected failure of the conversion library");
        } catch (...) {
        }
        if (!opened) {
            return kConnectionFailed;
        }
        SetProcPercent(100.0);
        return 1;
    }
}

} // namespace varnex
