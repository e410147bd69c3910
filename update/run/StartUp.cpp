#include "update/run/StartUp.h"

#include "platform/registry/Registry.h"
#include "platform/text/Text.h"

namespace update::run {

bool hasLogCheckErrorsSwitch(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (platform::text::asciiUpper(argument) == "LOGCHECKERROR") {
            return true;
        }
    }
    return false;
}

void FormCreate(RunContext& context, const std::vector<std::string>& arguments) {
    context.LogCheckErrors = hasLogCheckErrorsSwitch(arguments);
    context.ConnectionSaved = false;
}

void FormCloseQuery(RunContext& context) {
    using platform::registry::Root;
    if (context.ConnectionSaved) {
        platform::registry::WriteRegBinary(Root::LocalMachine, kBdConnectionKey,
                                           kConnectionStringValue, context.SavedConnectionString);
        platform::registry::WriteRegString(Root::LocalMachine, kBdConnectionKey, kServerTypeValue,
                                           context.SavedServerType);
    }
    context.connections.closeAll();
}

void FormDestroy(RunContext& context) {
    context.ConfigDocument.reset();
}

} // namespace update::run
