#include "update/run/DatabaseVersion.h"

#include "platform/text/Text.h"
#include "update/run/RunConnection.h"

#include <cstdint>
#include <limits>
#include <optional>

namespace update::run {

namespace {

using platform::db::Connection;

struct VersionRow {
    std::string version;
    std::int32_t nextId = 0;
};

// The newest row of BO_VERSION; nothing when it cannot be read.
std::optional<VersionRow> readVersionRow(Connection& connection, const TBaseState& state) {
    try {
        const auto query = connection.query(kDbVersionQuery);
        if (query->eof()) {
            return VersionRow{state.StartDbVersions, 1};
        }
        if (query->columnCount() < 2) {
            return std::nullopt;
        }
        const std::int32_t id = query->integer(1);
        if (id == std::numeric_limits<std::int32_t>::max()) {
            return std::nullopt; // no successor
        }
        return VersionRow{query->text(0), id + 1};
    } catch (const platform::db::DbError&) {
        return std::nullopt;
    }
}

} // namespace

std::string connectionStringPart(std::string_view connectionString, std::string_view key) {
    const auto start = platform::text::findNoCase(connectionString, key);
    if (start == std::string_view::npos) {
        return {};
    }
    const auto from = start + key.size();
    const auto end = connectionString.find(';', from);
    return std::string(connectionString.substr(
        from, end == std::string_view::npos ? std::string_view::npos : end - from));
}

void readDatabaseVersion(RunContext& context) {
    Connection& connection = reopenRunConnection(context);
    TBaseState& state = context.UpdaterState;
    if (const auto row = readVersionRow(connection, state)) {
        state.CurrentDbVersion = row->version;
        state.NextVersionId = row->nextId;
    } else {
        state.CurrentDbVersion = kUndefinedDbVersion;
        state.NextVersionId = 0;
    }
}

} // namespace update::run
