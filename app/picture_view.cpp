#include "app/picture_view.h"

#include "bridge/qt_bridge.h"
#include "core/game.h"
#include "core/play_session.h"
#include "widgets/accessible_text.h"

#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QTouchEvent>

namespace {

// Qt makes up mouse events for a finger a widget did not take as touch; the
// touch events have told that finger's story already.
bool madeUpFromTouch(const QMouseEvent *event)
{
    const QInputDevice *device = event->device();
    return device && device->type() == QInputDevice::DeviceType::TouchScreen;
}

} // namespace

PictureView::PictureView(const PlaySession &session, const QImage &banner, const QImage &arrow, QWidget *parent)
    : BitmapRectangle(parent)
    , m_session(session)
    , m_game(session.game())
    , m_renderer(imageFromQImage(banner), imageFromQImage(arrow))
{
    setFillKind(Brush::None);
    setStrokeKind(Brush::None);
    // Every pixel is painted: Qt need not clear behind it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_AcceptTouchEvents);
    setAccessibleText(this, tr("Picture"),
                      tr("The picture under the ice. Wave at the camera or drag a finger over it to wipe the ice; "
                         "tap it to show the tools."));
}

namespace {

// The mouse's left button among the fingers: Qt's touch point ids are never
// negative.
constexpr int kMouse = -1;

} // namespace

void PictureView::stroke(const std::optional<PointerGesture::Segment> &segment)
{
    if (!segment)
        return;
    // No tap any more: the press ends without a click, and the stroke starts
    // where the pointer went down.
    endHold();
    const double ratio = m_game.pixelRatio();
    Q_EMIT stroked(toQPointF(segment->from) * ratio, toQPointF(segment->to) * ratio);
}

void PictureView::mousePressEvent(QMouseEvent *event)
{
    if (madeUpFromTouch(event)) {
        event->accept();
        return;
    }
    BitmapRectangle::mousePressEvent(event);
    m_tapPosition.reset();
    if (event->button() == Qt::LeftButton)
        m_pointers.down(kMouse, toPoint(event->position()));
}

void PictureView::mouseMoveEvent(QMouseEvent *event)
{
    if (madeUpFromTouch(event)) {
        event->accept();
        return;
    }
    BitmapRectangle::mouseMoveEvent(event);
    if (event->buttons() & Qt::LeftButton)
        stroke(m_pointers.move(kMouse, toPoint(event->position())));
}

void PictureView::mouseReleaseEvent(QMouseEvent *event)
{
    if (madeUpFromTouch(event)) {
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        const PointerGesture::Lift lift = m_pointers.up(kMouse, toPoint(event->position()));
        stroke(lift.segment);
        m_tapPosition = lift.endsTap ? std::optional<QPointF>(event->position()) : std::nullopt;
    }
    BitmapRectangle::mouseReleaseEvent(event);
}

bool PictureView::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
        touch(static_cast<QTouchEvent *>(event));
        return true;
    default:
        return BitmapRectangle::event(event);
    }
}

void PictureView::touch(QTouchEvent *event)
{
    // With hit testing off (an icon is held) the picture takes no finger.
    if (event->type() == QEvent::TouchBegin && !hitTest()) {
        event->ignore();
        return;
    }
    event->accept();
    if (event->type() == QEvent::TouchCancel) {
        // The system took the fingers away: their strokes end, and no tap.
        m_pointers.cancelAll();
        endHold();
        return;
    }
    // The first finger down presses, as the mouse does; the fingers lifted
    // together are a tap unless one of them made a stroke.
    if (event->type() == QEvent::TouchBegin) {
        m_tapPosition.reset();
        m_pointers.cancelAll();
        beginHold();
    }
    bool releasedInside = false;
    for (const QEventPoint &point : event->points()) {
        switch (point.state()) {
        case QEventPoint::Pressed:
            m_pointers.down(point.id(), toPoint(point.position()));
            break;
        case QEventPoint::Updated:
            stroke(m_pointers.move(point.id(), toPoint(point.position())));
            break;
        case QEventPoint::Released: {
            const PointerGesture::Lift lift = m_pointers.up(point.id(), toPoint(point.position()));
            stroke(lift.segment);
            releasedInside = rect().contains(point.position().toPoint());
            // The fingers' tap ends where the last one is lifted.
            m_tapPosition = lift.endsTap ? std::optional<QPointF>(point.position()) : std::nullopt;
            break;
        }
        default:
            break;
        }
    }
    if (event->type() == QEvent::TouchEnd) {
        m_pointers.cancelAll();
        releaseHold(releasedInside);
    }
}

namespace {

QRectF scaled(const QRect &rect, double factor)
{
    return {rect.x() * factor, rect.y() * factor, rect.width() * factor, rect.height() * factor};
}

// The output pixels that a logical rectangle covers at this pixel ratio,
// partly covered ones included.
QRect outputPixels(const QRect &logical, double ratio)
{
    return ratio == 1.0 ? logical : scaled(logical, ratio).toAlignedRect();
}

// The pixels of a 32-bit image (checked by the caller), for drawing into.
ImageView imageViewOf(QImage &image)
{
    return {image.bits(), image.width(), image.height(), std::ptrdiff_t(image.bytesPerLine())};
}

} // namespace

void PictureView::updateOutput(const QRegion &output)
{
    const double ratio = m_game.pixelRatio();
    if (ratio == 1.0) {
        update(output);
        return;
    }
    QRegion logical;
    for (const QRect &rect : output)
        logical += scaled(rect, 1.0 / ratio).toAlignedRect();
    update(logical);
}

void PictureView::paintEvent(QPaintEvent *event)
{
    // The game renders straight into the pixels being painted when they are a
    // plain 32-bit image (a raster window's backing store, at any density):
    // the picture is scaled once, into place, at the screen's own pixels, with
    // no window-sized copy between. Only the region asked for is written, so
    // the icons above stay intact. Painting redirected elsewhere (grab(), a
    // printer) goes through a buffer of output pixels instead.
    QPainter painter(this);
    QPaintEngine *engine = painter.paintEngine();
    auto *pixels = engine ? dynamic_cast<QImage *>(engine->paintDevice()) : nullptr;
    const QTransform toDevice = painter.deviceTransform();
    const double ratio = m_game.pixelRatio();
    if (devicePixelRatioF() != ratio)
        Q_EMIT pixelRatioChanged();
    const bool direct = pixels && toDevice.type() <= QTransform::TxScale && toDevice.m11() == ratio
                        && toDevice.m22() == ratio
                        && (pixels->format() == QImage::Format_RGB32
                            || pixels->format() == QImage::Format_ARGB32_Premultiplied);
    if (direct) {
        const QPoint origin = toDevice.map(QPointF(0, 0)).toPoint();
        for (const QRect &rect : event->region())
            m_renderer.render(m_session, imageViewOf(*pixels), origin.x(), origin.y(),
                              toRect(outputPixels(rect, ratio)));
        Q_EMIT painted();
        return;
    }
    if (m_buffer.size() != toQSize(m_game.outputSize())) {
        m_buffer = QImage(toQSize(m_game.outputSize()), QImage::Format_ARGB32_Premultiplied);
        m_buffer.setDevicePixelRatio(ratio);
    }
    for (const QRect &rect : event->region()) {
        const QRect output = outputPixels(rect, ratio);
        m_renderer.render(m_session, imageViewOf(m_buffer), 0, 0, toRect(output));
        painter.drawImage(scaled(output, 1.0 / ratio), m_buffer, QRectF(output));
    }
    Q_EMIT painted();
}
