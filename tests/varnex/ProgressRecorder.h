#pragma once

// Records the progress values the library passes to its callback.

#include "varnex/State.h"

#include <vector>

namespace varnextest {

inline std::vector<double>& recordedProgress() {
    static std::vector<double> values;
    return values;
}

inline void recordProgress(double value) {
    recordedProgress().push_back(value);
}

// Back to the library's state at loading, with the recorder registered.
inline void resetLibrary() {
    varnex::resetState();
    recordedProgress().clear();
    varnex::setCallBackPercent(&recordProgress);
}

} // namespace varnextest
