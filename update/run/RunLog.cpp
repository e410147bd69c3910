#include "update/run/RunLog.h"

namespace update::run {

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            line.push_back(c);
        }
    }
    lines.push_back(std::move(line));
    return lines;
}

namespace {

void appendLines(Host& host, std::string_view text) {
    for (const std::string& line : splitLines(text)) {
        host.appendLogLine(line);
    }
}

} // namespace

void WriteLogEntry(Host& host, std::string_view source, std::string_view error,
                   std::string_view detail) {
    host.appendLogLine("/*");
    appendLines(host, "Операция:" + host.statusCaption());
    appendLines(host, std::string("Источник:").append(source));
    host.appendLogLine("Ошибка:");
    appendLines(host, error);
    if (!detail.empty()) {
        host.appendLogLine("*/");
        appendLines(host, detail);
        host.appendLogLine("/*");
    }
    host.appendLogLine(std::string(kLogSeparator));
    host.appendLogLine("*/");
    host.setDetailsEnabled(true);
}

void WriteLogEntry(RunContext& context, std::string_view source, std::string_view error,
                   std::string_view detail) {
    WriteLogEntry(context.host, source, error, detail);
}

} // namespace update::run
