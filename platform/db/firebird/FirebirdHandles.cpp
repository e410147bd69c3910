#include "platform/db/firebird/FirebirdHandles.h"

#include "platform/text/Text.h"

#include <ibase.h>

namespace platform::db::firebird {

std::string firebirdMessage(Firebird::IStatus* status) {
    const ISC_STATUS* vector = status->getErrors();
    std::string message;
    char line[1024];
    while (fb_interpret(line, sizeof line, &vector) > 0) {
        if (!message.empty()) {
            message += '\n';
        }
        message += line;
    }
    if (message.empty()) {
        message = "unknown Firebird error";
    }
    // Names and values in the engine's messages come in the connection's character set; file
    // names and the client's own texts may already be UTF-8.
    return text::isValidUtf8(message) ? message : text::cp1251ToUtf8(message);
}

} // namespace platform::db::firebird
