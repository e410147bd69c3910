#include "varnex/Entries.h"

#include "varnex/State.h"

namespace varnex {

std::string stepTag(int step) {
    std::string tag = "\r\n#";
    tag.push_back(static_cast<char>('0' + step / 10 % 10));
    tag.push_back(static_cast<char>('0' + step % 10));
    return tag;
}

std::string runnerText(std::string_view sql) {
    std::string out;
    out.reserve(sql.size() + 2);
    std::size_t pos = 0;
    while (pos < sql.size()) {
        const auto end = sql.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            out.append(sql.substr(pos));
            out.append("\r\n");
            break;
        }
        out.append(sql.substr(pos, end - pos));
        out.append("\r\n");
        pos = end + (sql.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return out;
}

void appendStatementEntry(const std::string& message, const std::string& statement, int step,
                          std::string_view suffix) {
    std::string& e = errorStr();
    e.append("\r\n\n").append(message).append("\r\n").append(statement).append(stepTag(step));
    e.append(suffix);
}

void appendShortEntry(const std::string& message, int step) {
    errorStr().append("\r\n\n").append(message).append(stepTag(step));
}

void appendTableListingEntry(const std::string& message) {
    errorStr().append(message).append("\r\nGetTableNames()");
}

void appendDropEntry(const std::string& dropText) {
    errorStr().append("\r\n\n").append(dropText);
}

void appendFinalEntry(const std::string& message) {
    errorStr().append("\r\r\n").append(message).append("\r\nDoIt.");
}

} // namespace varnex
