#include "update/external/TransferReferenceGroups.h"

#include "platform/os/Os.h"
#include "update/external/RunChildProgram.h"
#include "update/run/Placeholders.h"

namespace update::external {

std::string transferArguments(const std::string& dataFile, const std::string& objects,
                              const std::string& schemaFile) {
    return "LOGIN=\"<USER>\" PASSWORD=\"<PASSWORD>\" GROUP=\"<GROUP>\" XML_DATA=\"<CURDIR>" +
           platform::os::nativePath(dataFile) + "\" REF_NAMES=" + objects +
           " XML_SCHEMA=\"<CURDIR>" + platform::os::nativePath(schemaFile) +
           "\" WNDHANDLE=<HANDLE>";
}

bool TransferReferenceGroups(update::run::RunContext& context,
                             const platform::xml::Element& schemaUpdate) {
    context.host.setStatusCaption("импорт справочников");
    context.host.setBarMaximum(100);
    context.host.setBarMinimum(0);
    context.host.setBarPosition(0);
    const std::vector<platform::xml::Element> elements = schemaUpdate.children();
    const int count = static_cast<int>(elements.size());
    context.CurrentItemShare = count == 0 ? 0.0 : static_cast<double>(100 / count);
    context.ChildSucceeded = true;
    bool result = true;
    const std::string program = context.UpdaterState.CatalexFolder + kTransferProgram;
    for (int i = 0; i < count; ++i) {
        const platform::xml::Element& element = elements[static_cast<std::size_t>(i)];
        context.ItemStartPosition = i * context.CurrentItemShare;
        const std::string arguments = update::run::ExpandPlaceholders(
            context, transferArguments(element.attribute("DATA_FILE"), element.attribute("OBJECTS"),
                                       element.attribute("SCHEMA_FILE")));
        context.CurrentChildCommand = program + " " + arguments;
        const bool started = RunChildProgram(context, program, arguments);
        result = result && started && context.ChildSucceeded;
    }
    return result;
}

} // namespace update::external
