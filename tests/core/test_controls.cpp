// The icons and panels as both editions have them: which clicks
// act, what opening a panel does to the tools, and that a held icon keeps
// the pointer to itself. The gate's and the fade's own timing have their
// tests in tests/core; here they are only driven.

#include "core/controls.h"
#include "tests/core/core_fixture.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using Action = Controls::Action;
using Panel = Controls::Panel;

constexpr std::array<ToolIcon, 7> kTools = {ToolIcon::SwitchCamera, ToolIcon::Eye,      ToolIcon::About,
                                            ToolIcon::Camera,       ToolIcon::Settings, ToolIcon::PreviousImage,
                                            ToolIcon::NextImage};

class ControlsTest : public testing::Test
{
protected:
    // Two cameras, so that the switch shows with the other tools.
    ControlsTest()
    {
        controls.place(640, 480, 512, 512);
        controls.setCameraCount(2);
    }

    // A press that lasts `holdMilliseconds`, after the gate's half second.
    Action tapTool(ToolIcon tool, std::int64_t holdMilliseconds = 50)
    {
        clock.advance(TapGate::kLimitMilliseconds);
        controls.press(tool);
        clock.advance(holdMilliseconds);
        controls.release(tool);
        return controls.click(tool);
    }

    bool anyToolVisible() const
    {
        for (ToolIcon tool : kTools) {
            if (controls.isVisible(tool))
                return true;
        }
        return false;
    }

    ManualClock clock;
    Controls controls{clock};
};

TEST_F(ControlsTest, startsWithTheCameraIconAloneAndStill)
{
    for (ToolIcon tool : kTools)
        EXPECT_EQ(controls.isVisible(tool), tool == ToolIcon::Camera) << int(tool);
    EXPECT_FALSE(controls.isFadeRunning());
    const Controls::Shown camera = controls.shown(ToolIcon::Camera);
    EXPECT_EQ(camera.x, 294.0f);
    EXPECT_EQ(camera.y, 166.0f);
    EXPECT_FLOAT_EQ(camera.width, 51.2f);
}

TEST_F(ControlsTest, theCamerasFirstClickStartsTheFadeThatHidesItAfter209Ticks)
{
    EXPECT_EQ(tapTool(ToolIcon::Camera), Action::ToggleCamera);
    EXPECT_TRUE(controls.lastClickTicks());
    ASSERT_TRUE(controls.isFadeRunning());
    for (int tick = 1; tick < 209; ++tick)
        controls.fadeTick();
    EXPECT_TRUE(controls.isVisible(ToolIcon::Camera));
    controls.fadeTick();
    EXPECT_FALSE(controls.isVisible(ToolIcon::Camera));
    EXPECT_FALSE(controls.isFadeRunning());
}

struct ClickCase
{
    const char *name;
    ToolIcon tool;
    std::int64_t holdMilliseconds;
    Action expected;
    friend void PrintTo(const ClickCase &c, std::ostream *os) { *os << c.name; }
};

class ControlsClicks : public ControlsTest, public testing::WithParamInterface<ClickCase>
{ };

TEST_P(ControlsClicks, aClickAsksForItsIconsActionOnlyAfterAShortPress)
{
    const ClickCase &c = GetParam();
    EXPECT_TRUE(controls.tapPicture());
    EXPECT_EQ(tapTool(c.tool, c.holdMilliseconds), c.expected);
    EXPECT_EQ(controls.lastClickTicks(), c.expected != Action::None);
}

INSTANTIATE_TEST_SUITE_P(
    Icons, ControlsClicks,
    testing::Values(ClickCase{"switch camera", ToolIcon::SwitchCamera, 100, Action::SwitchCamera},
                    ClickCase{"eye", ToolIcon::Eye, 100, Action::ToggleView},
                    ClickCase{"about", ToolIcon::About, 100, Action::OpenAbout},
                    ClickCase{"camera", ToolIcon::Camera, 500, Action::ToggleCamera},
                    ClickCase{"settings", ToolIcon::Settings, 100, Action::OpenSettings},
                    ClickCase{"previous", ToolIcon::PreviousImage, 100, Action::PreviousPicture},
                    ClickCase{"next", ToolIcon::NextImage, 100, Action::NextPicture},
                    ClickCase{"settings held too long", ToolIcon::Settings, 501, Action::None},
                    ClickCase{"camera held too long", ToolIcon::Camera, 600, Action::None},
                    ClickCase{"eye held too long", ToolIcon::Eye, 600, Action::None},
                    ClickCase{"switch camera held too long", ToolIcon::SwitchCamera, 501, Action::None},
                    ClickCase{"about held too long", ToolIcon::About, 501, Action::None},
                    ClickCase{"previous held long still steps", ToolIcon::PreviousImage, 501, Action::PreviousPicture},
                    ClickCase{"next held long still steps", ToolIcon::NextImage, 2000, Action::NextPicture}),
    testnames::ByName{});

TEST_F(ControlsTest, theSwitchShowsOnlyWithTwoCameras)
{
    EXPECT_TRUE(controls.tapPicture());
    EXPECT_TRUE(controls.isVisible(ToolIcon::SwitchCamera));
    controls.setCameraCount(1);
    EXPECT_FALSE(controls.isVisible(ToolIcon::SwitchCamera));
    EXPECT_TRUE(controls.isVisible(ToolIcon::Eye));
    EXPECT_EQ(tapTool(ToolIcon::SwitchCamera), Action::None);
    // Not faded but gone: a screen reader finds no switch either.
    EXPECT_FALSE(controls.isPresent(ToolIcon::SwitchCamera));
    EXPECT_TRUE(controls.isPresent(ToolIcon::Eye));
}

TEST_F(ControlsTest, aHiddenIconDoesNotAct)
{
    EXPECT_FALSE(controls.isVisible(ToolIcon::Settings));
    EXPECT_EQ(tapTool(ToolIcon::Settings), Action::None);
    EXPECT_EQ(controls.openPanel(), Panel::None);
}

TEST_F(ControlsTest, aPanelHidesTheToolsUntilTheSecondTapOnThePicture)
{
    for (const auto &[tool, panel] :
         {std::pair{ToolIcon::Settings, Panel::Settings}, std::pair{ToolIcon::About, Panel::About}}) {
        SCOPED_TRACE(int(panel));
        controls.tapPicture();
        EXPECT_EQ(tapTool(tool), panel == Panel::Settings ? Action::OpenSettings : Action::OpenAbout);
        EXPECT_EQ(controls.openPanel(), panel);
        EXPECT_FALSE(anyToolVisible());
        EXPECT_FALSE(controls.isPresent(ToolIcon::Camera)); // gone, not faded
        EXPECT_FALSE(controls.isFadeRunning());

        EXPECT_TRUE(controls.tapPicture()); // closes the panel
        EXPECT_EQ(controls.openPanel(), Panel::None);
        EXPECT_FALSE(anyToolVisible());
        EXPECT_TRUE(controls.isPresent(ToolIcon::Camera)); // faded, still there
        EXPECT_TRUE(controls.tapPicture());                // shows the tools
        EXPECT_TRUE(controls.isVisible(ToolIcon::Settings));
        EXPECT_TRUE(controls.isFadeRunning());
    }
}

TEST_F(ControlsTest, okAndEscapeCloseTheSettingsAndEscapeNothingElse)
{
    EXPECT_FALSE(controls.closeOpenPanel());
    controls.tapPicture();
    tapTool(ToolIcon::Settings);
    controls.confirmSettings();
    EXPECT_EQ(controls.openPanel(), Panel::None);
    EXPECT_FALSE(anyToolVisible());

    controls.tapPicture();
    tapTool(ToolIcon::About);
    controls.confirmSettings(); // OK is no way out of About
    EXPECT_EQ(controls.openPanel(), Panel::About);
    EXPECT_TRUE(controls.closeOpenPanel());
    EXPECT_EQ(controls.openPanel(), Panel::None);
}

TEST_F(ControlsTest, aHeldIconKeepsThePointerToItself)
{
    controls.tapPicture();
    clock.advance(TapGate::kLimitMilliseconds);
    ASSERT_TRUE(controls.press(ToolIcon::Settings));
    EXPECT_EQ(controls.shown(ToolIcon::Settings).scale, float(kIconPressScale));
    clock.advance(TapGate::kLimitMilliseconds);
    EXPECT_FALSE(controls.press(ToolIcon::About));
    EXPECT_FALSE(controls.tapPicture());
    controls.release(ToolIcon::About); // not the held one: nothing
    EXPECT_EQ(controls.heldTool(), ToolIcon::Settings);
    controls.release(ToolIcon::Settings);
    EXPECT_FALSE(controls.heldTool());
    EXPECT_EQ(controls.shown(ToolIcon::Settings).scale, 1.0f);
    EXPECT_TRUE(controls.tapPicture());
}

TEST_F(ControlsTest, aCameraClickRightAfterAnotherIsIgnored)
{
    EXPECT_EQ(tapTool(ToolIcon::Camera), Action::ToggleCamera);
    // A second press 200 ms later is not accepted, but its release still
    // clicks, judged by the earlier short press: the repeat is ignored.
    clock.advance(200);
    EXPECT_FALSE(controls.press(ToolIcon::Camera));
    controls.release(ToolIcon::Camera);
    EXPECT_EQ(controls.click(ToolIcon::Camera), Action::None);
    EXPECT_FALSE(controls.lastClickTicks());
}

// Activations: the press a screen reader or a switch device sends, with no
// pointer and no visible icon needed.
struct ActivationCase
{
    const char *name;
    ToolIcon tool;
    Action expected;
    friend void PrintTo(const ActivationCase &c, std::ostream *os) { *os << c.name; }
};

class ControlsActivations : public ControlsTest, public testing::WithParamInterface<ActivationCase>
{ };

TEST_P(ControlsActivations, anActivationActsAsAClickAlsoWhileTheToolsAreFaded)
{
    const ActivationCase &c = GetParam();
    // The tools shown once, then faded out of sight.
    controls.tapPicture();
    while (controls.isFadeRunning())
        controls.fadeTick();
    ASSERT_FALSE(anyToolVisible());
    clock.advance(TapGate::kLimitMilliseconds);
    EXPECT_EQ(controls.activate(c.tool), c.expected);
    EXPECT_TRUE(controls.lastClickTicks());
}

INSTANTIATE_TEST_SUITE_P(Tools, ControlsActivations,
                         testing::Values(ActivationCase{"switch camera", ToolIcon::SwitchCamera, Action::SwitchCamera},
                                         ActivationCase{"eye", ToolIcon::Eye, Action::ToggleView},
                                         ActivationCase{"about", ToolIcon::About, Action::OpenAbout},
                                         ActivationCase{"camera", ToolIcon::Camera, Action::ToggleCamera},
                                         ActivationCase{"settings", ToolIcon::Settings, Action::OpenSettings},
                                         ActivationCase{"previous", ToolIcon::PreviousImage, Action::PreviousPicture},
                                         ActivationCase{"next", ToolIcon::NextImage, Action::NextPicture}),
                         testnames::ByName{});

TEST_F(ControlsTest, drummedActivationsCountOncePerHalfSecondAcrossTools)
{
    clock.advance(TapGate::kLimitMilliseconds);
    EXPECT_EQ(controls.activate(ToolIcon::NextImage), Action::NextPicture);
    // Drumming every 100 ms, on one tool or another: nothing until the gate's
    // half second is over.
    for (ToolIcon tool : {ToolIcon::NextImage, ToolIcon::Eye, ToolIcon::NextImage, ToolIcon::Settings}) {
        clock.advance(100);
        EXPECT_EQ(controls.activate(tool), Action::None) << int(tool);
        EXPECT_FALSE(controls.lastClickTicks());
    }
    clock.advance(100); // 500 ms after the accepted one
    EXPECT_EQ(controls.activate(ToolIcon::NextImage), Action::NextPicture);
    // A pointer's press within the half second is not accepted either.
    clock.advance(200);
    EXPECT_FALSE(controls.press(ToolIcon::Camera));
}

TEST_F(ControlsTest, anActivationRightAtTheStartOrOfAMissingSwitchDoesNothing)
{
    // The gate's first half second holds for activations as for presses.
    EXPECT_EQ(controls.activate(ToolIcon::Camera), Action::None);
    clock.advance(TapGate::kLimitMilliseconds);
    controls.setCameraCount(1);
    EXPECT_EQ(controls.activate(ToolIcon::SwitchCamera), Action::None);
}

TEST_F(ControlsTest, anActivationReachesNoToolWhileAPanelIsOpenOrAnIconIsHeld)
{
    controls.tapPicture();
    EXPECT_EQ(tapTool(ToolIcon::About), Action::OpenAbout);
    clock.advance(TapGate::kLimitMilliseconds);
    EXPECT_EQ(controls.activate(ToolIcon::Settings), Action::None);
    EXPECT_EQ(controls.openPanel(), Panel::About);
    controls.closeOpenPanel();

    controls.tapPicture();
    clock.advance(TapGate::kLimitMilliseconds);
    ASSERT_TRUE(controls.press(ToolIcon::Eye));
    clock.advance(TapGate::kLimitMilliseconds);
    EXPECT_EQ(controls.activate(ToolIcon::Settings), Action::None);
    EXPECT_EQ(controls.openPanel(), Panel::None);
}

} // namespace
