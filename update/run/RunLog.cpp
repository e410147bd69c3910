#include "update/run/RunLog.h"

#include "platform/text/Text.h"

namespace update::run {

namespace {

void appendLines(Host& host, std::string_view text) {
    for (const std::string_view line : platform::text::splitLines(text)) {
        host.appendLogLine(std::string(line));
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
