#include "tools/update-reg/Arguments.h"

#include <algorithm>
#include <map>

namespace tools::reg {
namespace {

struct CommandRule {
    std::size_t operands;
    std::vector<std::string> options;
};

const std::map<std::string, CommandRule>& rules() {
    static const std::map<std::string, CommandRule> table = {
        {"query", {1, {"--value", "--default", "--recursive"}}},
        {"add", {1, {"--value", "--default", "--type", "--data"}}},
        {"delete", {1, {"--value", "--default"}}},
        {"import", {1, {}}},
        {"export", {2, {}}},
    };
    return table;
}

bool takesArgument(const std::string& option) {
    return option == "--value" || option == "--type" || option == "--data";
}

} // namespace

std::string usageText() {
    return "Usage: update-reg COMMAND ARGUMENTS...\n"
           "Reads and changes the registry store of the Korvel update program.\n"
           "\n"
           "Commands:\n"
           "  query KEY [--value NAME | --default] [--recursive]\n"
           "                  show the values and subkeys of KEY (--recursive: of all keys "
           "below)\n"
           "  add KEY [--value NAME | --default] [--type TYPE] [--data DATA]\n"
           "                  create KEY, or set a value of it\n"
           "  delete KEY [--value NAME | --default]\n"
           "                  delete KEY with all its subkeys, or one value of it\n"
           "  import FILE.reg  apply a registry file (as the Windows registry editor writes)\n"
           "  export KEY FILE.reg\n"
           "                  write KEY with its subkeys to a registry file\n"
           "\n"
           "KEY starts with its root: HKLM\\... or HKEY_LOCAL_MACHINE\\..., HKCU\\... or\n"
           "HKEY_CURRENT_USER\\...\n"
           "--default names the key's default value (\"@\" in registry files).\n"
           "TYPE is REG_SZ (the default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD or REG_BINARY.\n"
           "DATA of REG_DWORD is decimal or 0x-hexadecimal; of REG_BINARY hex digits, optionally\n"
           "separated by commas (\"0a,ff\" or \"0aff\"); the items of REG_MULTI_SZ are separated "
           "by \\0.\n"
           "\n"
           "The store folder is $UPDATE_REGISTRY_DIR when set; otherwise HKLM.reg lies in\n"
           "/var/lib/korvel/registry/ and HKCU.reg in $XDG_CONFIG_HOME/korvel/registry/\n"
           "(~/.config/korvel/registry/). A store locked by another process is waited for\n"
           "$UPDATE_REGISTRY_LOCK_TIMEOUT seconds (30 when unset), then given up.\n"
           "Exit status: 0 on success, 1 on any error.\n";
}

Arguments parseArguments(const std::vector<std::string>& args) {
    Arguments result;
    std::vector<std::string> seen;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (arg == "--help" || arg == "-h") {
            result.help = true;
            return result;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            std::optional<std::string> inlineValue;
            if (const auto eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
                inlineValue = arg.substr(eq + 1);
                arg.resize(eq);
            }
            if (arg != "--value" && arg != "--default" && arg != "--recursive" && arg != "--type" &&
                arg != "--data") {
                throw UsageError("unknown option '" + arg + "'");
            }
            if (std::find(seen.begin(), seen.end(), arg) != seen.end()) {
                throw UsageError("option '" + arg + "' is given twice");
            }
            seen.push_back(arg);
            std::string argument;
            if (takesArgument(arg)) {
                if (inlineValue) {
                    argument = *inlineValue;
                } else if (i + 1 < args.size()) {
                    argument = args[++i];
                } else {
                    throw UsageError("option '" + arg + "' needs an argument");
                }
            } else if (inlineValue) {
                throw UsageError("option '" + arg + "' takes no argument");
            }
            if (arg == "--value") {
                result.value = argument;
            } else if (arg == "--type") {
                result.type = argument;
            } else if (arg == "--data") {
                result.data = argument;
            } else if (arg == "--recursive") {
                result.recursive = true;
            }
            continue;
        }
        if (result.command.empty()) {
            result.command = arg;
        } else {
            result.operands.push_back(arg);
        }
    }
    if (result.command.empty()) {
        throw UsageError("no command given");
    }
    const auto rule = rules().find(result.command);
    if (rule == rules().end()) {
        throw UsageError("unknown command '" + result.command + "'");
    }
    for (const auto& option : seen) {
        const auto& allowed = rule->second.options;
        if (std::find(allowed.begin(), allowed.end(), option) == allowed.end()) {
            throw UsageError("option '" + option + "' is not valid for '" + result.command + "'");
        }
    }
    const bool hasValue = std::find(seen.begin(), seen.end(), "--value") != seen.end();
    const bool hasDefault = std::find(seen.begin(), seen.end(), "--default") != seen.end();
    if (hasValue && hasDefault) {
        throw UsageError("give either --value or --default, not both");
    }
    if (hasDefault) {
        result.value = std::string();
    }
    if (result.operands.size() != rule->second.operands) {
        throw UsageError("'" + result.command + "' takes " + std::to_string(rule->second.operands) +
                         " argument" + (rule->second.operands == 1 ? "" : "s") + ", " +
                         std::to_string(result.operands.size()) + " given");
    }
    return result;
}

} // namespace tools::reg
