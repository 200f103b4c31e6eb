#pragma once

#include "core/image.h"
#include "core/video_capture_setting.h"

#include <QList>
#include <QMetaType>
#include <QObject>

#include <cstdint>

enum class CameraKind { Front, Back };

// The game's view of a capture device. Everything here runs on the GUI thread;
// an implementation hands frames over as plain images.
class VideoCamera : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~VideoCamera() override = default;

    // Selects the front or back device; only called while stopped.
    virtual void setKind(CameraKind kind) = 0;
    // Whether a device of that kind is there now.
    virtual bool hasCamera(CameraKind kind) const = 0;
    // The selected device's id, the same for that device from run to run;
    // empty when there is no device or it has no id.
    virtual QString deviceId() const { return {}; }

    // true starts capture and frame delivery; reading back after a start tells
    // whether the device really runs. false stops delivery.
    virtual bool isActive() const = 0;
    virtual void setActive(bool active) = 0;

    // The selected device's settings in the device's order; empty when there is
    // no device. Readable while stopped.
    virtual QList<VideoCaptureSetting> availableCaptureSettings() const = 0;
    // The setting in use, as far as the device has told.
    virtual VideoCaptureSetting captureSetting() const = 0;
    // A request: the device may settle on another setting, or refuse one it
    // does not offer; read captureSetting() back to find out.
    virtual void requestCaptureSetting(const VideoCaptureSetting &setting) = 0;

    // Converts the newest frame into `target` as 32-bit premultiplied ARGB
    // words (bytes B, G, R, A),
    // resizing it to the frame (its pixels are reused when the size fits).
    // Returns false, leaving `target` alone, when no frame is waiting or it
    // cannot be converted.
    virtual bool takeFrame(Image &target) = 0;

    // For the frame statistics: totals since the camera was made, and when
    // the frame last taken arrived (steadyMicroseconds(); 0 when unknown).
    struct FrameCounts
    {
        std::int64_t received = 0;
        std::int64_t replaced = 0; // by a newer frame before it was taken
    };
    virtual FrameCounts frameCounts() const { return {}; }
    virtual std::int64_t takenFrameArrival() const { return 0; }

Q_SIGNALS:
    // A new frame is waiting. Emitted on the GUI thread, at most once per
    // take: frames that arrive meanwhile replace the waiting one.
    void frameArrived();
    // The camera stopped without being asked: the device went away or no
    // frame came for a while. isActive() is false by now.
    void stoppedByItself();
    // Frames from here on come from a new stream (started, restarted, or
    // another capture setting): they must not be compared with earlier ones.
    void streamStarted();
    // Cameras were plugged in or pulled out: the selected device and its
    // capture settings may have changed.
    void camerasChanged();
};

Q_DECLARE_METATYPE(VideoCaptureSetting)
