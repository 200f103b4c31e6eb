#include "camera/qt_video_camera.h"

#include <QCamera>
#include <QLoggingCategory>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoSink>

#include <cmath>

Q_LOGGING_CATEGORY(lcCamera, "frostpane.camera")

struct QtVideoCamera::Private
{
    QCameraDevice device;
    QMediaCaptureSession session;
    QVideoSink sink;
    std::unique_ptr<QCamera> camera;
    QVideoFrame newestFrame;
};

QtVideoCamera::QtVideoCamera(QObject *parent)
    : VideoCamera(parent)
    , d(std::make_unique<Private>())
{
    d->session.setVideoSink(&d->sink);
    connect(&d->sink, &QVideoSink::videoFrameChanged, this, &QtVideoCamera::frameArrived);
    selectDevice();
}

QtVideoCamera::~QtVideoCamera()
{
    setActive(false);
}

void QtVideoCamera::selectDevice()
{
    const QCameraDevice front = QMediaDevices::defaultVideoInput();
    QCameraDevice chosen;
    if (m_kind == CameraKind::Front) {
        chosen = front;
    } else {
        const QList<QCameraDevice> inputs = QMediaDevices::videoInputs();
        for (const QCameraDevice &input : inputs) {
            if (input != front) {
                chosen = input;
                break;
            }
        }
    }
    if (chosen != d->device) {
        d->device = chosen;
        d->camera.reset();
        m_requested = {};
        m_delivered = {};
    }
}

void QtVideoCamera::setKind(CameraKind kind)
{
    m_kind = kind;
    selectDevice();
}

void QtVideoCamera::setCaptureSettingPriority(CaptureSettingPriority)
{
    // Qt chooses formats only by our explicit requests; nothing to pass on.
}

bool QtVideoCamera::isActive() const
{
    return m_active;
}

void QtVideoCamera::setActive(bool active)
{
    if (active == m_active)
        return;
    if (!active) {
        m_active = false;
        d->newestFrame = {};
        if (d->camera)
            d->camera->stop();
        // stop() alone lets frames flow on for seconds; detaching really stops.
        d->session.setCamera(nullptr);
        return;
    }
    // Qt's camera on a null device streams a test pattern: never start one.
    if (d->device.isNull())
        return;
    if (!d->camera) {
        d->camera = std::make_unique<QCamera>(d->device);
        connect(d->camera.get(), &QCamera::errorOccurred, this,
                [](QCamera::Error error, const QString &text) {
                    qCWarning(lcCamera) << "camera error" << error << text;
                });
    }
    d->session.setCamera(d->camera.get());
    d->camera->start();
    m_active = d->camera->isActive() && d->camera->error() == QCamera::NoError;
    if (!m_active) {
        qCWarning(lcCamera) << "camera did not start:" << d->camera->errorString();
        d->camera->stop();
        d->session.setCamera(nullptr);
    }
}

QList<VideoCaptureSetting> QtVideoCamera::availableCaptureSettings() const
{
    QList<VideoCaptureSetting> settings;
    if (d->device.isNull())
        return settings;
    const QList<QCameraFormat> formats = d->device.videoFormats();
    for (const QCameraFormat &format : formats) {
        // Qt reports no minimum rate on this backend; the maximum is the rate.
        settings.append({format.resolution().width(), format.resolution().height(),
                         double(format.maxFrameRate())});
    }
    return settings;
}

VideoCaptureSetting QtVideoCamera::captureSetting() const
{
    // Frames tell the truth about the size the device settled on; Qt's own
    // cameraFormat() only repeats the request.
    if (m_delivered.Width > 0)
        return m_delivered;
    return m_requested;
}

void QtVideoCamera::requestCaptureSetting(const VideoCaptureSetting &setting)
{
    if (d->device.isNull())
        return;
    const QList<QCameraFormat> formats = d->device.videoFormats();
    for (const QCameraFormat &format : formats) {
        if (format.resolution() == QSize(setting.Width, setting.Height)
            && std::abs(double(format.maxFrameRate()) - setting.FrameRate) < 0.01) {
            if (!d->camera) {
                d->camera = std::make_unique<QCamera>(d->device);
            }
            d->camera->setCameraFormat(format);
            m_requested = setting;
            m_delivered = {};
            return;
        }
    }
    qCInfo(lcCamera) << "capture setting not offered:" << setting.Width << setting.Height
                     << setting.FrameRate;
}

void QtVideoCamera::frameArrived(const QVideoFrame &frame)
{
    // The capture thread waits for this handler: keep it short, never block.
    if (!m_active || !frame.isValid())
        return;
    d->newestFrame = frame;
    const QSize size = frame.size();
    m_delivered = {size.width(), size.height(),
                   frame.surfaceFormat().frameRate() > 0 ? frame.surfaceFormat().frameRate()
                                                         : m_requested.FrameRate};
    if (m_notifyPending)
        return;
    m_notifyPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_notifyPending = false;
            if (m_active && d->newestFrame.isValid())
                Q_EMIT sampleBufferReady();
        },
        Qt::QueuedConnection);
}

bool QtVideoCamera::takeFrame(QImage &target)
{
    if (!d->newestFrame.isValid())
        return false;
    QImage image = d->newestFrame.toImage();
    d->newestFrame = {};
    if (image.isNull())
        return false;
    target = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return true;
}
