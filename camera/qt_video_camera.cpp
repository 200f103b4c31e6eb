#include "camera/qt_video_camera.h"

#include "camera/frame_conversion.h"

#include <QCamera>
#include <QLoggingCategory>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoSink>

#include <cmath>
#include <utility>

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

YuvColours yuvColours(const QVideoFrameFormat &format)
{
    YuvColours colours;
    colours.matrix = format.colorSpace() == QVideoFrameFormat::ColorSpace_BT709 ? YuvMatrix::Bt709
                                                                               : YuvMatrix::Bt601;
    colours.fullRange = format.colorRange() == QVideoFrameFormat::ColorRange_Full;
    return colours;
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
                                           yuvColours(frame.surfaceFormat()), target.bits(),
                                           target.bytesPerLine());
    frame.unmap();
    if (!converted)
        qCDebug(lcCamera) << "frame skipped: incomplete planes" << frame.pixelFormat() << size;
    return converted;
}
