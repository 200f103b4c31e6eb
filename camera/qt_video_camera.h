#pragma once

#include "camera/camera_presence.h"
#include "camera/video_camera.h"

#include <memory>

class QCameraDevice;
class QVideoFrame;

// The one class that talks to Qt Multimedia. "Front" is the system's default
// video input and "back" the first other one (Qt's GStreamer backend reports no
// camera positions); the list is read again whenever Qt reports a change.
// Frames are passed on newest-first: the capture thread is released at once
// and the game step runs later on the GUI thread. A stream that delivers no
// usable frame for a while is restarted once, then reported as stopped; a
// camera pulled out is reported as soon as its list entry has gone and its
// frames have stopped (CameraPresence).
class QtVideoCamera final : public VideoCamera
{
    Q_OBJECT

public:
    explicit QtVideoCamera(QObject *parent = nullptr);
    ~QtVideoCamera() override;

    void setKind(CameraKind kind) override;
    bool hasCamera(CameraKind kind) const override;
    QString deviceId() const override;
    bool isActive() const override;
    void setActive(bool active) override;
    QList<VideoCaptureSetting> availableCaptureSettings() const override;
    VideoCaptureSetting captureSetting() const override;
    void requestCaptureSetting(const VideoCaptureSetting &setting) override;
    bool takeFrame(Image &target) override;
    FrameCounts frameCounts() const override { return m_counts; }
    std::int64_t takenFrameArrival() const override { return m_takenArrival; }

private:
    struct Private;

    void selectDevice();
    void storeFrame(const QVideoFrame &frame);
    bool attachAndStart();
    void detach();
    void checkFramesFlow();
    void devicesChanged();
    void cameraPulledOut();
    void stopByItself();
    QCameraDevice deviceOfKind(CameraKind kind) const;
    static QList<CameraPresence::Listed> listed(const QList<QCameraDevice> &inputs);

    // Qt Multimedia stays out of this header.
    std::unique_ptr<Private> d;
    CameraKind m_kind = CameraKind::Front;
    VideoCaptureSetting m_requested;
    VideoCaptureSetting m_delivered;
    bool m_active = false;
    bool m_notifyPending = false;
    FrameCounts m_counts;
    std::int64_t m_newestArrival = 0;
    std::int64_t m_takenArrival = 0;
};
