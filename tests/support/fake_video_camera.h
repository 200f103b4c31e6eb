#pragma once

#include "camera/video_camera.h"

#include <QImage>

#include <QList>
#include <cstring>

// A scripted camera for tests: it reports the settings it is given, starts or
// refuses to start as told, settles on requested settings it offers, and
// hands out frames that the test pushes.
class FakeVideoCamera final : public VideoCamera
{
    Q_OBJECT

public:
    explicit FakeVideoCamera(QList<VideoCaptureSetting> frontSettings = {},
                             QList<VideoCaptureSetting> backSettings = {})
        : m_front(std::move(frontSettings))
        , m_back(std::move(backSettings))
    { }

    // --- script -----------------------------------------------------------
    bool startsWhenAsked = true;
    bool backStartsWhenAsked = true;
    bool stopsWhenAsked = true;
    int activationRequests = 0;
    QList<VideoCaptureSetting> requestedSettings;

    // Queues a frame and announces it as the real camera would.
    void deliver(const QImage &frame)
    {
        m_pending = frame;
        Q_EMIT frameArrived();
    }
    CameraKind kind() const { return m_kind; }
    // Lets a test change the running state behind the game's back (a camera
    // that stops on its own, or one slow to stop).
    void forceActive(bool active) { m_active = active; }
    // Cameras are plugged in or pulled out: each kind now offers these settings.
    void replugCameras(QList<VideoCaptureSetting> frontSettings, QList<VideoCaptureSetting> backSettings)
    {
        m_front = std::move(frontSettings);
        m_back = std::move(backSettings);
        if (m_active && availableCaptureSettings().isEmpty())
            stopByItself();
        Q_EMIT camerasChanged();
    }
    // The device goes away as a real one can: inactive, and it says so.
    void stopByItself()
    {
        m_active = false;
        Q_EMIT stoppedByItself();
    }

    // --- VideoCamera --------------------------------------------------------
    void setKind(CameraKind kind) override
    {
        m_kind = kind;
        m_setting = {};
    }
    bool hasCamera(CameraKind kind) const override { return !(kind == CameraKind::Front ? m_front : m_back).isEmpty(); }
    QString deviceId() const override
    {
        if (!hasCamera(m_kind))
            return {};
        return m_kind == CameraKind::Front ? QStringLiteral("front") : QStringLiteral("back");
    }
    bool isActive() const override { return m_active; }
    void setActive(bool active) override
    {
        ++activationRequests;
        if (active && !m_active) {
            m_active = startsWhenAsked && (m_kind == CameraKind::Front || backStartsWhenAsked)
                       && !availableCaptureSettings().isEmpty();
            if (m_active)
                Q_EMIT streamStarted();
        } else if (!active && stopsWhenAsked) {
            m_active = false;
        }
    }
    QList<VideoCaptureSetting> availableCaptureSettings() const override
    {
        return m_kind == CameraKind::Front ? m_front : m_back;
    }
    VideoCaptureSetting captureSetting() const override { return m_setting; }
    void requestCaptureSetting(const VideoCaptureSetting &setting) override
    {
        requestedSettings.append(setting);
        if (availableCaptureSettings().contains(setting))
            m_setting = setting;
    }
    bool takeFrame(Image &target) override
    {
        if (m_pending.isNull())
            return false;
        const QImage frame = m_pending.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        m_pending = QImage();
        target.ensureSize({frame.width(), frame.height()});
        for (int y = 0; y < frame.height(); ++y)
            std::memcpy(target.view().pixel(0, y), frame.constScanLine(y), std::size_t(frame.width()) * 4);
        return true;
    }

private:
    QList<VideoCaptureSetting> m_front;
    QList<VideoCaptureSetting> m_back;
    CameraKind m_kind = CameraKind::Front;
    VideoCaptureSetting m_setting;
    QImage m_pending;
    bool m_active = false;
};
