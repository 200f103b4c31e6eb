#include "camera/qt_video_camera.h"

#include "camera/camera_presence.h"
#include "camera/frame_conversion.h"
#include "core/frame_statistics.h"

#include <QCamera>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QTimer>
#include <QVideoSink>

#include <algorithm>
#include <cmath>
#include <utility>

Q_LOGGING_CATEGORY(lcCamera, "frostpane.camera")

namespace {

// No frame for this long while active means the device has stopped: Qt
// reports nothing when a stream dies or a camera is pulled out.
constexpr int kStallMilliseconds = 2500;
// Also how often a camera whose list entry left is checked for frames.
constexpr int kWatchdogMilliseconds = 250;
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
    CameraPresence presence;
    // Buffers for frames that must be turned upright, reused frame to frame.
    Image unturned;
    Image mirrored;
    QVideoFrameFormat::PixelFormat reportedFormat = QVideoFrameFormat::Format_Invalid;
};

QtVideoCamera::QtVideoCamera(QObject *parent)
    : VideoCamera(parent)
    , d(std::make_unique<Private>())
{
    connect(&d->sink, &QVideoSink::videoFrameChanged, this, &QtVideoCamera::storeFrame);
    // Ask for the device list once before listening to its changes: a change
    // handler that is the first to ask can deadlock inside Qt 6.4.
    d->presence.updateList(listed(QMediaDevices::videoInputs()));
    selectDevice();
    connect(&d->devices, &QMediaDevices::videoInputsChanged, this, &QtVideoCamera::devicesChanged);
    d->watchdog.setInterval(kWatchdogMilliseconds);
    connect(&d->watchdog, &QTimer::timeout, this, &QtVideoCamera::checkFramesFlow);
}

QtVideoCamera::~QtVideoCamera()
{
    setActive(false);
}

namespace {

std::int64_t nowMilliseconds()
{
    return steadyMicroseconds() / 1000;
}

} // namespace

QList<CameraPresence::Listed> QtVideoCamera::listed(const QList<QCameraDevice> &inputs)
{
    QList<CameraPresence::Listed> cameras;
    for (const QCameraDevice &input : inputs)
        cameras.append({input.id(), input.description()});
    return cameras;
}

// "Front" is the system's default video input, "back" the first other one.
// Qt 6.4 lists each GStreamer camera twice under different ids, so "another
// camera" must also have another name. An entry left behind by a camera that
// was pulled out is no camera at all.
QCameraDevice QtVideoCamera::deviceOfKind(CameraKind kind) const
{
    const QList<QCameraDevice> inputs = QMediaDevices::videoInputs();
    const auto usable = [this](const QCameraDevice &input) {
        return !input.isNull() && !d->presence.isStale(input.id());
    };
    QCameraDevice front = QMediaDevices::defaultVideoInput();
    if (!usable(front)) {
        const auto fresh = std::find_if(inputs.begin(), inputs.end(), usable);
        front = fresh == inputs.end() ? QCameraDevice() : *fresh;
    }
    if (kind == CameraKind::Front)
        return front;
    for (const QCameraDevice &input : inputs) {
        if (usable(input) && input != front && input.description() != front.description())
            return input;
    }
    return {};
}

void QtVideoCamera::selectDevice()
{
    const QCameraDevice chosen = deviceOfKind(m_kind);
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

bool QtVideoCamera::hasCamera(CameraKind kind) const
{
    return !deviceOfKind(kind).isNull();
}

QString QtVideoCamera::deviceId() const
{
    return QString::fromUtf8(d->device.id());
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
        connect(d->camera.get(), &QCamera::errorOccurred, this, [](QCamera::Error error, const QString &text) {
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
        d->presence.stopped();
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
    d->presence.started(d->device.id(), nowMilliseconds());
    d->sinceFrame.start();
    d->restartTried = false;
    d->watchdog.start();
    Q_EMIT streamStarted();
}

void QtVideoCamera::checkFramesFlow()
{
    if (m_active && d->presence.isGone(nowMilliseconds())) {
        cameraPulledOut();
        return;
    }
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
            Q_EMIT streamStarted();
            return;
        }
    }
    qCWarning(lcCamera) << "camera stopped delivering frames";
    stopByItself();
}

void QtVideoCamera::devicesChanged()
{
    const QList<QCameraDevice> inputs = QMediaDevices::videoInputs();
    qCInfo(lcCamera) << "cameras changed:" << inputs.size() << "listed";
    d->presence.updateList(listed(inputs));
    if (m_active) {
        // The camera in use plays on until its frames have stopped too; the
        // watchdog looks again.
        if (d->presence.isGone(nowMilliseconds()))
            cameraPulledOut();
        return;
    }
    // Stopped: the camera of the chosen kind may have come, gone or changed.
    selectDevice();
    Q_EMIT camerasChanged();
}

void QtVideoCamera::cameraPulledOut()
{
    qCWarning(lcCamera) << "camera removed:" << d->device.description();
    stopByItself();
    selectDevice();
    Q_EMIT camerasChanged();
}

void QtVideoCamera::stopByItself()
{
    m_active = false;
    d->presence.stopped();
    detach();
    // A stream that ended by itself leaves Qt's camera and session unable to
    // start again: the next start builds new ones.
    d->session.reset();
    d->camera.reset();
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
        settings.append({format.resolution().width(), format.resolution().height(), double(format.maxFrameRate())});
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
            if (m_active)
                Q_EMIT streamStarted(); // the frames change from here on
            return;
        }
    }
    qCInfo(lcCamera) << "capture setting not offered:" << setting.width << setting.height << setting.frameRate;
}

void QtVideoCamera::storeFrame(const QVideoFrame &frame)
{
    // The capture thread waits for this handler: keep it short, never block.
    if (!m_active || !frame.isValid())
        return;
    ++m_counts.received;
    if (d->newestFrame.isValid())
        ++m_counts.replaced;
    m_newestArrival = steadyMicroseconds();
    d->presence.frameArrived(m_newestArrival / 1000);
    d->newestFrame = frame;
    const QSize size = frame.size();
    m_delivered = {size.width(), size.height(),
                   frame.surfaceFormat().frameRate() > 0 ? frame.surfaceFormat().frameRate() : m_requested.frameRate};
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
    case QVideoFrameFormat::Format_YUYV:
        return FramePixelFormat::YUYV;
    case QVideoFrameFormat::Format_UYVY:
        return FramePixelFormat::UYVY;
    case QVideoFrameFormat::Format_NV12:
        return FramePixelFormat::NV12;
    case QVideoFrameFormat::Format_NV21:
        return FramePixelFormat::NV21;
    case QVideoFrameFormat::Format_YUV420P:
        return FramePixelFormat::I420;
    case QVideoFrameFormat::Format_YV12:
        return FramePixelFormat::YV12;
    case QVideoFrameFormat::Format_YUV422P:
        return FramePixelFormat::I422;
    case QVideoFrameFormat::Format_AYUV:
    case QVideoFrameFormat::Format_AYUV_Premultiplied:
        return FramePixelFormat::AYUV;
    case QVideoFrameFormat::Format_Y8:
        return FramePixelFormat::GRAY8;
    case QVideoFrameFormat::Format_Y16:
        return FramePixelFormat::Y16;
    case QVideoFrameFormat::Format_P010:
        return FramePixelFormat::P010;
    case QVideoFrameFormat::Format_P016:
        return FramePixelFormat::P016;
    case QVideoFrameFormat::Format_BGRA8888:
    case QVideoFrameFormat::Format_BGRA8888_Premultiplied:
    case QVideoFrameFormat::Format_BGRX8888:
        return FramePixelFormat::BGRA;
    case QVideoFrameFormat::Format_RGBA8888:
    case QVideoFrameFormat::Format_RGBX8888:
        return FramePixelFormat::RGBA;
    case QVideoFrameFormat::Format_ARGB8888:
    case QVideoFrameFormat::Format_ARGB8888_Premultiplied:
    case QVideoFrameFormat::Format_XRGB8888:
        return FramePixelFormat::ARGB;
    case QVideoFrameFormat::Format_ABGR8888:
    case QVideoFrameFormat::Format_XBGR8888:
        return FramePixelFormat::ABGR;
    default:
        return FramePixelFormat::Unsupported;
    }
}

YuvColors yuvColors(const QVideoFrameFormat &format, FramePixelFormat pixelFormat)
{
    YuvColors colors;
    colors.matrix = format.colorSpace() == QVideoFrameFormat::ColorSpace_BT709 ? YuvMatrix::Bt709 : YuvMatrix::Bt601;
    // Grey cameras (monochrome, infrared) use the whole byte unless they say
    // otherwise; colour ones the video range.
    const bool grey = pixelFormat == FramePixelFormat::GRAY8 || pixelFormat == FramePixelFormat::Y16;
    colors.fullRange = grey ? format.colorRange() != QVideoFrameFormat::ColorRange_Video
                            : format.colorRange() == QVideoFrameFormat::ColorRange_Full;
    return colors;
}

FrameRotation frameRotation(QVideoFrame::RotationAngle angle)
{
    switch (angle) {
    case QVideoFrame::Rotation90:
        return FrameRotation::Clockwise90;
    case QVideoFrame::Rotation180:
        return FrameRotation::Clockwise180;
    case QVideoFrame::Rotation270:
        return FrameRotation::Clockwise270;
    default:
        return FrameRotation::None;
    }
}

Size sizeOf(QSize size)
{
    return {size.width(), size.height()};
}

} // namespace

bool QtVideoCamera::takeFrame(Image &target)
{
    QVideoFrame frame = std::exchange(d->newestFrame, QVideoFrame());
    if (!frame.isValid())
        return false;
    m_takenArrival = m_newestArrival;
    const QSize size = frame.size();
    const FramePixelFormat format = framePixelFormat(frame.pixelFormat());
    if (format == FramePixelFormat::Unsupported) {
        // Said once per format: such frames count as none, so the watchdog
        // ends a stream that delivers nothing else.
        if (d->reportedFormat != frame.pixelFormat()) {
            d->reportedFormat = frame.pixelFormat();
            qCWarning(lcCamera) << "frame format not converted:" << frame.pixelFormat() << size;
        }
        return false;
    }
    if (size.isEmpty() || !frame.map(QVideoFrame::ReadOnly))
        return false;
    FramePlanes planes;
    for (int i = 0; i < std::min(frame.planeCount(), 3); ++i) {
        planes.data[i] = frame.bits(i);
        planes.stride[i] = frame.bytesPerLine(i);
        planes.size[i] = frame.mappedBytes(i);
    }

    const FrameRotation rotation = frameRotation(frame.rotationAngle());
    const bool mirrored = frame.mirrored();
    const bool turned = rotation != FrameRotation::None || mirrored;
    // An upright frame is converted straight into the target; a turned one
    // first into a buffer of its own.
    // Reuses the pixels when they fit: no allocation per frame.
    Image &converted = turned ? d->unturned : target;
    converted.ensureSize(sizeOf(size));
    bool ok = !converted.isNull()
              && convertFrame(format, planes, size.width(), size.height(), yuvColors(frame.surfaceFormat(), format),
                              converted.bits(), converted.stride());
    frame.unmap();
    if (ok && turned) {
        const bool quarterTurn = rotation == FrameRotation::Clockwise90 || rotation == FrameRotation::Clockwise270;
        target.ensureSize(sizeOf(quarterTurn ? size.transposed() : size));
        if (mirrored && rotation != FrameRotation::None)
            d->mirrored.ensureSize(sizeOf(size));
        ok = !target.isNull()
             && orientFrame(std::as_const(converted).bits(), converted.stride(), size.width(), size.height(), mirrored,
                            rotation, d->mirrored.bits(), d->mirrored.stride(), target.bits(), target.stride());
    }
    if (!ok) {
        qCDebug(lcCamera) << "frame skipped: incomplete planes" << frame.pixelFormat() << size;
        return false;
    }
    // Only a frame the game can use shows the stream is alive.
    d->sinceFrame.start();
    return true;
}
