// Times placeholder expansion on texts whose length doubles: many "<" before one distant ">"
// (the case that once took time in the square of the length), and a text full of placeholders.
// Prints one line per text: its kind, its length in KiB and the milliseconds one expansion
// took (the best of three).

#include "update/connect/ShiftKeyTable.h"
#include "update/run/Placeholders.h"
#include "update/run/UpdaterState.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

double millisecondsFor(const update::run::TBaseState& state, const std::string& text) {
    double best = 1e30;
    for (int round = 0; round < 3; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const std::string result = update::run::ExpandPlaceholders(
            state, "MSSQL", 1, update::connect::builtInShiftKeyTable(), text);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
        if (result.empty()) {
            std::printf("unexpected empty result\n");
        }
    }
    return best;
}

} // namespace

int main() {
    update::run::TBaseState state;
    state.CatalexFolder = "/opt/catalex/";
    state.UserName = "ivanov";
    for (std::size_t kib = 64; kib <= 1024; kib *= 2) {
        std::string opens;
        while (opens.size() < kib * 1024 - 1) {
            opens += "<a";
        }
        opens += ">";
        std::string placeholders;
        while (placeholders.size() < kib * 1024) {
            placeholders += "<cxdir>x<USER> ";
        }
        std::printf("opens-before-one-close %5zu KiB %9.2f ms\n", kib,
                    millisecondsFor(state, opens));
        std::printf("placeholders           %5zu KiB %9.2f ms\n", kib,
                    millisecondsFor(state, placeholders));
    }
    return 0;
}
