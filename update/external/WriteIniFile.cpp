#include "update/external/WriteIniFile.h"

#include "platform/os/File.h"
#include "platform/text/Text.h"

#include <stdexcept>

namespace update::external {

std::string iniFileText(std::string_view content) {
    const std::string trimmed = platform::text::trimBlanks(content);
    std::string text;
    std::size_t begin = 0;
    while (begin < trimmed.size()) {
        std::size_t end = trimmed.find(';', begin);
        if (end == std::string::npos) {
            end = trimmed.size();
        }
        text.append(trimmed, begin, end - begin);
        text.append("\r\n");
        begin = end + 1;
    }
    return text;
}

bool WriteIniFile(const std::string& fileName, std::string_view content) {
    try {
        platform::os::replaceWholeFile(fileName, iniFileText(content));
    } catch (const platform::os::FileError& error) {
        throw std::runtime_error("Cannot write the settings file \"" + fileName +
                                 "\": " + error.what());
    }
    return true;
}

} // namespace update::external
