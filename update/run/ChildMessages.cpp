#include "update/run/ChildMessages.h"

#include "platform/text/Text.h"
#include "update/run/PasswordMask.h"
#include "update/run/Progress.h"
#include "update/run/RunLog.h"

namespace update::run {
namespace {

// The first `limit` characters of UTF-8 text.
std::string firstCharacters(std::string text, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80) { // a character starts here
            if (characters == limit) {
                text.resize(i);
                break;
            }
            ++characters;
        }
    }
    return text;
}

// The source of entries for the transfer program's messages: its command line without the
// password.
std::string childSource(const RunContext& context) {
    return maskPasswordArgument(context.CurrentChildCommand);
}

} // namespace

std::string childText(std::string_view raw) {
    const std::string_view text = raw.substr(0, raw.find('\0'));
    return platform::text::isValidUtf8(text) ? std::string(text)
                                             : platform::text::cp1251ToUtf8(text);
}

std::int32_t handleProgress(RunContext& context, std::int32_t percent) {
    setFrameProgress(context, static_cast<double>(percent));
    return 0;
}

std::int32_t handleElementOutcome(RunContext& context, std::int32_t outcome) {
    if (outcome != 0) {
        WriteLogEntry(context,
                      "элемент обновления конфигурации #" +
                          std::to_string(context.CurrentConfigItem),
                      "ошибка переноса данных");
        context.ChildSucceeded = false;
    } else {
        context.ChildSucceeded = true;
    }
    return 0;
}

std::int32_t handleErrorAtom(RunContext& context, std::string_view atomName) {
    const std::string text = firstCharacters(childText(atomName), kAtomTextLimit);
    WriteLogEntry(context, childSource(context), text.empty() ? "Неопределенная ошибка" : text);
    context.ChildSucceeded = false;
    return 0;
}

std::int32_t handleCopyData(RunContext& context, std::string_view text) {
    switch (context.CurrentUpdateKind) {
    case kKindTransfer:
        WriteLogEntry(context, childSource(context), childText(text));
        context.ChildSucceeded = false;
        break;
    case kKindSettings:
        context.host.setStatusCaption(childText(text));
        break;
    default: // the database update starts no child: ignored
        break;
    }
    return 0;
}

} // namespace update::run
