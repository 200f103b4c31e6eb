#include "core/clock.h"

#include <gtest/gtest.h>

namespace {

TEST(Stopwatch, holdsTimeWhileStoppedAndResumes)
{
    ManualClock clock;
    Stopwatch watch(clock);
    EXPECT_EQ(watch.elapsedMilliseconds(), 0);
    clock.advance(100); // not running: nothing counts
    EXPECT_EQ(watch.elapsedMilliseconds(), 0);

    watch.start();
    clock.advance(250);
    EXPECT_EQ(watch.elapsedMilliseconds(), 250);
    watch.stop();
    clock.advance(1000);
    EXPECT_EQ(watch.elapsedMilliseconds(), 250);
    EXPECT_FALSE(watch.isRunning());

    watch.start(); // continues from the time held
    clock.advance(50);
    EXPECT_EQ(watch.elapsedMilliseconds(), 300);
    watch.start(); // a second start does not restart the count
    clock.advance(10);
    EXPECT_EQ(watch.elapsedMilliseconds(), 310);
}

TEST(Stopwatch, resetStopsAndClears)
{
    ManualClock clock;
    Stopwatch watch(clock);
    watch.start();
    clock.advance(400);
    watch.reset();
    EXPECT_FALSE(watch.isRunning());
    clock.advance(400);
    EXPECT_EQ(watch.elapsedMilliseconds(), 0);

    watch.restart();
    clock.advance(7);
    EXPECT_TRUE(watch.isRunning());
    EXPECT_EQ(watch.elapsedMilliseconds(), 7);
}

TEST(Stopwatch, systemClockIsMonotonic)
{
    const std::int64_t first = Clock::system().nowMilliseconds();
    const std::int64_t second = Clock::system().nowMilliseconds();
    EXPECT_GE(second, first);
}

} // namespace
