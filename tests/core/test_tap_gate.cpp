// The pointer timing shared by every tool icon: one accepted press per half
// second, clicks count only after a short press, and a repeated camera toggle
// is ignored.

#include "core/tap_gate.h"
#include "tests/core/core_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct PressCase
{
    const char *name;
    std::int64_t firstPressAt; // since the gate was made
    std::int64_t secondPressAfter;
    bool firstAccepted, secondAccepted;
    friend void PrintTo(const PressCase &c, std::ostream *os) { *os << c.name; }
};

class TapGatePresses : public testing::TestWithParam<PressCase>
{ };

TEST_P(TapGatePresses, pressesAreAcceptedAtMostOncePerLimit)
{
    const PressCase &c = GetParam();
    ManualClock clock;
    TapGate gate(clock);
    clock.advance(c.firstPressAt);
    EXPECT_EQ(gate.acceptPress(), c.firstAccepted);
    clock.advance(c.secondPressAfter);
    EXPECT_EQ(gate.acceptPress(), c.secondAccepted);
}

INSTANTIATE_TEST_SUITE_P(Timings, TapGatePresses,
                         testing::Values(PressCase{"first press at 499 ms: too early", 499, 1, false, true},
                                         PressCase{"first press at 500 ms: accepted", 500, 499, true, false},
                                         PressCase{"second press exactly 500 ms later", 500, 500, true, true}),
                         testnames::ByName());

struct HoldCase
{
    const char *name;
    std::int64_t held;
    bool tap;
    friend void PrintTo(const HoldCase &c, std::ostream *os) { *os << c.name; }
};

class TapGateHolds : public testing::TestWithParam<HoldCase>
{ };

TEST_P(TapGateHolds, aClickCountsOnlyAfterAShortPress)
{
    ManualClock clock;
    TapGate gate(clock);
    EXPECT_TRUE(gate.isTap()); // nothing pressed yet
    clock.advance(500);
    ASSERT_TRUE(gate.acceptPress());
    clock.advance(GetParam().held);
    gate.endPress();
    clock.advance(10000); // the time after the release does not count
    EXPECT_EQ(gate.isTap(), GetParam().tap);
}

INSTANTIATE_TEST_SUITE_P(Durations, TapGateHolds,
                         testing::Values(HoldCase{"120 ms", 120, true},
                                         HoldCase{"exactly 500 ms still counts", 500, true},
                                         HoldCase{"501 ms is a long press", 501, false}),
                         testnames::ByName());

TEST(TapGate, anIgnoredPressKeepsTheEarlierPressTiming)
{
    // A second finger lands while the first still holds its icon: the first
    // press goes on being timed.
    ManualClock clock;
    TapGate gate(clock);
    clock.advance(500);
    ASSERT_TRUE(gate.acceptPress());
    clock.advance(200);
    EXPECT_FALSE(gate.acceptPress());
    clock.advance(400);
    gate.endPress();
    EXPECT_FALSE(gate.isTap()); // held 600 ms, not 400
}

struct RepeatCase
{
    const char *name;
    std::vector<std::int64_t> tapTimes;
    std::vector<bool> accepted;
    friend void PrintTo(const RepeatCase &c, std::ostream *os) { *os << c.name; }
};

class RepeatGuardTaps : public testing::TestWithParam<RepeatCase>
{ };

TEST_P(RepeatGuardTaps, repeatedTogglesWithinTheLimitAreIgnored)
{
    const RepeatCase &c = GetParam();
    ASSERT_EQ(c.tapTimes.size(), c.accepted.size());
    ManualClock clock;
    clock.advance(5000);
    RepeatGuard guard(clock);
    std::int64_t now = 0;
    for (std::size_t i = 0; i < c.tapTimes.size(); ++i) {
        clock.advance(c.tapTimes[i] - now);
        now = c.tapTimes[i];
        EXPECT_EQ(guard.accept(), c.accepted[i]) << "tap " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Taps, RepeatGuardTaps,
    testing::Values(
        RepeatCase{"taps at 0, 300, 600: the window restarts on each ignored tap", {0, 300, 600}, {true, false, false}},
        RepeatCase{"taps at 0, 500: exactly the limit acts", {0, 500}, {true, true}},
        RepeatCase{"taps at 0, 499, 998: the ignored tap restarts the window", {0, 499, 998}, {true, false, false}},
        RepeatCase{"taps at 0, 300, 800: 500 after the ignored tap acts", {0, 300, 800}, {true, false, true}}),
    testnames::ByName());

} // namespace
