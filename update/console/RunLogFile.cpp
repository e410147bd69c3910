#include "update/console/RunLogFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <stdexcept>

namespace update::console {

void saveRunLog(const std::vector<std::string>& lines, const std::string& path) {
    std::ofstream file;
    std::ostream* out = &std::cout;
    if (path != "-") {
        file.open(path, std::ios::binary | std::ios::trunc);
        if (!file) {
            throw std::runtime_error("Не удалось записать файл " + path + ": " +
                                     std::strerror(errno));
        }
        out = &file;
    }
    for (const std::string& line : lines) {
        *out << line << "\r\n";
    }
    out->flush();
    if (!*out) {
        throw std::runtime_error("Не удалось записать файл " + path);
    }
}

} // namespace update::console
