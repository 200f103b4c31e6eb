// Ending the game while the camera runs, tick by tick of the exit timer.

#include "core/exit_sequence.h"
#include "tests/core/core_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Action = ExitSequence::Action;

const char *nameOf(Action action)
{
    switch (action) {
    case Action::None:
        return "None";
    case Action::StopCamera:
        return "StopCamera";
    case Action::ShowCameraOff:
        return "ShowCameraOff";
    case Action::Close:
        return "Close";
    }
    return "?";
}

struct Tick
{
    bool cameraActive; // before the tick's action
    Action action;
};

struct ExitCase
{
    const char *name;
    std::vector<Tick> ticks;
    friend void PrintTo(const ExitCase &c, std::ostream *os) { *os << c.name; }
};

class ExitSequenceTicks : public testing::TestWithParam<ExitCase>
{ };

TEST_P(ExitSequenceTicks, actionsTickByTick)
{
    ExitSequence sequence;
    const std::vector<Tick> &ticks = GetParam().ticks;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const Action action = sequence.tick(ticks[i].cameraActive);
        EXPECT_EQ(action, ticks[i].action)
            << "tick " << i << ": " << nameOf(action) << " instead of " << nameOf(ticks[i].action);
    }
}

constexpr bool on = true, off = false;

INSTANTIATE_TEST_SUITE_P(
    Cameras, ExitSequenceTicks,
    testing::Values(
        ExitCase{"camera stops at once: closed on the fourth tick",
                 {{on, Action::StopCamera}, {off, Action::None}, {off, Action::None}, {off, Action::Close}}},
        ExitCase{"slow camera: icon off on the second tick, closed once stopped",
                 {{on, Action::StopCamera},
                  {on, Action::ShowCameraOff},
                  {on, Action::None},
                  {on, Action::None},
                  {off, Action::Close}}},
        ExitCase{"camera already stopped by itself: not told again",
                 {{off, Action::None}, {off, Action::None}, {off, Action::None}, {off, Action::Close}}},
        ExitCase{"camera stops after the icon went off: closed at the fourth tick",
                 {{on, Action::StopCamera}, {on, Action::ShowCameraOff}, {off, Action::None}, {off, Action::Close}}},
        ExitCase{"camera that never stops: the window waits",
                 {{on, Action::StopCamera},
                  {on, Action::ShowCameraOff},
                  {on, Action::None},
                  {on, Action::None},
                  {on, Action::None},
                  {on, Action::None},
                  {off, Action::Close}}},
        ExitCase{"camera back on during the wait: not stopped twice",
                 {{on, Action::StopCamera},
                  {off, Action::None},
                  {on, Action::None},
                  {on, Action::None},
                  {off, Action::Close}}},
        ExitCase{"after the close the count starts over",
                 {{off, Action::None},
                  {off, Action::None},
                  {off, Action::None},
                  {off, Action::Close},
                  {on, Action::StopCamera},
                  {on, Action::ShowCameraOff}}}),
    testnames::ByName());

TEST(ExitSequence, restartCountsFromTheFirstTickAgain)
{
    ExitSequence sequence;
    EXPECT_EQ(sequence.tick(true), Action::StopCamera);
    EXPECT_EQ(sequence.tick(true), Action::ShowCameraOff);
    sequence.restart();
    EXPECT_EQ(sequence.tick(true), Action::StopCamera);
}

} // namespace
