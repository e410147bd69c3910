#include "update/run/Progress.h"

#include "tests/support/CaseName.h"
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>
#include <limits>

namespace update::run {
namespace {

struct ClampCase {
    double position;
    int minimum;
    int maximum;
    int expected;
};

class ClampedBarPosition : public testing::TestWithParam<ClampCase> {};

TEST_P(ClampedBarPosition, RoundsHalfToEvenThenClamps) {
    const ClampCase& c = GetParam();
    EXPECT_EQ(clampedBarPosition(c.position, c.minimum, c.maximum), c.expected)
        << "position " << c.position;
}

constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Positions, ClampedBarPosition,
    testing::Values(
        ClampCase{40.0, 0, 100, 40}, ClampCase{250.0, 0, 100, 100}, ClampCase{-10.0, 0, 100, 0},
        ClampCase{0.5, 0, 100, 0}, ClampCase{1.5, 0, 100, 2}, ClampCase{2.5, 0, 100, 2},
        ClampCase{3.5, 0, 100, 4}, ClampCase{2.4999, 0, 100, 2}, ClampCase{2.5001, 0, 100, 3},
        ClampCase{99.5, 0, 100, 100}, ClampCase{100.5, 0, 100, 100}, ClampCase{-0.5, -10, 10, 0},
        ClampCase{-1.5, -10, 10, -2}, ClampCase{-2.5, -10, 10, -2}, ClampCase{-0.4, 0, 100, 0},
        ClampCase{1e300, 0, 100, 100}, ClampCase{-1e300, 0, 100, 0}, ClampCase{kInf, 0, 100, 100},
        ClampCase{-kInf, 0, 100, 0}, ClampCase{std::numeric_limits<double>::quiet_NaN(), 0, 100, 0},
        ClampCase{4294967296.5, 0, 2147483647, 2147483647}),
    [](const auto& tc) {
        using testsupport::caseName;
        return caseName(tc.param.position) + "From" + caseName(tc.param.minimum) + "To" +
               caseName(tc.param.maximum);
    });

TEST(Progress, SetBarPositionClampsToTheHostRangeAndRepaints) {
    testsupport::RecordingHost host;
    RunContext context(host);
    host.setBarMinimum(0);
    host.setBarMaximum(50);
    setBarPosition(context, 70.0);
    EXPECT_EQ(host.barPosition(), 50);
    EXPECT_EQ(host.processMessagesCount(), 1);
}

TEST(Progress, FrameProgressIsRelativeToTheRunningItem) {
    testsupport::RecordingHost host;
    RunContext context(host);
    host.setBarMaximum(100);
    context.ItemStartPosition = 66;
    context.CurrentItemShare = 33;
    setFrameProgress(context, 50.0); // 66 + 16.5 = 82.5, half to even
    EXPECT_EQ(host.barPosition(), 82);
    setFrameProgress(context, 100.0);
    EXPECT_EQ(host.barPosition(), 99);
    EXPECT_EQ(host.processMessagesCount(), 2);
}

} // namespace
} // namespace update::run
