#include "update/external/UpdateSettings.h"

#include "platform/os/Os.h"
#include "platform/registry/Registry.h"
#include "platform/text/Text.h"
#include "update/external/RunChildProgram.h"
#include "update/external/WriteIniFile.h"
#include "update/run/Placeholders.h"
#include "update/run/Progress.h"
#include "update/run/RunLog.h"

#include <climits>
#include <stdexcept>

namespace update::external {
namespace {

using platform::registry::Root;

double shareOf(const platform::xml::Element& element) {
    const std::string text = element.attribute("TIME_PERCENT");
    const std::optional<double> share = platform::text::parseDecimal(text);
    if (!share) {
        throw std::runtime_error("The settings update element " + element.name() +
                                 " has a TIME_PERCENT that is not a number: \"" + text + "\"");
    }
    return *share;
}

// Runs one element's program; true when it could be started.
bool runElement(update::run::RunContext& context, const platform::xml::Element& element,
                const std::string& command) {
    const std::string type = element.attribute("UPDATE_TYPE");
    const std::string& plexar = context.UpdaterState.PlexarFolder;
    if (type == "1") {
        return RunChildProgram(context, plexar + kPlexarProgram, command);
    }
    if (type == "0") {
        WriteIniFile(platform::os::nativePath(update::run::ExpandPlaceholders(
                         context, element.attribute("INI_FILE_NAME"))),
                     update::run::ExpandPlaceholders(context, element.attribute("INI_FILE")));
        return RunChildProgram(context, plexar + kSettingsToolProgram, command);
    }
    return RunChildProgram(context, platform::os::nativePath(type), command);
}

} // namespace

bool UpdateSettings(update::run::RunContext& context, const platform::xml::Element& configUpdate) {
    bool result = true;
    context.host.setBarPosition(0);
    context.ChildSucceeded = true;
    const std::vector<platform::xml::Element> elements = configUpdate.children();
    double sum = 0.0;
    for (const platform::xml::Element& element : elements) {
        sum += shareOf(element);
    }
    context.host.setBarMaximum(update::run::clampedBarPosition(sum, 0, INT_MAX));
    double total = 0.0;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const platform::xml::Element& element = elements[i];
        context.CurrentConfigItem = static_cast<int>(i + 1);
        if (platform::registry::RegKeyExists(Root::CurrentUser, kMessagesKey)) {
            platform::registry::DeleteRegKey(Root::CurrentUser, kMessagesKey);
        }
        const std::string command =
            update::run::ExpandPlaceholders(context, element.attribute("COMMAND"));
        const double share = shareOf(element);
        context.CurrentItemShare = share;
        context.ItemStartPosition = context.host.barPosition();
        total += share;
        context.host.setStatusCaption(element.attribute("INFO_STRING"));
        context.host.processMessages();
        bool succeeded = runElement(context, element, command);
        std::string report;
        if (platform::registry::ReadRegString(Root::CurrentUser, kMessagesKey, kMessageErrorValue,
                                              report) == platform::registry::kSuccess) {
            succeeded = false;
            update::run::WriteLogEntry(context, "", "Ошибка при обновлении настроек:\r\n" + report);
        }
        if (!context.ChildSucceeded) {
            succeeded = false;
            update::run::WriteLogEntry(context, "", "Ошибка при обновлении настроек");
        }
        update::run::setBarPosition(context, total);
        result = result && succeeded;
    }
    return result;
}

} // namespace update::external
