#pragma once

#include "core/video_capture_setting.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

// What the game remembers from one run to the next, as the game takes it.
// The defaults are the values of a first start.
struct StoredSettings
{
    int cameraSensitivity = 20;
    int freezingSpeed = 10;
    bool sound = true;
    bool backCamera = false;
    // The capture resolution per camera id: a setting, or nullopt for the
    // default. The entry under the empty id stands for every camera that has
    // none of its own; a camera with neither uses the default.
    QHash<QString, std::optional<VideoCaptureSetting>> resolutions;
    bool fullScreen = false;
    // The window's place and size as QWidget::saveGeometry() gives it; empty
    // for a 640 x 480 window in the middle of the screen.
    QByteArray geometry;

    std::optional<VideoCaptureSetting> resolutionFor(const QString &cameraId) const;

    friend bool operator==(const StoredSettings &a, const StoredSettings &b)
    {
        return a.cameraSensitivity == b.cameraSensitivity && a.freezingSpeed == b.freezingSpeed
               && a.sound == b.sound && a.backCamera == b.backCamera && a.resolutions == b.resolutions
               && a.fullScreen == b.fullScreen && a.geometry == b.geometry;
    }
    friend bool operator!=(const StoredSettings &a, const StoredSettings &b) { return !(a == b); }
};

// The keys, as group/key in the settings file.
namespace StoredSettingsKey {
inline const QString cameraSensitivity = QStringLiteral("game/cameraSensitivity");
inline const QString freezingSpeed = QStringLiteral("game/freezingSpeed");
inline const QString sound = QStringLiteral("game/sound");
inline const QString backCamera = QStringLiteral("camera/back");
// "camera/resolution" for every camera; "camera/resolution/<id>" for one,
// the id percent-encoded so that its slashes do not make groups.
inline const QString resolution = QStringLiteral("camera/resolution");
inline const QString fullScreen = QStringLiteral("window/fullScreen");
inline const QString geometry = QStringLiteral("window/geometry");
} // namespace StoredSettingsKey

struct StoredSettingsReading
{
    StoredSettings settings;
    // One line per key that could not be taken as it was, naming the key.
    QStringList warnings;
};

// Takes the values of a settings file (group/key to value; INI files give
// strings, or byte arrays and other types where the file says so) over
// `base`: a key the file leaves out keeps base's value, and so does a value
// of the wrong kind; a number out of range gives the nearest value in range.
// Each value not taken as it was gives one warning. Unknown keys are left
// alone.
StoredSettingsReading readStoredSettings(const QVariantMap &values, const StoredSettings &base = {});

// The values to write for `settings`, keyed as readStoredSettings reads them.
QVariantMap storedSettingsValues(const StoredSettings &settings);

// "1280x720@30", the frame rate as short as it reads back exactly.
QString captureSettingText(const VideoCaptureSetting &setting);
// Reads "WxH@fps"; nullopt unless width and height are whole numbers from 1
// to 16384 and the frame rate a number above 0 and at most 1000.
std::optional<VideoCaptureSetting> parseCaptureSetting(const QString &text);
