// The tool icons fading out after a spell without use.

#include "core/tool_fade.h"
#include "tests/core/core_fixture.h"

#include <gtest/gtest.h>

namespace {

struct FadeCase
{
    const char *name;
    int ticks;
    float opacity;
    bool hiddenOnLastTick;
    friend void PrintTo(const FadeCase &c, std::ostream *os) { *os << c.name; }
};

class ToolFadeTimeline : public testing::TestWithParam<FadeCase>
{ };

TEST_P(ToolFadeTimeline, fadeTimeline)
{
    const FadeCase &c = GetParam();
    ToolFade fade;
    fade.show();
    bool hidden = false;
    for (int i = 0; i < c.ticks; ++i) {
        ASSERT_FALSE(hidden) << "hidden too early, at tick " << i;
        hidden = fade.tick();
    }
    // The opacities are exactly what ten float steps of 0.1 give.
    EXPECT_EQ(fade.opacity(), c.opacity);
    EXPECT_EQ(hidden, c.hiddenOnLastTick);
    EXPECT_EQ(fade.idleTicks(), hidden ? 0 : c.ticks);
}

INSTANTIATE_TEST_SUITE_P(Ticks, ToolFadeTimeline,
                         testing::Values(FadeCase{"200 idle ticks: still whole", 200, 1.0f, false},
                                         FadeCase{"tick 201: the first step", 201, 0.9f, false},
                                         FadeCase{"tick 208: the last visible step", 208, 0.19999993f, false},
                                         FadeCase{"tick 209: under 0.1, hidden", 209, 0.099999927f, true}),
                         testnames::ByName());

TEST(ToolFade, useFreezesTheFadeForAnotherIdleSpell)
{
    ToolFade fade;
    fade.show();
    for (int i = 0; i < 205; ++i)
        fade.tick();
    fade.stayAwake();
    EXPECT_EQ(fade.opacity(), 0.49999991f);
    for (int i = 0; i < 200; ++i)
        ASSERT_FALSE(fade.tick()) << "tick " << i;
    EXPECT_EQ(fade.opacity(), 0.49999991f);
    EXPECT_FALSE(fade.tick());
    EXPECT_FALSE(fade.tick());
    EXPECT_FALSE(fade.tick());
    EXPECT_TRUE(fade.tick()); // 204 ticks after the click
    fade.show();
    EXPECT_EQ(fade.opacity(), 1.0f);
}

} // namespace
