#include "core/frame_statistics.h"

#include <gtest/gtest.h>

namespace {

TEST(FrameStatistics, reportsEveryFiveSecondsWhatThatSpellSaw)
{
    FrameStatistics statistics(1'000'000);
    // A spell of 100 frames: steps of 0.1 .. 10 ms, latencies of 10 .. 109 ms.
    for (int i = 1; i <= 100; ++i) {
        statistics.stepped(i * 100);
        statistics.shown(10'000 + (i - 1) * 1000);
    }
    statistics.countFrames(130, 30);
    EXPECT_FALSE(statistics.takeReport(5'999'999));
    const std::optional<std::string> first = statistics.takeReport(6'000'000);
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, "5.0 s: frames received 130, stepped 100, replaced before taken 30; "
                      "step median 5.1 ms, max 10.0 ms; "
                      "capture to screen median 60.0 ms, p99 108.0 ms");

    // The next spell counts only its own frames.
    statistics.stepped(2500);
    statistics.countFrames(131, 30);
    EXPECT_FALSE(statistics.takeReport(10'000'000));
    const std::optional<std::string> second = statistics.takeReport(11'000'000);
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, "5.0 s: frames received 1, stepped 1, replaced before taken 0; "
                       "step median 2.5 ms, max 2.5 ms; "
                       "capture to screen median 0.0 ms, p99 0.0 ms");
}

} // namespace
