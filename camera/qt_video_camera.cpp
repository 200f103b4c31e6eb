#include "camera/qt_video_camera.h"

#include "camera/frame_conversion.h"

#include <QCamera>
#include <QElapsedTimer>
#include <QTimer>
#include <QLoggingCategory>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoSink>

#include <cmath>
#include <utility>

Q_LOGGING_CATEGORY(lcCamera, "frostpane.camera")

namespace {

// No frame for this long while active means the device has stopped: Qt
// reports nothing when a stream dies or a camera is pulled out.
constexpr int kStallMilliseconds = 2500;
constexpr int kWatchdogMilliseconds = 500;
// One restart per start, unless the restarted stream then ran this long: a
// device that keeps dying is reported instead of being restarted for ever.
constexpr int kRestartForgivenMilliseconds = 30000;

} // namespace

struct QtVideoCamera::Private
{
    QCameraDevice device;
    QCameraFormat format; // the last accepted request; null: Qt's own choice
    QMediaDevices devices;
    QVideoSink sink;
    std::unique_ptr<QMediaCaptureSession> session;
    std::unique_ptr<QCamera> camera;
    QVideoFrame newestFrame;
    QTimer watchdog;
    QElapsedTimer sinceFrame;
    QElapsedTimer sinceRestart;
    bool restartTried = false;
};

QtVideoCamera::QtVideoCamera(QObject *parent)
    : VideoCamera(parent)
    , d(std::make_unique<Private>())
{
    connect(&d->sink, &QVideoSink::videoFrameChanged, this, &QtVideoCamera::storeFrame);
    // Ask for the device list once before listening to its changes: a change
    // handler that is the first to ask can deadlock inside Qt 6.4.
    selectDevice();
    connect(&d->devices, &QMediaDevices::videoInputsChanged, this, &QtVideoCamera::devicesChanged);
    d->watchdog.setInterval(kWatchdogMilliseconds);
    connect(&d->watchdog, &QTimer::timeout, this, &QtVideoCamera::checkFramesFlow);
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
        // Qt 6.4 lists each GStreamer camera twice under different ids, so
        // "another camera" must also have another name.
        const QList<QCameraDevice> inputs = QMediaDevices::videoInputs();
        for (const QCameraDevice &input : inputs) {
            if (input != front && input.description() != front.description()) {
                chosen = input;
                break;
            }
        }
    }
    if (chosen != d->device) {
        d->device = chosen;
        d->format = QCameraFormat();
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

bool QtVideoCamera::isActive() const
{
    return m_active;
}

void QtVideoCamera::detach()
{
    d->watchdog.stop();
    d->newestFrame = {};
    if (d->camera)
        d->camera->stop();
    // stop() alone lets frames flow on for seconds; leaving the session
    // really stops the stream.
    if (d->session)
        d->session->setCamera(nullptr);
}

bool QtVideoCamera::attachAndStart()
{
    if (!d->session) {
        d->session = std::make_unique<QMediaCaptureSession>();
        // The sink before the camera: the other order can stall after one frame.
        d->session->setVideoSink(&d->sink);
    }
    if (!d->camera) {
        d->camera = std::make_unique<QCamera>(d->device);
        if (!d->format.isNull())
            d->camera->setCameraFormat(d->format);
        connect(d->camera.get(), &QCamera::errorOccurred, this,
                [](QCamera::Error error, const QString &text) {
                    qCWarning(lcCamera) << "camera error" << error << text;
                });
    }
    d->session->setCamera(d->camera.get());
    d->camera->start();
    return d->camera->isActive() && d->camera->error() == QCamera::NoError;
}

void QtVideoCamera::setActive(bool active)
{
    if (active == m_active)
        return;
    if (!active) {
        m_active = false;
        detach();
        return;
    }
    // Qt's camera on a null device streams a test pattern: never start one.
    if (d->device.isNull())
        return;
    m_delivered = {};
    m_active = attachAndStart();
    if (!m_active) {
        qCWarning(lcCamera) << "camera did not start:" << d->camera->errorString();
        detach();
        return;
    }
    d->sinceFrame.start();
    d->restartTried = false;
    d->watchdog.start();
}

void QtVideoCamera::checkFramesFlow()
{
    if (!m_active || d->sinceFrame.elapsed() < kStallMilliseconds)
        return;
    if (!d->restartTried || d->sinceRestart.elapsed() > kRestartForgivenMilliseconds) {
        // A stream that died inside Qt comes back only with a new session.
        qCInfo(lcCamera) << "no frames for" << d->sinceFrame.elapsed() << "ms: restarting capture";
        d->restartTried = true;
        d->sinceRestart.start();
        detach();
        d->session.reset();
        d->camera.reset();
        if (attachAndStart()) {
            d->sinceFrame.start();
            d->watchdog.start();
            return;
        }
    }
    qCWarning(lcCamera) << "camera stopped delivering frames";
    stopByItself();
}

void QtVideoCamera::devicesChanged()
{
    if (!m_active)
        return;
    const QList<QCameraDevice> inputs = QMediaDevices::videoInputs();
    if (!inputs.contains(d->device)) {
        qCWarning(lcCamera) << "camera removed:" << d->device.description();
        stopByItself();
    }
}

void QtVideoCamera::stopByItself()
{
    m_active = false;
    detach();
    Q_EMIT stoppedByItself();
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
    if (m_delivered.width > 0)
        return m_delivered;
    return m_requested;
}

void QtVideoCamera::requestCaptureSetting(const VideoCaptureSetting &setting)
{
    if (d->device.isNull())
        return;
    const QList<QCameraFormat> formats = d->device.videoFormats();
    for (const QCameraFormat &format : formats) {
        if (format.resolution() == QSize(setting.width, setting.height)
            && std::abs(double(format.maxFrameRate()) - setting.frameRate) < 0.01) {
            d->format = format;
            if (d->camera)
                d->camera->setCameraFormat(format);
            m_requested = setting;
            m_delivered = {};
            return;
        }
    }
    qCInfo(lcCamera) << "capture setting not offered:" << setting.width << setting.height
                     << setting.frameRate;
}

void QtVideoCamera::storeFrame(const QVideoFrame &frame)
{
    // The capture thread waits for this handler: keep it short, never block.
    if (!m_active || !frame.isValid())
        return;
    d->sinceFrame.start();
    d->newestFrame = frame;
    const QSize size = frame.size();
    m_delivered = {size.width(), size.height(),
                   frame.surfaceFormat().frameRate() > 0 ? frame.surfaceFormat().frameRate()
                                                         : m_requested.frameRate};
    if (m_notifyPending)
        return;
    m_notifyPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_notifyPending = false;
            if (m_active && d->newestFrame.isValid())
                Q_EMIT frameArrived();
        },
        Qt::QueuedConnection);
}

namespace {

FramePixelFormat framePixelFormat(QVideoFrameFormat::PixelFormat format)
{
    switch (format) {
    case QVideoFrameFormat::Format_YUYV: return FramePixelFormat::YUYV;
    case QVideoFrameFormat::Format_UYVY: return FramePixelFormat::UYVY;
    case QVideoFrameFormat::Format_NV12: return FramePixelFormat::NV12;
    case QVideoFrameFormat::Format_NV21: return FramePixelFormat::NV21;
    case QVideoFrameFormat::Format_YUV420P: return FramePixelFormat::I420;
    case QVideoFrameFormat::Format_YV12: return FramePixelFormat::YV12;
    case QVideoFrameFormat::Format_BGRA8888:
    case QVideoFrameFormat::Format_BGRA8888_Premultiplied:
    case QVideoFrameFormat::Format_BGRX8888: return FramePixelFormat::BGRA;
    case QVideoFrameFormat::Format_RGBA8888:
    case QVideoFrameFormat::Format_RGBX8888: return FramePixelFormat::RGBA;
    case QVideoFrameFormat::Format_ARGB8888:
    case QVideoFrameFormat::Format_ARGB8888_Premultiplied:
    case QVideoFrameFormat::Format_XRGB8888: return FramePixelFormat::ARGB;
    case QVideoFrameFormat::Format_ABGR8888:
    case QVideoFrameFormat::Format_XBGR8888: return FramePixelFormat::ABGR;
    default: return FramePixelFormat::Unsupported;
    }
}

YuvColors yuvColors(const QVideoFrameFormat &format)
{
    YuvColors colors;
    colors.matrix = format.colorSpace() == QVideoFrameFormat::ColorSpace_BT709 ? YuvMatrix::Bt709
                                                                               : YuvMatrix::Bt601;
    colors.fullRange = format.colorRange() == QVideoFrameFormat::ColorRange_Full;
    return colors;
}

} // namespace

bool QtVideoCamera::takeFrame(QImage &target)
{
    QVideoFrame frame = std::exchange(d->newestFrame, QVideoFrame());
    if (!frame.isValid())
        return false;
    const QSize size = frame.size();
    const FramePixelFormat format = framePixelFormat(frame.pixelFormat());
    if (format == FramePixelFormat::Unsupported || size.isEmpty()) {
        qCDebug(lcCamera) << "frame format not converted:" << frame.pixelFormat() << size;
        return false;
    }
    if (!frame.map(QVideoFrame::ReadOnly))
        return false;
    FramePlanes planes;
    for (int i = 0; i < std::min(frame.planeCount(), 3); ++i) {
        planes.data[i] = frame.bits(i);
        planes.stride[i] = frame.bytesPerLine(i);
        planes.size[i] = frame.mappedBytes(i);
    }
    // Reuse the target's pixels when they fit: no allocation per frame.
    if (target.size() != size || target.format() != QImage::Format_ARGB32_Premultiplied)
        target = QImage(size, QImage::Format_ARGB32_Premultiplied);
    const bool converted = !target.isNull()
                           && convertFrame(format, planes, size.width(), size.height(),
                                           yuvColors(frame.surfaceFormat()), target.bits(),
                                           target.bytesPerLine());
    frame.unmap();
    if (!converted)
        qCDebug(lcCamera) << "frame skipped: incomplete planes" << frame.pixelFormat() << size;
    return converted;
}
