#include "app/picture_view.h"

#include "core/game.h"

#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>

PictureView::PictureView(const Game &game, QWidget *parent)
    : BitmapRectangle(parent)
    , m_game(game)
{
    setFillKind(Brush::None);
    setStrokeKind(Brush::None);
    // Every pixel is painted: Qt need not clear behind it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

namespace {

// The output pixels that a logical rectangle covers at this pixel ratio,
// partly covered ones included.
QRect outputPixels(const QRect &logical, double ratio)
{
    if (ratio == 1.0)
        return logical;
    return QRectF(logical.x() * ratio, logical.y() * ratio, logical.width() * ratio,
                  logical.height() * ratio)
        .toAlignedRect();
}

} // namespace

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
            m_game.render(*pixels, origin, outputPixels(rect, ratio));
        Q_EMIT painted();
        return;
    }
    if (m_buffer.size() != m_game.outputSize()) {
        m_buffer = QImage(m_game.outputSize(), QImage::Format_ARGB32_Premultiplied);
        m_buffer.setDevicePixelRatio(ratio);
    }
    for (const QRect &rect : event->region()) {
        const QRect output = outputPixels(rect, ratio);
        m_game.render(m_buffer, QPoint(0, 0), output);
        painter.drawImage(QRectF(output.x() / ratio, output.y() / ratio, output.width() / ratio,
                                 output.height() / ratio),
                          m_buffer, QRectF(output));
    }
    Q_EMIT painted();
}
