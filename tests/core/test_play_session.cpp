// A play session as the desktop window and the page drive it: several
// pointers on the picture, tools that change the picture or the view, the
// camera's mirror and silence, the pace of steps without frames, and the
// settings panel's OK.

#include "core/play_session.h"
#include "tests/core/game_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using testgame::kPicture;
using testimages::argb;
using testimages::pixelAt;
using Action = Controls::Action;
using Panel = Controls::Panel;

// ---- Several pointers: one gesture -------------------------------------------

// A pointer event of a gesture; positions in logical units.
struct PointerEvent
{
    enum Kind { Down, Move, Up, Cancel } kind;
    int id;
    Point at{};
};

struct GestureCase
{
    const char *name;
    std::vector<PointerEvent> events;
    std::vector<bool> tapsAtEachUp; // one answer per Up, in order
    bool stroked;
    friend void PrintTo(const GestureCase &c, std::ostream *os) { *os << c.name; }
};

class Gestures : public testing::TestWithParam<GestureCase>
{ };

TEST_P(Gestures, liftingTheLastPointerIsATapOnlyWhenNoneStroked)
{
    const GestureCase &c = GetParam();
    PointerGesture gesture;
    std::vector<bool> taps;
    for (const PointerEvent &e : c.events) {
        switch (e.kind) {
        case PointerEvent::Down:
            gesture.down(e.id, e.at);
            break;
        case PointerEvent::Move:
            gesture.move(e.id, e.at);
            break;
        case PointerEvent::Up:
            taps.push_back(gesture.up(e.id, e.at).endsTap);
            break;
        case PointerEvent::Cancel:
            gesture.cancel(e.id);
            break;
        }
    }
    EXPECT_EQ(taps, c.tapsAtEachUp);
    EXPECT_EQ(gesture.hasStroked(), c.stroked);
    EXPECT_TRUE(gesture.isEmpty());
}

using E = PointerEvent;
INSTANTIATE_TEST_SUITE_P(
    Pointers, Gestures,
    testing::Values(
        GestureCase{"one finger taps", {{E::Down, 1, {50, 50}}, {E::Up, 1, {53, 52}}}, {true}, false},
        GestureCase{"one finger strokes", {{E::Down, 1, {50, 50}}, {E::Up, 1, {80, 50}}}, {false}, true},
        GestureCase{"two still fingers lifted together tap once",
                    {{E::Down, 1, {50, 50}}, {E::Down, 2, {90, 50}}, {E::Up, 1, {50, 50}}, {E::Up, 2, {90, 50}}},
                    {false, true},
                    false},
        GestureCase{"a still finger lifted after another stroked is no tap",
                    {{E::Down, 1, {50, 50}},
                     {E::Down, 2, {90, 50}},
                     {E::Move, 2, {150, 50}},
                     {E::Up, 2, {150, 50}},
                     {E::Up, 1, {50, 50}}},
                    {false, false},
                    true},
        GestureCase{"a cancelled finger ends no tap",
                    {{E::Down, 1, {50, 50}}, {E::Down, 2, {90, 50}}, {E::Cancel, 2}, {E::Up, 1, {50, 50}}},
                    {false},
                    true},
        GestureCase{"a new gesture starts afresh after a stroke",
                    {{E::Down, 1, {50, 50}}, {E::Up, 1, {90, 50}}, {E::Down, 1, {50, 50}}, {E::Up, 1, {50, 50}}},
                    {false, true},
                    false},
        GestureCase{"a pointer that never went down is nothing",
                    {{E::Move, 7, {90, 50}}, {E::Up, 7, {90, 50}}, {E::Cancel, 7}},
                    {false},
                    false}),
    testnames::ByName{});

// ---- The session ----------------------------------------------------------------------

class PlaySessionTest : public testing::Test
{
protected:
    // A 640 x 480 output at pixel ratio 2: the picture fills it, and a
    // logical unit is two output pixels.
    PlaySessionTest()
    {
        session.game().setOutputSize(Size{1280, 960}, 2.0);
        session.controls().place(640, 480, 512, 512);
        session.setCameraCount(2);
    }

    // A short tap on a tool once the gate lets it through.
    Action tapTool(ToolIcon tool)
    {
        clock.advance(TapGate::kLimitMilliseconds);
        session.controls().press(tool);
        clock.advance(50);
        session.controls().release(tool);
        return session.clickTool(tool);
    }

    static Image stillFrame() { return testgame::frameWithChangedPixels(0); }

    ManualClock clock;
    PlaySession session{clock, 6,
                        [](int number) {
                            return Picture{testimages::flatImage(kPicture, testgame::photoColor(number)),
                                           testimages::flatImage(kPicture, testgame::kIce)};
                        },
                        testgame::kBanner, Size{640, 480}};
};

TEST_F(PlaySessionTest, aStrokeWipesInOutputPixelsAndATapShowsTheTools)
{
    session.pointerDown(1, Point{100, 100});
    EXPECT_FALSE(session.pointerMove(1, Point{104, 100})); // still a tap
    EXPECT_FALSE(session.game().hasPendingStrokes());
    EXPECT_TRUE(session.pointerMove(1, Point{140, 100}));
    EXPECT_FALSE(session.pointerUp(1, Point{140, 100}));
    session.stepWithoutFrame();
    // Logical (120, 100) is output pixel (240, 200) at ratio 2, and the
    // 640 x 480 picture fills the 1280 x 960 output: picture pixel
    // (120, 100). (20, 20) was never touched.
    const std::vector<std::int32_t> &levels = session.game().meltLevels();
    EXPECT_GE(levels[std::size_t(100 * kPicture.width + 120)], 300);
    EXPECT_EQ(levels[std::size_t(20 * kPicture.width + 20)], 0);

    session.pointerDown(2, Point{300, 300});
    ASSERT_TRUE(session.pointerUp(2, Point{302, 301}));
    EXPECT_TRUE(session.tapPicture());
    EXPECT_TRUE(session.controls().isVisible(ToolIcon::Settings));
}

TEST_F(PlaySessionTest, overAnOpenPanelAStrokeWipesNothing)
{
    session.tapPicture();
    ASSERT_EQ(tapTool(ToolIcon::Settings), Action::OpenSettings);
    session.pointerDown(1, Point{100, 100});
    EXPECT_TRUE(session.pointerMove(1, Point{200, 100}));
    EXPECT_FALSE(session.game().hasPendingStrokes());
    session.wipeAlong(Point{0, 0}, Point{500, 500});
    EXPECT_FALSE(session.game().hasPendingStrokes());

    session.tapPicture(); // closes it
    session.wipeAlong(Point{0, 0}, Point{500, 500});
    EXPECT_TRUE(session.game().hasPendingStrokes());
}

TEST_F(PlaySessionTest, theToolsStepThroughThePicturesAndSwitchTheView)
{
    session.tapPicture();
    EXPECT_EQ(tapTool(ToolIcon::NextImage), Action::NextPicture);
    EXPECT_EQ(session.game().pictureNumber(), 2);
    EXPECT_EQ(tapTool(ToolIcon::PreviousImage), Action::PreviousPicture);
    EXPECT_EQ(tapTool(ToolIcon::PreviousImage), Action::PreviousPicture);
    EXPECT_EQ(session.game().pictureNumber(), 6);
    EXPECT_EQ(tapTool(ToolIcon::Eye), Action::ToggleView);
    EXPECT_FALSE(session.game().isIceView());
    // The camera and the panels are the edition's to carry out.
    EXPECT_EQ(tapTool(ToolIcon::Camera), Action::ToggleCamera);
    EXPECT_TRUE(session.lastClickTicks());
}

TEST_F(PlaySessionTest, theCrackleFallsSilentWhenTheCameraStopsOrTheViewPausesUntilTheNextStep)
{
    // A band of rows that turns white: ice still there is wiped.
    const auto wipeSomething = [this](int firstRow) {
        Image still = stillFrame();
        session.stepFrame(still, kPicture, true);
        Image moved = stillFrame();
        testimages::fillRect(moved, Rect{0, firstRow, kPicture.width, 40}, argb(250, 250, 250));
        session.stepFrame(moved, kPicture, true);
    };
    wipeSomething(0);
    ASSERT_GT(session.wipeSound(), 0.0);
    session.cameraStopped();
    EXPECT_EQ(session.wipeSound(), 0.0);
    session.cameraStarted();
    wipeSomething(200);
    ASSERT_GT(session.wipeSound(), 0.0);

    session.tapPicture();
    tapTool(ToolIcon::Eye); // the camera view
    EXPECT_EQ(session.wipeSound(), 0.0);
}

TEST_F(PlaySessionTest, aFrontCamerasFramesAreMirroredOnceWhateverPathTheyTook)
{
    // A frame whose left half is white: mirrored, the white is on the right.
    const auto halfWhite = [] {
        Image frame = stillFrame();
        testimages::fillRect(frame, Rect{0, 0, kPicture.width / 2, kPicture.height}, argb(250, 250, 250));
        return frame;
    };
    struct Case
    {
        bool back;
        bool mirroredAlready;
        bool whiteOnTheRight;
    };
    for (const Case c : {Case{false, false, true}, Case{false, true, false}, Case{true, false, false}}) {
        SCOPED_TRACE(testing::Message() << "back " << c.back << ", mirrored already " << c.mirroredAlready);
        session.setBackCamera(c.back);
        EXPECT_EQ(session.mirrorsFrames(), !c.back);
        Image frame = halfWhite();
        session.stepFrame(frame, kPicture, c.mirroredAlready);
        // The step keeps the frame as the motion reference, and hands back a
        // spare: the camera view shows the reference.
        if (session.game().isIceView())
            session.game().toggleView();
        Image next = halfWhite();
        session.stepFrame(next, kPicture, c.mirroredAlready);
        const ConstImageView shown = session.game().shownPicture();
        ASSERT_FALSE(shown.bits == nullptr);
        EXPECT_EQ(pixelAt(shown, kPicture.width - 1, 0) == argb(250, 250, 250), c.whiteOnTheRight);
        session.game().toggleView();
    }
}

TEST_F(PlaySessionTest, stepsWithoutFramesComeOnlyWhileNoCameraDelivers)
{
    session.wipeAlong(Point{0, 0}, Point{600, 400});
    EXPECT_TRUE(session.stepWithoutFrameDue());
    Image frame = stillFrame();
    session.stepFrame(frame, kPicture);
    session.wipeAlong(Point{0, 0}, Point{600, 400});
    EXPECT_FALSE(session.stepWithoutFrameDue()); // the frames step it
    clock.advance(StepPace::kCameraQuietMilliseconds);
    EXPECT_TRUE(session.stepWithoutFrameDue()); // the camera went quiet
    session.stepWithoutFrame();
    session.cameraStopped();
    while (session.stepWithoutFrameDue()) {
        session.stepWithoutFrame();
        clock.advance(StepPace::kStepWithoutCameraMilliseconds);
    }
    EXPECT_TRUE(session.game().isSettled());
}

struct SettingsCase
{
    const char *name;
    std::int32_t sensitivity;
    std::int32_t freezing;
    bool sound;
    std::int32_t takenSensitivity;
    std::int32_t takenFreezing;
    bool changed;
    friend void PrintTo(const SettingsCase &c, std::ostream *os) { *os << c.name; }
};

class SessionSettings : public PlaySessionTest, public testing::WithParamInterface<SettingsCase>
{ };

TEST_P(SessionSettings, okTakesTheValuesInRangeAndClosesThePanel)
{
    const SettingsCase &c = GetParam();
    session.tapPicture();
    ASSERT_EQ(tapTool(ToolIcon::Settings), Action::OpenSettings);
    EXPECT_EQ(session.takeSettings(c.sensitivity, c.freezing, c.sound), c.changed);
    EXPECT_EQ(session.settings().cameraSensitivity, c.takenSensitivity);
    EXPECT_EQ(session.game().cameraSensitivity(), c.takenSensitivity);
    EXPECT_EQ(session.game().freezingSpeed(), c.takenFreezing);
    EXPECT_EQ(session.isSoundEnabled(), c.sound);
    EXPECT_EQ(session.controls().openPanel(), Panel::None);
}

INSTANTIATE_TEST_SUITE_P(Ok, SessionSettings,
                         testing::Values(SettingsCase{"unchanged", 20, 10, true, 20, 10, false},
                                         SettingsCase{"a new freezing speed", 20, 3, true, 20, 3, true},
                                         SettingsCase{"sound off", 20, 10, false, 20, 10, true},
                                         SettingsCase{"out of range is kept in range", 9000, -4, true,
                                                      kMaximumCameraSensitivity, 0, true}),
                         testnames::ByName{});

TEST_F(PlaySessionTest, remembersAResolutionPerCameraAndTakesStoredSettings)
{
    StoredSettings stored;
    stored.cameraSensitivity = 60;
    stored.freezingSpeed = 3;
    stored.backCamera = true;
    session.useSettings(stored);
    EXPECT_EQ(session.game().cameraSensitivity(), 60);
    EXPECT_EQ(session.game().freezingSpeed(), 3);
    EXPECT_FALSE(session.mirrorsFrames());

    session.rememberResolution("usb-cam", VideoCaptureSetting{1280, 720, 30});
    session.rememberResolution("", VideoCaptureSetting{320, 240, 30}); // no camera: nothing
    EXPECT_EQ(session.settings().resolutionFor("usb-cam"), (VideoCaptureSetting{1280, 720, 30}));
    EXPECT_EQ(session.settings().resolutions.size(), 1u);
    session.rememberResolution("usb-cam", std::nullopt);
    EXPECT_FALSE(session.settings().resolutionFor("usb-cam"));
}

// ---- The camera's resolution -------------------------------------------------

const std::vector<VideoCaptureSetting> kOffered = {{640, 480, 15}, {640, 480, 30}, {1280, 720, 30}, {1920, 1080, 25}};

struct ResolutionCase
{
    const char *name;
    std::map<std::string, std::optional<VideoCaptureSetting>> remembered;
    std::string cameraId;
    std::vector<VideoCaptureSetting> offered;
    std::optional<VideoCaptureSetting> requested;
    bool own;
    friend void PrintTo(const ResolutionCase &c, std::ostream *os) { *os << c.name; }
};

class CameraResolution : public PlaySessionTest, public testing::WithParamInterface<ResolutionCase>
{ };

TEST_P(CameraResolution, aCameraIsAskedForItsOwnResolutionOrTheDefault)
{
    const ResolutionCase &c = GetParam();
    StoredSettings stored;
    stored.resolutions = c.remembered;
    session.useSettings(stored);
    session.useCamera(c.cameraId, c.offered);
    EXPECT_EQ(session.resolutionToRequest(), c.requested);
    EXPECT_EQ(session.usesOwnResolution(), c.own);
    EXPECT_EQ(session.offersResolutions(), !c.offered.empty());
    if (c.requested) {
        // The slider stands at the entry of what was asked for.
        const int j = session.resolutionInUse(*c.requested);
        ASSERT_GE(j, 0);
        EXPECT_TRUE(session.resolutions().entries[std::size_t(j)].sameSize(*c.requested));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cameras, CameraResolution,
    testing::Values(
        ResolutionCase{"nothing remembered: 640 x 480 at its fastest",
                       {},
                       "cam",
                       kOffered,
                       VideoCaptureSetting{640, 480, 30},
                       false},
        ResolutionCase{"its own",
                       {{"cam", VideoCaptureSetting{1280, 720, 30}}},
                       "cam",
                       kOffered,
                       VideoCaptureSetting{1280, 720, 30},
                       true},
        ResolutionCase{"another camera's own is not its",
                       {{"other", VideoCaptureSetting{1280, 720, 30}}},
                       "cam",
                       kOffered,
                       VideoCaptureSetting{640, 480, 30},
                       false},
        ResolutionCase{"the one for every camera",
                       {{"", VideoCaptureSetting{1920, 1080, 25}}},
                       "cam",
                       kOffered,
                       VideoCaptureSetting{1920, 1080, 25},
                       true},
        ResolutionCase{"its own no longer offered: the default",
                       {{"cam", VideoCaptureSetting{800, 600, 30}}},
                       "cam",
                       kOffered,
                       VideoCaptureSetting{640, 480, 30},
                       false},
        ResolutionCase{"remembered as the default",
                       {{"cam", std::nullopt}},
                       "cam",
                       kOffered,
                       VideoCaptureSetting{640, 480, 30},
                       false},
        ResolutionCase{"no 640 x 480: it keeps what it has", {}, "cam", {{1280, 720, 30}}, std::nullopt, false},
        ResolutionCase{
            "nothing offered", {{"cam", VideoCaptureSetting{1280, 720, 30}}}, "cam", {}, std::nullopt, false}),
    testnames::ByName{});

TEST_F(PlaySessionTest, okAppliesTheResolutionSliderOnceItWasEverMoved)
{
    session.useCamera("cam", kOffered);
    const CaptureResolutions &r = session.resolutions();
    const auto positionOf = [&](VideoCaptureSetting s) {
        const auto at = std::find(r.entries.begin(), r.entries.end(), s);
        return double(resolutionPositionOfIndex(r, int(at - r.entries.begin())));
    };
    session.tapPicture();
    ASSERT_EQ(tapTool(ToolIcon::Settings), Action::OpenSettings);
    // Left where it opened: nothing to ask the camera for, nothing stored.
    EXPECT_EQ(session.chooseResolution(positionOf({1280, 720, 30})), std::nullopt);
    EXPECT_TRUE(session.settings().resolutions.empty());

    session.resolutionSliderMoved();
    EXPECT_EQ(session.chooseResolution(positionOf({1920, 1080, 25})), (VideoCaptureSetting{1920, 1080, 25}));
    EXPECT_EQ(session.settings().resolutionFor("cam"), (VideoCaptureSetting{1920, 1080, 25}));
    EXPECT_EQ(session.resolutionToRequest(), (VideoCaptureSetting{1920, 1080, 25}));
    // The camera settled on a mode of its own: that is what it keeps.
    session.resolutionSettled({1920, 1080, 24});
    EXPECT_EQ(session.settings().resolutionFor("cam"), (VideoCaptureSetting{1920, 1080, 24}));

    // From then on every OK applies the slider again, moved or not.
    session.tapPicture();
    session.tapPicture();
    ASSERT_EQ(tapTool(ToolIcon::Settings), Action::OpenSettings);
    EXPECT_EQ(session.chooseResolution(positionOf({640, 480, 30})), (VideoCaptureSetting{640, 480, 30}));

    // A camera with no id keeps the choice while it is in use, but nothing
    // is stored for it.
    session.useCamera("", kOffered);
    session.resolutionSliderMoved();
    EXPECT_EQ(session.chooseResolution(positionOf({1280, 720, 30})), (VideoCaptureSetting{1280, 720, 30}));
    EXPECT_EQ(session.resolutionToRequest(), (VideoCaptureSetting{1280, 720, 30}));
    EXPECT_FALSE(session.settings().resolutionFor(""));
}

} // namespace
