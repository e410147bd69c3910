#include "varnex/SafeDropTable.h"

#include "platform/text/Text.h"
#include "varnex/WorkObjects.h"

namespace varnex {

namespace {

std::string dropFailure(const std::exception& e, int step, const StatementRunner& runner) {
    std::string text = e.what();
    text.append("\r\n\nSafeDropTable/#0").append(std::to_string(step)).append("\r\n");
    return text.append(runner.text());
}

} // namespace

std::string SafeDropTable(platform::db::Connection& connection, const std::string& table,
                          const std::string& triggers, bool stop) {
    StatementRunner runner(connection);
    std::string result;
    const std::string upper = platform::text::localeUpper(table);
    try {
        for (const auto& key : connection.foreignKeysOf(upper)) {
            runner.run("ALTER TABLE " + table + " DROP CONSTRAINT " + key.name);
        }
    } catch (const std::exception& e) {
        return dropFailure(e, 1, runner);
    }
    try {
        for (const auto& key : connection.foreignKeysTo(upper)) {
            runner.run("ALTER TABLE " + key.table + " DROP CONSTRAINT " + key.name);
        }
    } catch (const std::exception& e) {
        return dropFailure(e, 2, runner);
    }
    std::size_t pos = 0;
    while (pos < triggers.size()) {
        auto end = triggers.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            end = triggers.size();
        }
        const std::string line = triggers.substr(pos, end - pos);
        pos = end + (triggers.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        if (line.empty()) {
            continue;
        }
        try {
            runner.run("DROP TRIGGER " + line);
        } catch (const std::exception& e) {
            result = dropFailure(e, 3, runner);
            if (stop) {
                return result;
            }
        }
    }
    try {
        runner.run("DROP TABLE " + table);
    } catch (const std::exception& e) {
        return dropFailure(e, 4, runner);
    }
    return result;
}

} // namespace varnex
