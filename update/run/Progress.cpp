#include "update/run/Progress.h"

#include <cmath>

namespace update::run {
namespace {

// Nearest integer, an exact half going to the even one, independent of the floating-point
// rounding mode in force.
double roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction < 0.5) {
        return lower;
    }
    if (fraction > 0.5) {
        return lower + 1.0;
    }
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

} // namespace

int clampedBarPosition(double position, int minimum, int maximum) {
    if (std::isnan(position)) {
        return minimum;
    }
    const double rounded = roundHalfEven(position);
    if (rounded > static_cast<double>(maximum)) {
        return maximum;
    }
    if (rounded < static_cast<double>(minimum)) {
        return minimum;
    }
    return static_cast<int>(rounded);
}

void setBarPosition(RunContext& context, double position) {
    Host& host = context.host;
    host.setBarPosition(clampedBarPosition(position, host.barMinimum(), host.barMaximum()));
    host.processMessages();
}

void setFrameProgress(RunContext& context, double percent) {
    setBarPosition(context, context.ItemStartPosition + percent * context.CurrentItemShare / 100.0);
}

} // namespace update::run
