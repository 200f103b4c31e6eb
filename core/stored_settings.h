#pragma once

#include "core/settings_mapping.h"
#include "core/video_capture_setting.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the game remembers from one run to the next, as the game takes it.
// The defaults are the values of a first start.
struct StoredSettings
{
    int cameraSensitivity = kDefaultCameraSensitivity;
    int freezingSpeed = kDefaultFreezingSpeed;
    bool sound = true;
    // "Wave to go on": a won picture offers the round target that a child
    // fills by waving at it to reach the next picture alone.
    bool waveToGoOn = true;
    bool backCamera = false;
    // The capture resolution per camera id: a setting, or nullopt for the
    // default. The entry under the empty id stands for every camera that has
    // none of its own; a camera with neither uses the default.
    std::map<std::string, std::optional<VideoCaptureSetting>> resolutions;
    bool fullScreen = false;
    // The window's place and size, as the desktop saved it (opaque bytes);
    // empty for a window of the default size in the middle of the screen.
    std::string geometry;

    std::optional<VideoCaptureSetting> resolutionFor(const std::string &cameraId) const;

    friend bool operator==(const StoredSettings &a, const StoredSettings &b)
    {
        return a.cameraSensitivity == b.cameraSensitivity && a.freezingSpeed == b.freezingSpeed && a.sound == b.sound
               && a.waveToGoOn == b.waveToGoOn && a.backCamera == b.backCamera && a.resolutions == b.resolutions
               && a.fullScreen == b.fullScreen && a.geometry == b.geometry;
    }
    friend bool operator!=(const StoredSettings &a, const StoredSettings &b) { return !(a == b); }
};

// The keys, as group/key: the settings file's groups on the desktop, the
// names in the browser's storage.
enum class StoredKind { WholeNumber, Truth, CaptureSetting, Bytes };

struct StoredKey
{
    std::string_view path;
    StoredKind kind;
    // For whole numbers: the range a value is brought into.
    int minimum = 0;
    int maximum = 0;
};

namespace StoredSettingsKey {
inline constexpr std::string_view cameraSensitivity = "game/cameraSensitivity";
inline constexpr std::string_view freezingSpeed = "game/freezingSpeed";
inline constexpr std::string_view sound = "game/sound";
inline constexpr std::string_view waveToGoOn = "game/waveToGoOn";
inline constexpr std::string_view backCamera = "camera/back";
// "camera/resolution" for every camera; "camera/resolution/<id>" for one,
// the id percent-encoded so that its slashes do not make groups.
inline constexpr std::string_view resolution = "camera/resolution";
inline constexpr std::string_view fullScreen = "window/fullScreen";
inline constexpr std::string_view geometry = "window/geometry";
} // namespace StoredSettingsKey

// Every key the game reads and writes (besides the per-camera resolutions
// under "camera/resolution/"), with its kind.
inline constexpr std::array<StoredKey, 8> kStoredKeys = {{
    {StoredSettingsKey::cameraSensitivity, StoredKind::WholeNumber, kMinimumCameraSensitivity,
     kMaximumCameraSensitivity},
    {StoredSettingsKey::freezingSpeed, StoredKind::WholeNumber, kMinimumFreezingSpeed, kMaximumFreezingSpeed},
    {StoredSettingsKey::sound, StoredKind::Truth},
    {StoredSettingsKey::waveToGoOn, StoredKind::Truth},
    {StoredSettingsKey::backCamera, StoredKind::Truth},
    {StoredSettingsKey::resolution, StoredKind::CaptureSetting},
    {StoredSettingsKey::fullScreen, StoredKind::Truth},
    {StoredSettingsKey::geometry, StoredKind::Bytes},
}};

// Whether `path` is one of the keys above or a per-camera resolution.
bool isStoredKey(std::string_view path);

// One stored value as its store gives it: text (a settings file's plain
// value, a browser's stored string), bytes (what the desktop's settings file
// marks as a byte array), or something else that no key takes (a list, a
// typed value), named for the warning.
struct StoredValue
{
    enum class Kind { Text, Bytes, Other };
    Kind kind = Kind::Text;
    std::string data;     // the text (UTF-8) or the bytes; empty for Other
    std::string typeName; // for Other

    static StoredValue text(std::string t) { return {Kind::Text, std::move(t), {}}; }
    static StoredValue bytes(std::string b) { return {Kind::Bytes, std::move(b), {}}; }
    static StoredValue other(std::string type) { return {Kind::Other, {}, std::move(type)}; }
    friend bool operator==(const StoredValue &a, const StoredValue &b)
    {
        return a.kind == b.kind && a.data == b.data && a.typeName == b.typeName;
    }
};

using StoredValues = std::map<std::string, StoredValue>;

struct StoredSettingsReading
{
    StoredSettings settings;
    // One line per key that could not be taken as it was, naming the key
    // first ("game/freezingSpeed: ...").
    std::vector<std::string> warnings;
};

// Takes the stored values over `base`: a key the store leaves out keeps
// base's value, and so does a value of the wrong kind; a number out of
// range, however large, gives the nearest value in range. Each value not
// taken as it was gives one warning. Unknown keys are left alone.
StoredSettingsReading readStoredSettings(const StoredValues &values, const StoredSettings &base = {});

// The values to store for `settings`, keyed as readStoredSettings reads them:
// text for everything but the geometry (bytes, left out when empty).
StoredValues storedSettingsValues(const StoredSettings &settings);

// "1280x720@30", the frame rate as short as it reads back exactly.
std::string captureSettingText(const VideoCaptureSetting &setting);
// Reads "WxH@fps"; nullopt unless width and height are whole numbers from 1
// to 16384 and the frame rate a number above 0 and at most 1000.
std::optional<VideoCaptureSetting> parseCaptureSetting(std::string_view text);
