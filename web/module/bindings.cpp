// The page's module: the play session behind plain C functions that the
// page calls through the wrapper generated with their prototypes from
// web/module/boundary.json (frostpane_boundary.h here, module/boundary.js
// for the page). Numbers go in as arguments; text goes both ways through one
// buffer of UTF-8 bytes; a result of several numbers is a record the module
// keeps, one of each kind, valid until the next call that returns one. One
// page, one set of state: everything here lives for the page's lifetime.

#include "core/built_in_pictures.h"
#include "core/capture_resolutions.h"
#include "core/clock.h"
#include "core/melt_pass.h"
#include "core/photo_rules.h"
#include "core/play_session.h"
#include "core/settings_mapping.h"
#include "core/stored_settings.h"
#include "core/window_layout.h"
#include "frostpane_boundary.h"

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

namespace fb = frostpane_boundary;

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

// The pictures the page has decoded and put here, by number. The page
// decodes them (the browser has the decoders) as RGBA bytes; the game only
// compares and copies whole pixels and leaves the fourth byte out of the
// color change, so it plays on them as they are.
std::map<int, Picture> &pictures()
{
    static std::map<int, Picture> instance;
    return instance;
}

struct Module
{
    // The page's canvas takes the whole changed rectangle: the steps need not
    // look for the rows within it that changed.
    Module() { game.setFindsChangedParts(false); }

    // The banner is placed once the page has its picture (fp_setBannerSize).
    PlaySession session{Clock::system(), kBuiltInPictures,
                        [](int number) {
                            const auto found = pictures().find(number);
                            return found != pictures().end() ? found->second : Picture{};
                        },
                        Size{}, Size{640, 480}};
    Game &game = session.game();
    // A photo and its ice being handed over by the page, and the camera
    // frame it fills for each step.
    std::array<Image, 2> staged;
    Image frame;
    std::vector<std::string> warnings;
    StoredValues values;
};

Module &module()
{
    static Module instance;
    return instance;
}

std::array<char, kTextCapacity> g_text{};

// A record handed to the page: the one of its kind the module keeps.
template <typename Record> const Record *kept(const Record &value)
{
    static Record instance;
    instance = value;
    return &instance;
}

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
    return tool >= 0 && tool < Controls::kToolCount;
}

} // namespace

extern "C" {

// ---- Buffers and facts -------------------------------------------------------

std::uint8_t *fp_text()
{
    return reinterpret_cast<std::uint8_t *>(g_text.data());
}

int fp_textCapacity()
{
    return kTextCapacity;
}

// The SIMD target the melt pass was compiled for ("WASM" with SIMD128).
int fp_simdTarget()
{
    return putText(meltPassTargetName());
}

// ---- Layout --------------------------------------------------------------------

// The page is width x height CSS pixels, pixelRatio device pixels each; the
// icons' pictures are iconWidth x iconHeight.
void fp_layout(double width, double height, double pixelRatio, int iconWidth, int iconHeight)
{
    Module &p = module();
    p.session.controls().place(width, height, iconWidth, iconHeight);
    const double ratio = pixelRatio > 0 ? pixelRatio : 1.0;
    p.game.setOutputSize(Size{int(width * ratio), int(height * ratio)}, ratio);
}

// In CSS pixels; all 0 for no tool.
const fb::IconPlace *fp_icon(int tool)
{
    if (!validTool(tool))
        return kept(fb::IconPlace{});
    const Controls &controls = module().session.controls();
    const Controls::Shown s = controls.shown(ToolIcon(tool));
    return kept(fb::IconPlace{s.x, s.y, s.width, s.height, s.scale, controls.isVisible(ToolIcon(tool)) ? 1.0 : 0.0,
                              controls.isPresent(ToolIcon(tool)) ? 1.0 : 0.0});
}

// How many cameras the browser names.
void fp_setCameraCount(int count)
{
    module().session.setCameraCount(count);
}

double fp_toolOpacity()
{
    return module().session.controls().opacity();
}

// In device pixels.
const fb::Rect *fp_pictureRect()
{
    const Rect r = module().game.pictureRect();
    return kept(fb::Rect{double(r.x), double(r.y), double(r.width), double(r.height)});
}

int fp_pictureNumber()
{
    return module().game.pictureNumber();
}

int fp_isIceView()
{
    return module().game.isIceView() ? 1 : 0;
}

// The track bar and its label box for one of the settings panel's three
// sliders (0 resolution, 1 sensitivity, 2 freezing speed) of trackWidth x
// trackHeight under a label labelHeight high; then the Sound switch's box
// and OK's box.
const fb::PanelPlaces *fp_panelLayout(double width, double height, int slider, double trackWidth, double trackHeight,
                                      double labelHeight, double switchWidth, double switchHeight, double okWidth)
{
    const int index = std::clamp(slider, 0, int(kSliderSlots.size()) - 1);
    const SliderGroupPlace g = placeSliderGroup(width, height, kSliderSlots[std::size_t(index)].centerY,
                                                float(trackWidth), float(trackHeight), 0.0f, 0.0f, float(labelHeight));
    const SliderGroupPlace lowest = placeSliderGroup(width, height, kSliderSlots.back().centerY, float(trackWidth),
                                                     float(trackHeight), 0.0f, 0.0f, float(labelHeight));
    const ControlPlace sw = placeSwitchBox(width, height, kSoundSwitchCenterY, float(switchWidth), float(switchHeight));
    const ControlPlace ok = placeOkBox(width, float(okWidth), lowest.trackY, float(trackHeight));
    return kept(fb::PanelPlaces{g.trackX, g.trackY, g.boxX, g.boxY, g.boxWidth, g.boxHeight, sw.x, sw.y, ok.x, ok.y});
}

// ---- Pointer -------------------------------------------------------------------

int fp_press(int tool)
{
    return validTool(tool) && module().session.controls().press(ToolIcon(tool)) ? 1 : 0;
}

void fp_release(int tool)
{
    if (validTool(tool))
        module().session.controls().release(ToolIcon(tool));
}

// What the click asks for (Controls::Action). Pictures and views change
// here already; the page redraws.
int fp_click(int tool)
{
    if (!validTool(tool))
        return 0;
    Module &p = module();
    return int(p.session.clickTool(ToolIcon(tool)));
}

// A screen reader's or switch device's activation of a tool (no pointer
// before it): what it asks for, as fp_click.
int fp_activate(int tool)
{
    if (!validTool(tool))
        return 0;
    return int(module().session.activateTool(ToolIcon(tool)));
}

// Whether the last click asks for the tap's tick of sound.
int fp_clickTicks()
{
    return module().session.lastClickTicks() ? 1 : 0;
}

int fp_tapPicture()
{
    return module().session.tapPicture() ? 1 : 0;
}

// Escape: 1 when it closed a panel, 0 when none was open.
int fp_escape()
{
    return module().session.closeOpenPanel() ? 1 : 0;
}

int fp_openPanel()
{
    return int(module().session.controls().openPanel());
}

int fp_fadeRunning()
{
    return module().session.controls().isFadeRunning() ? 1 : 0;
}

int fp_fadeInterval()
{
    return ToolFade::kIntervalMilliseconds;
}

void fp_fadeTick()
{
    module().session.controls().fadeTick();
}

// ---- Remembered settings -------------------------------------------------------

// The keys the page keeps, one a line; per-camera resolutions follow the
// last line's prefix ("camera/resolution/").
int fp_storedKeys()
{
    std::string keys;
    for (const StoredKey &key : kStoredKeys) {
        if (rememberedInBrowser(key.path))
            keys.append(key.path).append("\n");
    }
    keys.append(StoredSettingsKey::resolution).append("/");
    return putText(keys);
}

void fp_storedClear()
{
    module().values.clear();
}

// One stored value: the buffer holds the key (keyLength bytes) followed by
// the value's text.
void fp_storedPut(int keyLength, int valueLength)
{
    const std::string_view both = takenText(keyLength + valueLength);
    const std::string key(both.substr(0, std::size_t(std::max(keyLength, 0))));
    if (!rememberedInBrowser(key) || !isStoredKey(key))
        return;
    module().values[key] = StoredValue::text(std::string(both.substr(key.size())));
}

// Takes the values put since fp_storedClear() over the defaults; returns how
// many were not taken as they were (fp_storedWarning() names each).
int fp_storedRead()
{
    Module &p = module();
    StoredSettingsReading reading = readStoredSettings(p.values);
    p.session.useSettings(reading.settings);
    p.warnings = std::move(reading.warnings);
    return int(p.warnings.size());
}

int fp_storedWarning(int index)
{
    const std::vector<std::string> &warnings = module().warnings;
    return index >= 0 && std::size_t(index) < warnings.size() ? putText(warnings[std::size_t(index)]) : putText("");
}

// What to keep now: "key\tvalue\n" for every remembered key.
int fp_storedValues()
{
    Module &p = module();
    std::string lines;
    for (const auto &[key, value] : storedSettingsValues(p.session.settings())) {
        if (rememberedInBrowser(key) && value.kind == StoredValue::Kind::Text)
            lines.append(key).append("\t").append(value.data).append("\n");
    }
    return putText(lines);
}

const fb::Settings *fp_settings()
{
    const Module &p = module();
    const StoredSettings &s = p.session.settings();
    return kept(fb::Settings{double(s.cameraSensitivity), double(s.freezingSpeed), s.sound ? 1.0 : 0.0,
                             s.backCamera ? 1.0 : 0.0});
}

void fp_setBackCamera(int back)
{
    module().session.setBackCamera(back != 0);
}

// ---- Settings panel ------------------------------------------------------------

const fb::Sliders *fp_sliders()
{
    const Game &game = module().game;
    return kept(fb::Sliders{double(sensitivitySliderValue(kMaximumCameraSensitivity)),
                            double(sensitivitySliderValue(kMinimumCameraSensitivity)),
                            double(sensitivitySliderValue(game.cameraSensitivity())), double(kMinimumFreezingSpeed),
                            double(kMaximumFreezingSpeed), double(game.freezingSpeed())});
}

// OK: the sliders' values and the Sound switch are taken; the panel closes.
void fp_takeSettings(double sensitivitySlider, double freezingSlider, int sound)
{
    Module &p = module();
    p.session.takeSettings(sensitivityTaken(sensitivitySlider, p.session.settings().cameraSensitivity),
                           freezingSpeedFromSlider(freezingSlider), sound != 0);
}

// ---- Camera --------------------------------------------------------------------

const fb::Resolution *resolutionRecord(const VideoCaptureSetting &s)
{
    return kept(fb::Resolution{double(s.width), double(s.height), s.frameRate});
}

// The camera in use from now on: its id (in the text buffer, idLength
// bytes) and the ranges of its track; the resolutions it offers are the
// common frame sizes within them, at its fastest frame rate. Returns what
// to ask it for: its own resolution or the default; all 0 to leave it as
// it is.
const fb::Resolution *fp_useCamera(int idLength, int minWidth, int maxWidth, int minHeight, int maxHeight,
                                   double maxFrameRate)
{
    Module &p = module();
    std::vector<VideoCaptureSetting> offered;
    const double rate = maxFrameRate > 0 ? maxFrameRate : 30.0;
    for (const Size size : kCommonFrameSizes) {
        if (size.width >= minWidth && size.width <= maxWidth && size.height >= minHeight && size.height <= maxHeight)
            offered.push_back({size.width, size.height, rate});
    }
    p.session.useCamera(std::string(takenText(idLength)), offered);
    return resolutionRecord(p.session.resolutionToRequest().value_or(VideoCaptureSetting{}));
}

// How many resolutions the camera in use offers; 0 for none.
int fp_resolutionCount()
{
    const PlaySession &session = module().session;
    return session.offersResolutions() ? session.resolutions().last + 1 : 0;
}

// Entry `index`; all 0 for none.
const fb::Resolution *fp_resolution(int index)
{
    const CaptureResolutions &r = module().session.resolutions();
    return resolutionRecord(index >= 0 && index <= r.last && std::size_t(index) < r.entries.size()
                                ? r.entries[std::size_t(index)]
                                : VideoCaptureSetting{});
}

// What a camera is asked for before its ranges are known: the resolution
// chooser's default size (the browser picks the frame rate).
const fb::Resolution *fp_defaultResolution()
{
    return resolutionRecord(CaptureResolutions{}.defaultSetting);
}

// The entry of the resolution the camera delivers; -1 for none.
int fp_resolutionInUse(int width, int height, double frameRate)
{
    return module().session.resolutionInUse(VideoCaptureSetting{width, height, frameRate});
}

// The resolution slider's position for an entry and back (mirrored).
int fp_resolutionIndexOfPosition(double position)
{
    return resolutionIndexOfPosition(module().session.resolutions(), position);
}

int fp_resolutionPositionOfIndex(int index)
{
    return resolutionPositionOfIndex(module().session.resolutions(), index);
}

// The user moved the resolution slider: every OK from now on applies it.
void fp_resolutionSliderMoved()
{
    module().session.resolutionSliderMoved();
}

// The settings panel's OK with the resolution slider at `position`: the
// resolution to ask the camera for now, all 0 for none.
const fb::Resolution *fp_chooseResolution(double position)
{
    return resolutionRecord(module().session.chooseResolution(position).value_or(VideoCaptureSetting{}));
}

// ---- Pictures -------------------------------------------------------------------

// Room for a picture's RGBA bytes, packed rows: `which` 0 for the photo, 1
// for its ice. Null for an empty or absurd size.
std::uint8_t *fp_stagePicture(int which, int width, int height)
{
    if (which < 0 || which > 1 || width <= 0 || height <= 0 || width > 8192 || height > 8192)
        return nullptr;
    Image &image = module().staged[std::size_t(which)];
    image.ensureSize(Size{width, height});
    return image.bits();
}

// The staged photo and ice become picture `number`; shown at once when it is
// the one on show. 0 when they do not make a picture (sizes differ, one is
// missing, the number is out of range).
int fp_putPicture(int number)
{
    Module &p = module();
    Image &photo = p.staged[0];
    Image &ice = p.staged[1];
    if (number < 1 || number > p.game.pictureCount() || photo.isNull() || photo.size() != ice.size())
        return 0;
    pictures()[number] = Picture{std::move(photo), std::move(ice)};
    p.game.pictureArrived(number);
    return 1;
}

// Whether picture `number` is here.
int fp_hasPicture(int number)
{
    return pictures().contains(number) ? 1 : 0;
}

// Whether picture `number` stays decoded while the picture on show is: it
// is that one or a neighbour. The page knows all its photos from the start.
int fp_keepsPicture(int number)
{
    const Game &game = module().game;
    const std::vector<int> kept = PhotoRules::picturesToKeep(game.pictureNumber(), game.pictureCount(), true);
    return std::find(kept.begin(), kept.end(), number) != kept.end() ? 1 : 0;
}

// Lets a picture go that is not on show (a parent's photo far from it).
void fp_dropPicture(int number)
{
    if (number != module().game.pictureNumber())
        pictures().erase(number);
}

int fp_pictureCount()
{
    return module().game.pictureCount();
}

void fp_setPictureCount(int count)
{
    module().game.setPictureCount(std::max(count, kBuiltInPictures));
}

int fp_builtInPictures()
{
    return kBuiltInPictures;
}

// ---- Steps -----------------------------------------------------------------------

// Room for the next camera frame, delivered at cameraWidth x cameraHeight:
// the part of it the picture shows (its middle, in the picture's shape)
// scaled to the picture's size, as RGBA bytes in packed rows, as the camera
// sees it (fp_step() mirrors a front camera's): the room's address, width
// and height, then that part's x, y, width and height in the camera's
// frame. Address 0 while no picture is shown.
const fb::FrameRoom *fp_frameBuffer(int cameraWidth, int cameraHeight)
{
    Module &p = module();
    const Size size = p.game.pictureSize();
    const Rect part = middlePart(Size{cameraWidth, cameraHeight}, size);
    double address = 0;
    if (size.width > 0 && size.height > 0) {
        p.frame.ensureSize(size);
        address = double(reinterpret_cast<std::uintptr_t>(p.frame.bits()));
    }
    return kept(fb::FrameRoom{address, double(size.width), double(size.height), double(part.x), double(part.y),
                              double(part.width), double(part.height)});
}

// A frame is in fp_frameBuffer(); the camera delivered it at cameraWidth x
// cameraHeight. Returns 1 when the output changed.
int fp_step(int cameraWidth, int cameraHeight)
{
    Module &p = module();
    return p.session.stepFrame(p.frame, Size{cameraWidth, cameraHeight}).isEmpty() ? 0 : 1;
}

// The camera's stream started anew: its first frame is only the reference.
void fp_cameraStarted()
{
    module().session.cameraStarted();
}

// The camera stopped: steps without frames take over, and the crackle stops.
void fp_cameraStopped()
{
    module().session.cameraStopped();
}

// How often fp_tick() wants to be called while it returns 1.
int fp_tickInterval()
{
    return StepPace::kStepWithoutCameraMilliseconds;
}

// A step without a frame when one is due (no camera delivers, the game has
// not settled): 1 when it stepped, 0 when nothing is left to do and the
// ticking may stop.
int fp_tick()
{
    Module &p = module();
    if (!p.session.stepWithoutFrameDue())
        return 0;
    p.session.stepWithoutFrame();
    return 1;
}

// The banner's picture is width x height: the game places it by that.
void fp_setBannerSize(int width, int height)
{
    module().game.setBannerSize(Size{std::max(width, 0), std::max(height, 0)});
}

// What the output shows: scene (Game::Scene), the picture's RGBA
// bytes (address, width, height, stride; address 0 for none), its place
// (x, y, width, height), the progress bar's place (x, y, width, height) and
// color (0xAARRGGBB), whether the banner shows and its place (x, y, width,
// height), the cleaned fraction, and how much ice the crackle follows (what
// the last step wiped, nothing once the camera stopped or the view paused).
const fb::Shown *fp_scene()
{
    const Game &game = module().game;
    const ConstImageView picture = game.shownPicture();
    const Rect r = game.pictureRect();
    const Rect bar = game.progressBarRect();
    const Rect banner = game.bannerRect();
    return kept(fb::Shown{double(int(game.scene())),
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
                          module().session.wipeSound()});
}

// ---- Pointers on the picture -------------------------------------------------------

// Pointer `id` went down on the picture at (x, y) CSS pixels.
void fp_pointerDown(int id, double x, double y)
{
    module().session.pointerDown(id, Point{x, y});
}

// Pointer `id` moved to (x, y): 1 when it is a stroke, whose path the next
// step wipes.
int fp_pointerMove(int id, double x, double y)
{
    return module().session.pointerMove(id, Point{x, y}) ? 1 : 0;
}

// Pointer `id` went up at (x, y): 1 when that ends a tap (every pointer of
// the gesture is up and none made a stroke).
int fp_pointerUp(int id, double x, double y)
{
    return module().session.pointerUp(id, Point{x, y}) ? 1 : 0;
}

// The browser took pointer `id` away: its stroke ends, and no tap.
void fp_pointerCancel(int id)
{
    module().session.pointerCancel(id);
}

} // extern "C"

// ---- A parent's own photos ----------------------------------------------------------

extern "C" {

// Photo `number` was removed from the parent's photos (0: all of them) and
// `remaining` stay, numbered on after the built-in pictures in their order.
// Every photo leaves the module (their numbers changed; the page puts them
// again), and the picture PhotoRules::pictureAfterRemoval names shows.
void fp_removePhoto(int number, int remaining)
{
    Module &p = module();
    remaining = std::clamp(remaining, 0, PhotoRules::kMaxPhotos);
    const int shown = PhotoRules::pictureAfterRemoval(number, kBuiltInPictures, remaining);
    std::erase_if(pictures(), [](const auto &entry) { return entry.first > kBuiltInPictures; });
    while (p.game.pictureNumber() > kBuiltInPictures)
        p.game.nextPicture();
    p.game.setPictureCount(kBuiltInPictures + remaining);
    if (shown < 1 || shown > p.game.pictureCount())
        return;
    while (p.game.pictureNumber() != shown)
        p.game.nextPicture();
}

} // extern "C"
