#pragma once

// The progress bar pbCondition and the progress frame. Every part of the update that moves the
// bar goes through these functions, so all positions follow the same rule: computed in floating
// point, rounded to the nearest integer with an exact half going to the even integer, then
// clamped to the bar's range.

#include "update/run/RunContext.h"

namespace update::run {

// The rounded position clamped to [minimum, maximum]. Every bar of the update has minimum 0, so
// "below the range" means below 0. NaN gives the minimum; infinities give the nearer end.
int clampedBarPosition(double position, int minimum, int maximum);

// Sets the bar to the clamped position and lets pending messages be processed so that it
// repaints.
void setBarPosition(RunContext& context, double position);

// A child or library reports `percent` of its own work: the bar goes to ItemStartPosition +
// percent * CurrentItemShare / 100 (clamped, repainted as above).
void setFrameProgress(RunContext& context, double percent);

} // namespace update::run
