// Times the registry store on large stores: update-reg import and query (the real tool, run
// as a process) and the program's own reads and writes. Run it on a release build; see
// bench/README.md.

#include "platform/registry/Registry.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 3;

fs::path toolPath() {
    return fs::read_symlink("/proc/self/exe").parent_path() / "update-reg";
}

// Wall-clock and processor time (user and system) of one run, in seconds. The machine may be
// shared, so the processor time is the steadier figure.
struct Times {
    double wall = 0;
    double cpu = 0;
};

double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

double processCpu() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Runs update-reg with its output thrown away; the processor time it took. Throws when it
// fails.
double runTool(const std::vector<std::string>& args) {
    const std::string program = toolPath().string();
    const pid_t pid = fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("update-reg failed: " + args.front());
    }
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The best of kRuns runs; prepare runs before each, untimed. run gives the processor time of
// a child process it ran, or a negative number when the work is done in this process.
Times best(const std::function<void()>& prepare, const std::function<double()>& run) {
    Times result{1e9, 1e9};
    for (int i = 0; i < kRuns; ++i) {
        prepare();
        const double cpuStart = processCpu();
        const auto start = Clock::now();
        double cpu = run();
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        if (cpu < 0) {
            cpu = processCpu() - cpuStart;
        }
        result.wall = std::min(result.wall, wall);
        result.cpu = std::min(result.cpu, cpu);
    }
    return result;
}

std::string keyName(int k) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "K%05d", k);
    return buffer;
}

// An import file of keys sibling keys below one key, each with valuesPerKey values of
// several types.
std::string importFile(int keys, int valuesPerKey) {
    std::string text = "Windows Registry Editor Version 5.00\n\n";
    for (int k = 0; k < keys; ++k) {
        text += "[HKEY_LOCAL_MACHINE\\Software\\Bench\\" + keyName(k) + "]\n";
        for (int v = 0; v < valuesPerKey; ++v) {
            const std::string name = "\"Значение" + std::to_string(v) + "\"=";
            switch (v % 3) {
            case 0:
                text += name + "\"/opt/catalex/data/" + std::to_string(k) + "\"\n";
                break;
            case 1:
                text += name + "dword:0000002a\n";
                break;
            default:
                text += name + "hex:01,02,03,04,05,06,07,08\n";
                break;
            }
        }
        text += '\n';
    }
    return text;
}

void report(const std::string& what, Times times, double target) {
    std::printf("%-48s wall %7.3f s  cpu %7.3f s  (target %.1f s)\n", what.c_str(), times.wall,
                times.cpu, target);
}

void scenario(const fs::path& folder, int keys, int valuesPerKey, double importTarget,
              double queryTarget) {
    const fs::path file = folder / "import.reg";
    std::ofstream(file, std::ios::binary) << importFile(keys, valuesPerKey);
    const fs::path store = folder / "HKLM.reg";
    const std::string label = std::to_string(keys * valuesPerKey) + " values in " +
                              std::to_string(keys) + (keys == 1 ? " key" : " keys");
    const Times import = best([&] { fs::remove(store); },
                              [&] {
                                  return runTool({"import", file.string()});
                              });
    std::printf("%s: store of %ju bytes\n", label.c_str(),
                static_cast<std::uintmax_t>(fs::file_size(store)));
    report("update-reg import", import, importTarget);

    const std::string key = "HKLM\\Software\\Bench\\" + keyName(keys / 2);
    report("update-reg query of one key",
           best([] {},
                [&] {
                    return runTool({"query", key});
                }),
           queryTarget);

    using namespace platform::registry;
    const std::string path = "Software\\Bench\\" + keyName(keys / 2);
    report("ReadRegString of one value",
           best([] {},
                [&] {
                    std::string text;
                    if (ReadRegString(Root::LocalMachine, path, "значение0", text) != kSuccess) {
                        throw std::runtime_error("ReadRegString failed");
                    }
                    return -1.0;
                }),
           queryTarget);
    report("WriteRegString of one value",
           best([] {},
                [&] {
                    if (WriteRegString(Root::LocalMachine, path, "New", "x") != kSuccess) {
                        throw std::runtime_error("WriteRegString failed");
                    }
                    return -1.0;
                }),
           importTarget);
}

} // namespace

int main(int argc, char** argv) {
    // Optional arguments: the number of keys and of values per key of the first scenario.
    const int keys = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int valuesPerKey = argc > 2 ? std::atoi(argv[2]) : 10;
    try {
        char pattern[] = "/tmp/registry-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        const fs::path folder = pattern;
        setenv("UPDATE_REGISTRY_DIR", pattern, 1);
        scenario(folder, keys, valuesPerKey, 2.0, 0.2);
        // Many values in one key.
        scenario(folder, 1, keys * valuesPerKey / 6, 2.0, 0.2);
        fs::remove_all(folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "registry_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
