// Steps without a camera frame: only while no camera delivers, in the ice
// view, until the game has settled.

#include "core/step_pace.h"
#include "tests/core/game_fixture.h"

#include <gtest/gtest.h>

namespace {

using testgame::Fixture;

TEST(StepPace, aStrokeIsSteppedUntilTheGameSettles)
{
    Fixture f;
    StepPace pace;
    EXPECT_FALSE(pace.stepsWithoutFrame(f.game, 0)) << "a fresh game has nothing to do";
    f.game.addStroke(Point{10, 10}, Point{60, 10});
    ASSERT_TRUE(pace.stepsWithoutFrame(f.game, 0));
    int steps = 0;
    while (pace.stepsWithoutFrame(f.game, 0) && steps < 10000) {
        f.game.stepWithoutFrame();
        ++steps;
    }
    EXPECT_TRUE(f.game.isSettled());
    // Wiped pixels grow back by the freezing speed, 10 a step, from 765 or
    // more to the frozen 0: dozens of steps, not one.
    EXPECT_GT(steps, 30);
    EXPECT_LT(steps, 10000);
}

struct PaceCase
{
    const char *name;
    bool frame;   // a frame arrived at time 1000
    bool stopped; // and the camera stopped after it
    std::int64_t now;
    bool cameraView;
    bool steps;
    friend void PrintTo(const PaceCase &c, std::ostream *os) { *os << c.name; }
};

class StepPaceCases : public testing::TestWithParam<PaceCase>
{ };

TEST_P(StepPaceCases, framesAndTheCameraViewTakeOverTheSteps)
{
    const PaceCase &c = GetParam();
    Fixture f;
    StepPace pace;
    if (c.frame)
        pace.frameArrived(1000);
    if (c.stopped)
        pace.cameraStopped();
    if (c.cameraView)
        f.game.toggleView();
    f.game.addStroke(Point{10, 10}, Point{60, 10});
    EXPECT_EQ(pace.stepsWithoutFrame(f.game, c.now), c.steps);
}

INSTANTIATE_TEST_SUITE_P(Cases, StepPaceCases,
                         testing::Values(PaceCase{"no camera", false, false, 1000, false, true},
                                         PaceCase{"a frame just now", true, false, 1000, false, false},
                                         PaceCase{"the last frame 299 ms ago", true, false, 1299, false, false},
                                         PaceCase{"the last frame 300 ms ago", true, false, 1300, false, true},
                                         PaceCase{"the camera stopped", true, true, 1001, false, true},
                                         PaceCase{"the camera view pauses the game", false, false, 1000, true, false}),
                         testnames::ByName{});

} // namespace
