// The page's module: the core's rules behind plain C functions that the
// page's wrapper (web/site/js/frostpane_module.js) calls. Numbers go in as
// arguments; text goes both ways through one buffer of UTF-8 bytes; results
// of several numbers are left in a small array the wrapper reads. One page,
// one set of state: everything here lives for the page's lifetime.

#include "core/capture_resolutions.h"
#include "core/clock.h"
#include "core/game.h"
#include "core/melt_pass.h"
#include "core/pointer_track.h"
#include "core/settings_mapping.h"
#include "core/step_pace.h"
#include "core/stored_settings.h"
#include "core/window_layout.h"
#include "web/module/page_controls.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// What the page remembers: the game's and the camera's keys. A browser
// chooses its own window, so the window's keys stay the desktop's.
bool rememberedInBrowser(std::string_view key)
{
    return key.starts_with("game/") || key.starts_with("camera/");
}

// The frame sizes a camera's capabilities are read against: a browser
// reports only ranges of width, height and frame rate, not a list of modes.
constexpr std::array<Size, 12> kCommonFrameSizes = {{
    {320, 240},
    {352, 288},
    {640, 360},
    {640, 480},
    {800, 600},
    {960, 540},
    {1024, 768},
    {1280, 720},
    {1280, 960},
    {1600, 1200},
    {1920, 1080},
    {3840, 2160},
}};

constexpr int kTextCapacity = 16384;

// The built-in pictures; the page's own photos come after them.
constexpr int kBuiltInPictures = 6;
// The banner's picture (congratulations.png): the game places it by its size.
constexpr Size kBannerSize{2048, 560};

// The pictures the page has decoded and put here, by number. The page
// decodes them (the browser has the decoders) as RGBA bytes; the game only
// compares and copies whole pixels and leaves the fourth byte out of the
// color change, so it plays on them as they are.
std::map<int, Picture> &pictures()
{
    static std::map<int, Picture> instance;
    return instance;
}

struct Page
{
    PageControls controls{Clock::system()};
    Game game{kBuiltInPictures,
              [](int number) {
                  const auto found = pictures().find(number);
                  return found != pictures().end() ? found->second : Picture{};
              },
              kBannerSize, Size{640, 480}};
    // A photo and its ice being handed over by the page, and the camera
    // frame it fills for each step.
    std::array<Image, 2> staged;
    Image frame;
    StepPace pace;
    // Fingers, pens and the mouse on the picture, by pointer id; whether one
    // of those down together made a stroke (then lifting them is no tap).
    std::map<int, PointerTrack> pointers;
    bool gestureStroked = false;
    StoredSettings stored;
    bool soundEnabled = true;
    std::vector<std::string> warnings;
    StoredValues values;
    CaptureResolutions resolutions;
    std::string cameraId;
};

Page &page()
{
    static Page instance;
    return instance;
}

std::array<double, 24> g_numbers{};
std::array<char, kTextCapacity> g_text{};

// Leaves `text` in the buffer, cut at its capacity; returns its length.
int putText(std::string_view text)
{
    const std::size_t length = std::min(text.size(), g_text.size() - 1);
    std::memcpy(g_text.data(), text.data(), length);
    g_text[length] = '\0';
    return int(length);
}

std::string_view takenText(int length)
{
    return {g_text.data(), std::size_t(std::clamp(length, 0, kTextCapacity))};
}

bool validTool(int tool)
{
    return tool >= 0 && tool < PageControls::kToolCount;
}

} // namespace

extern "C" {

// ---- Buffers and facts -------------------------------------------------------

EMSCRIPTEN_KEEPALIVE double *fp_numbers()
{
    return g_numbers.data();
}

EMSCRIPTEN_KEEPALIVE char *fp_text()
{
    return g_text.data();
}

EMSCRIPTEN_KEEPALIVE int fp_textCapacity()
{
    return kTextCapacity;
}

// The SIMD target the melt pass was compiled for ("WASM" with SIMD128).
EMSCRIPTEN_KEEPALIVE int fp_simdTarget()
{
    return putText(meltPassTargetName());
}

// ---- Layout --------------------------------------------------------------------

// The page is width x height CSS pixels, pixelRatio device pixels each; the
// icons' pictures are iconWidth x iconHeight.
EMSCRIPTEN_KEEPALIVE void fp_layout(double width, double height, double pixelRatio, int iconWidth, int iconHeight)
{
    Page &p = page();
    p.controls.place(width, height, iconWidth, iconHeight);
    const double ratio = pixelRatio > 0 ? pixelRatio : 1.0;
    p.game.setOutputSize(Size{int(width * ratio), int(height * ratio)}, ratio);
}

// Numbers: x, y, width, height (CSS pixels), scale, visible (0 or 1).
EMSCRIPTEN_KEEPALIVE void fp_icon(int tool)
{
    if (!validTool(tool))
        return;
    const PageControls &controls = page().controls;
    const PageControls::Shown s = controls.shown(ToolIcon(tool));
    g_numbers = {s.x, s.y, s.width, s.height, s.scale, controls.isVisible(ToolIcon(tool)) ? 1.0 : 0.0};
}

// How many cameras the browser names.
EMSCRIPTEN_KEEPALIVE void fp_setCameraCount(int count)
{
    page().controls.setCameraCount(count);
}

EMSCRIPTEN_KEEPALIVE float fp_toolOpacity()
{
    return page().controls.opacity();
}

// Numbers: x, y, width, height of the picture, in device pixels.
EMSCRIPTEN_KEEPALIVE void fp_pictureRect()
{
    const Rect r = page().game.pictureRect();
    g_numbers = {double(r.x), double(r.y), double(r.width), double(r.height)};
}

// Numbers: x, y, width, height of the part of a camera frame of that size
// that the picture shows (its middle, in the picture's shape).
EMSCRIPTEN_KEEPALIVE void fp_framePart(int frameWidth, int frameHeight)
{
    const Rect r = middlePart(Size{frameWidth, frameHeight}, page().game.pictureSize());
    g_numbers = {double(r.x), double(r.y), double(r.width), double(r.height)};
}

EMSCRIPTEN_KEEPALIVE int fp_pictureNumber()
{
    return page().game.pictureNumber();
}

EMSCRIPTEN_KEEPALIVE int fp_isIceView()
{
    return page().game.isIceView() ? 1 : 0;
}

// Numbers: x, y of the track bar, x, y, width, height of its label box, for
// one of the settings panel's three sliders (0 resolution, 1 sensitivity,
// 2 freezing speed) of trackWidth x trackHeight under a label labelHeight
// high; then the Sound switch's box and OK's box (x, y) in numbers 6..9.
EMSCRIPTEN_KEEPALIVE void fp_panelLayout(double width, double height, int slider, double trackWidth, double trackHeight,
                                         double labelHeight, double switchWidth, double switchHeight, double okWidth)
{
    const int index = std::clamp(slider, 0, int(kSliderSlots.size()) - 1);
    const SliderGroupPlace g = placeSliderGroup(width, height, kSliderSlots[std::size_t(index)].centerY,
                                                float(trackWidth), float(trackHeight), 0.0f, 0.0f, float(labelHeight));
    const SliderGroupPlace lowest = placeSliderGroup(width, height, kSliderSlots.back().centerY, float(trackWidth),
                                                     float(trackHeight), 0.0f, 0.0f, float(labelHeight));
    const ControlPlace sw = placeSwitchBox(width, height, kSoundSwitchCenterY, float(switchWidth), float(switchHeight));
    const ControlPlace ok = placeOkBox(width, float(okWidth), lowest.trackY, float(trackHeight));
    g_numbers = {g.trackX, g.trackY, g.boxX, g.boxY, g.boxWidth, g.boxHeight, sw.x, sw.y, ok.x, ok.y};
}

// ---- Pointer -------------------------------------------------------------------

EMSCRIPTEN_KEEPALIVE int fp_press(int tool)
{
    return validTool(tool) && page().controls.press(ToolIcon(tool)) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void fp_release(int tool)
{
    if (validTool(tool))
        page().controls.release(ToolIcon(tool));
}

// What the click asks for (PageControls::Action). Pictures and views change
// here already; the page redraws.
EMSCRIPTEN_KEEPALIVE int fp_click(int tool)
{
    if (!validTool(tool))
        return 0;
    Page &p = page();
    const PageControls::Action action = p.controls.click(ToolIcon(tool));
    switch (action) {
    case PageControls::Action::NextPicture:
        p.game.nextPicture();
        break;
    case PageControls::Action::PreviousPicture:
        p.game.previousPicture();
        break;
    case PageControls::Action::ToggleView:
        p.game.toggleView();
        break;
    default:
        break;
    }
    return int(action);
}

// A screen reader's or switch device's activation of a tool (no pointer
// before it): what it asks for, as fp_click.
EMSCRIPTEN_KEEPALIVE int fp_activate(int tool)
{
    if (!validTool(tool))
        return 0;
    Page &p = page();
    const PageControls::Action action = p.controls.activate(ToolIcon(tool));
    switch (action) {
    case PageControls::Action::NextPicture:
        p.game.nextPicture();
        break;
    case PageControls::Action::PreviousPicture:
        p.game.previousPicture();
        break;
    case PageControls::Action::ToggleView:
        p.game.toggleView();
        break;
    default:
        break;
    }
    return int(action);
}

// Whether the last click asks for the tap's tick of sound.
EMSCRIPTEN_KEEPALIVE int fp_clickTicks()
{
    return page().controls.lastClickTicks() ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int fp_tapPicture()
{
    return page().controls.tapPicture() ? 1 : 0;
}

// Escape: 1 when it closed a panel, 0 when none was open.
EMSCRIPTEN_KEEPALIVE int fp_escape()
{
    return page().controls.closeOpenPanel() ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int fp_openPanel()
{
    return int(page().controls.openPanel());
}

EMSCRIPTEN_KEEPALIVE int fp_fadeRunning()
{
    return page().controls.isFadeRunning() ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int fp_fadeInterval()
{
    return ToolFade::kIntervalMilliseconds;
}

EMSCRIPTEN_KEEPALIVE void fp_fadeTick()
{
    page().controls.fadeTick();
}

// ---- Remembered settings -------------------------------------------------------

// The keys the page keeps, one a line; per-camera resolutions follow the
// last line's prefix ("camera/resolution/").
EMSCRIPTEN_KEEPALIVE int fp_storedKeys()
{
    std::string keys;
    for (const StoredKey &key : kStoredKeys) {
        if (rememberedInBrowser(key.path))
            keys.append(key.path).append("\n");
    }
    keys.append(StoredSettingsKey::resolution).append("/");
    return putText(keys);
}

EMSCRIPTEN_KEEPALIVE void fp_storedClear()
{
    page().values.clear();
}

// One stored value: the buffer holds the key (keyLength bytes) followed by
// the value's text.
EMSCRIPTEN_KEEPALIVE void fp_storedPut(int keyLength, int valueLength)
{
    const std::string_view both = takenText(keyLength + valueLength);
    const std::string key(both.substr(0, std::size_t(std::max(keyLength, 0))));
    if (!rememberedInBrowser(key) || !isStoredKey(key))
        return;
    page().values[key] = StoredValue::text(std::string(both.substr(key.size())));
}

// Takes the values put since fp_storedClear() over the defaults; returns how
// many were not taken as they were (fp_storedWarning() names each).
EMSCRIPTEN_KEEPALIVE int fp_storedRead()
{
    Page &p = page();
    StoredSettingsReading reading = readStoredSettings(p.values);
    p.stored = reading.settings;
    p.warnings = std::move(reading.warnings);
    p.game.setCameraSensitivity(p.stored.cameraSensitivity);
    p.game.setFreezingSpeed(p.stored.freezingSpeed);
    p.soundEnabled = p.stored.sound;
    return int(p.warnings.size());
}

EMSCRIPTEN_KEEPALIVE int fp_storedWarning(int index)
{
    const std::vector<std::string> &warnings = page().warnings;
    return index >= 0 && std::size_t(index) < warnings.size() ? putText(warnings[std::size_t(index)]) : putText("");
}

// What to keep now: "key\tvalue\n" for every remembered key.
EMSCRIPTEN_KEEPALIVE int fp_storedValues()
{
    Page &p = page();
    StoredSettings now = p.stored;
    now.cameraSensitivity = p.game.cameraSensitivity();
    now.freezingSpeed = p.game.freezingSpeed();
    now.sound = p.soundEnabled;
    std::string lines;
    for (const auto &[key, value] : storedSettingsValues(now)) {
        if (rememberedInBrowser(key) && value.kind == StoredValue::Kind::Text)
            lines.append(key).append("\t").append(value.data).append("\n");
    }
    return putText(lines);
}

// Numbers: camera sensitivity, freezing speed, sound (0/1), back camera (0/1).
EMSCRIPTEN_KEEPALIVE void fp_settings()
{
    const Page &p = page();
    g_numbers = {double(p.game.cameraSensitivity()), double(p.game.freezingSpeed()), p.soundEnabled ? 1.0 : 0.0,
                 p.stored.backCamera ? 1.0 : 0.0};
}

EMSCRIPTEN_KEEPALIVE void fp_setBackCamera(int back)
{
    page().stored.backCamera = back != 0;
}

// ---- Settings panel ------------------------------------------------------------

// Numbers: the sensitivity slider's minimum, maximum and value, then the
// freezing-speed slider's.
EMSCRIPTEN_KEEPALIVE void fp_sliders()
{
    const Game &game = page().game;
    g_numbers = {double(sensitivitySliderValue(kMaximumCameraSensitivity)),
                 double(sensitivitySliderValue(kMinimumCameraSensitivity)),
                 double(sensitivitySliderValue(game.cameraSensitivity())),
                 double(kMinimumFreezingSpeed),
                 double(kMaximumFreezingSpeed),
                 double(game.freezingSpeed())};
}

// OK: the sliders' values and the Sound switch are taken; the panel closes.
EMSCRIPTEN_KEEPALIVE void fp_takeSettings(double sensitivitySlider, double freezingSlider, int sound)
{
    Page &p = page();
    p.game.setCameraSensitivity(std::clamp(sensitivityTaken(sensitivitySlider, p.game.cameraSensitivity()),
                                           kMinimumCameraSensitivity, kMaximumCameraSensitivity));
    p.game.setFreezingSpeed(
        std::clamp(freezingSpeedFromSlider(freezingSlider), kMinimumFreezingSpeed, kMaximumFreezingSpeed));
    p.soundEnabled = sound != 0;
    p.controls.confirmSettings();
}

// ---- Camera --------------------------------------------------------------------

// A camera's capabilities (the ranges of its track): the resolutions it
// offers are read from them. Returns the number of entries, 0 for none.
EMSCRIPTEN_KEEPALIVE int fp_cameraCapabilities(int minWidth, int maxWidth, int minHeight, int maxHeight,
                                               double maxFrameRate)
{
    std::vector<VideoCaptureSetting> offered;
    const double rate = maxFrameRate > 0 ? maxFrameRate : 30.0;
    for (const Size size : kCommonFrameSizes) {
        if (size.width >= minWidth && size.width <= maxWidth && size.height >= minHeight && size.height <= maxHeight)
            offered.push_back({size.width, size.height, rate});
    }
    page().resolutions = reduceCaptureSettings(offered);
    return offered.empty() ? 0 : page().resolutions.last + 1;
}

// Numbers: width, height and frame rate of entry `index` (0 for none).
EMSCRIPTEN_KEEPALIVE void fp_resolution(int index)
{
    const CaptureResolutions &r = page().resolutions;
    const VideoCaptureSetting s = index >= 0 && index <= r.last && std::size_t(index) < r.entries.size()
                                      ? r.entries[std::size_t(index)]
                                      : VideoCaptureSetting{};
    g_numbers = {double(s.width), double(s.height), s.frameRate};
}

// The resolution slider's position for an entry and back (mirrored).
EMSCRIPTEN_KEEPALIVE int fp_resolutionIndexOfPosition(double position)
{
    return resolutionIndexOfPosition(page().resolutions, position);
}

EMSCRIPTEN_KEEPALIVE int fp_resolutionPositionOfIndex(int index)
{
    return resolutionPositionOfIndex(page().resolutions, index);
}

// The camera whose resolution is asked and chosen from now on; its id is in
// the buffer (idLength bytes). Numbers: width, height, frame rate of the
// resolution remembered for it, all 0 for the default.
EMSCRIPTEN_KEEPALIVE void fp_useCamera(int idLength)
{
    Page &p = page();
    p.cameraId = std::string(takenText(idLength));
    const std::optional<VideoCaptureSetting> remembered = p.stored.resolutionFor(p.cameraId);
    const VideoCaptureSetting s = remembered.value_or(VideoCaptureSetting{});
    g_numbers = {double(s.width), double(s.height), s.frameRate};
}

// The user chose entry `index` for the camera in use; -1 for the default.
EMSCRIPTEN_KEEPALIVE void fp_chooseResolution(int index)
{
    Page &p = page();
    if (p.cameraId.empty())
        return;
    const CaptureResolutions &r = p.resolutions;
    if (index >= 0 && index <= r.last && std::size_t(index) < r.entries.size())
        p.stored.resolutions[p.cameraId] = r.entries[std::size_t(index)];
    else
        p.stored.resolutions[p.cameraId] = std::nullopt;
}

// ---- Pictures -------------------------------------------------------------------

// Room for a picture's RGBA bytes, packed rows: `which` 0 for the photo, 1
// for its ice. Null for an empty or absurd size.
EMSCRIPTEN_KEEPALIVE std::uint8_t *fp_stagePicture(int which, int width, int height)
{
    if (which < 0 || which > 1 || width <= 0 || height <= 0 || width > 8192 || height > 8192)
        return nullptr;
    Image &image = page().staged[std::size_t(which)];
    image.ensureSize(Size{width, height});
    return image.bits();
}

// The staged photo and ice become picture `number`; shown at once when it is
// the one on show. 0 when they do not make a picture (sizes differ, one is
// missing, the number is out of range).
EMSCRIPTEN_KEEPALIVE int fp_putPicture(int number)
{
    Page &p = page();
    Image &photo = p.staged[0];
    Image &ice = p.staged[1];
    if (number < 1 || number > p.game.pictureCount() || photo.isNull() || photo.size() != ice.size())
        return 0;
    pictures()[number] = Picture{std::move(photo), std::move(ice)};
    p.game.pictureArrived(number);
    return 1;
}

// Whether picture `number` is here.
EMSCRIPTEN_KEEPALIVE int fp_hasPicture(int number)
{
    return pictures().contains(number) ? 1 : 0;
}

// Lets a picture go that is not on show (a parent's photo far from it).
EMSCRIPTEN_KEEPALIVE void fp_dropPicture(int number)
{
    if (number != page().game.pictureNumber())
        pictures().erase(number);
}

EMSCRIPTEN_KEEPALIVE int fp_pictureCount()
{
    return page().game.pictureCount();
}

EMSCRIPTEN_KEEPALIVE void fp_setPictureCount(int count)
{
    page().game.setPictureCount(std::max(count, kBuiltInPictures));
}

EMSCRIPTEN_KEEPALIVE int fp_builtInPictures()
{
    return kBuiltInPictures;
}

// ---- Steps -----------------------------------------------------------------------

// Room for the next camera frame: the part framePart() names, scaled to the
// picture's size and mirrored for a front camera, as RGBA bytes in packed
// rows. Numbers: its width and height. Null while no picture is shown.
EMSCRIPTEN_KEEPALIVE std::uint8_t *fp_frameBuffer()
{
    Page &p = page();
    const Size size = p.game.pictureSize();
    g_numbers[0] = size.width;
    g_numbers[1] = size.height;
    if (size.width <= 0 || size.height <= 0)
        return nullptr;
    p.frame.ensureSize(size);
    return p.frame.bits();
}

// A frame is in fp_frameBuffer(); the camera delivered it at cameraWidth x
// cameraHeight. `mirror`: it is a front camera's frame still to be mirrored.
// Returns 1 when the output changed.
EMSCRIPTEN_KEEPALIVE int fp_step(int cameraWidth, int cameraHeight, double now, int mirror)
{
    Page &p = page();
    p.pace.frameArrived(std::int64_t(now));
    if (p.frame.size() != p.game.pictureSize())
        return 0;
    if (mirror != 0)
        p.frame.mirror();
    return p.game.step(p.frame, Size{cameraWidth, cameraHeight}).isEmpty() ? 0 : 1;
}

// The camera's stream started anew: its first frame is only the reference.
EMSCRIPTEN_KEEPALIVE void fp_cameraStarted()
{
    page().game.requestNewReference();
}

EMSCRIPTEN_KEEPALIVE void fp_cameraStopped()
{
    page().pace.cameraStopped();
}

// How often fp_tick() wants to be called while it returns 1.
EMSCRIPTEN_KEEPALIVE int fp_tickInterval()
{
    return StepPace::kStepWithoutCameraMilliseconds;
}

// A step without a frame when one is due (no camera delivers, the game has
// not settled): 1 when it stepped, 0 when nothing is left to do and the
// ticking may stop.
EMSCRIPTEN_KEEPALIVE int fp_tick(double now)
{
    Page &p = page();
    if (!p.pace.stepsWithoutFrame(p.game, std::int64_t(now)))
        return 0;
    p.game.stepWithoutFrame();
    return 1;
}

// What the output shows. Numbers: scene (Game::Scene), the picture's RGBA
// bytes (address, width, height, stride; address 0 for none), its place
// (x, y, width, height), the progress bar's place (x, y, width, height) and
// color (0xAARRGGBB), whether the banner shows and its place (x, y, width,
// height), the cleaned fraction, the ice wiped by the last step.
EMSCRIPTEN_KEEPALIVE void fp_scene()
{
    const Game &game = page().game;
    const ConstImageView picture = game.shownPicture();
    const Rect r = game.pictureRect();
    const Rect bar = game.progressBarRect();
    const Rect banner = game.bannerRect();
    g_numbers = {double(int(game.scene())),
                 double(reinterpret_cast<std::uintptr_t>(picture.bits)),
                 double(picture.width),
                 double(picture.height),
                 double(picture.stride),
                 double(r.x),
                 double(r.y),
                 double(r.width),
                 double(r.height),
                 double(bar.x),
                 double(bar.y),
                 double(bar.width),
                 double(bar.height),
                 double(game.progressBarColor().argb()),
                 game.bannerShown() ? 1.0 : 0.0,
                 double(banner.x),
                 double(banner.y),
                 double(banner.width),
                 double(banner.height),
                 game.cleanedFraction(),
                 game.iceWipedFraction()};
}

// ---- Pointers on the picture -------------------------------------------------------

// Pointer `id` went down on the picture at (x, y) CSS pixels.
EMSCRIPTEN_KEEPALIVE void fp_pointerDown(int id, double x, double y)
{
    Page &p = page();
    if (p.pointers.empty())
        p.gestureStroked = false;
    p.pointers.insert_or_assign(id, PointerTrack(Point{x, y}));
}

// Pointer `id` moved to (x, y): 1 when it is a stroke, whose path the next
// step wipes.
EMSCRIPTEN_KEEPALIVE int fp_pointerMove(int id, double x, double y)
{
    Page &p = page();
    const auto found = p.pointers.find(id);
    if (found == p.pointers.end())
        return 0;
    const std::optional<PointerTrack::Segment> segment = found->second.moveTo(Point{x, y});
    if (!segment)
        return 0;
    p.gestureStroked = true;
    const double ratio = p.game.pixelRatio();
    p.game.addStroke(p.game.toPicture(Point{segment->from.x * ratio, segment->from.y * ratio}),
                     p.game.toPicture(Point{segment->to.x * ratio, segment->to.y * ratio}));
    return 1;
}

// Pointer `id` went up at (x, y): 1 when that ends a tap (every pointer of
// the gesture is up and none made a stroke).
EMSCRIPTEN_KEEPALIVE int fp_pointerUp(int id, double x, double y)
{
    Page &p = page();
    if (!p.pointers.contains(id))
        return 0;
    fp_pointerMove(id, x, y);
    p.pointers.erase(id);
    return p.pointers.empty() && !p.gestureStroked ? 1 : 0;
}

// The browser took pointer `id` away: its stroke ends, and no tap.
EMSCRIPTEN_KEEPALIVE void fp_pointerCancel(int id)
{
    Page &p = page();
    p.pointers.erase(id);
    p.gestureStroked = true;
}

} // extern "C"

// ---- A parent's own photos ----------------------------------------------------------

extern "C" {

// Only the first `count` pictures stay (the parent's photos after them were
// removed): the picture on show steps on to the first one if it was among
// those that go.
EMSCRIPTEN_KEEPALIVE void fp_keepPictures(int count)
{
    Page &p = page();
    count = std::max(count, kBuiltInPictures);
    std::erase_if(pictures(), [count](const auto &entry) { return entry.first > count; });
    while (p.game.pictureNumber() > count)
        p.game.nextPicture();
    p.game.setPictureCount(count);
}

// Steps on to picture `number` (one of a parent's photos took its place).
EMSCRIPTEN_KEEPALIVE void fp_stepToPicture(int number)
{
    Page &p = page();
    if (number < 1 || number > p.game.pictureCount())
        return;
    while (p.game.pictureNumber() != number)
        p.game.nextPicture();
}

} // extern "C"
