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

void PictureView::paintEvent(QPaintEvent *event)
{
    // The game renders straight into the pixels being painted when they are a
    // plain 32-bit image at one pixel per unit (a raster window's backing
    // store): the picture is scaled once, into place, with no window-sized
    // copy between. Only the region asked for is written, so the icons above
    // stay intact. Painting redirected elsewhere (grab(), a high-density
    // screen) goes through a buffer instead.
    QPainter painter(this);
    QPaintEngine *engine = painter.paintEngine();
    auto *pixels = engine ? dynamic_cast<QImage *>(engine->paintDevice()) : nullptr;
    const QTransform toDevice = painter.deviceTransform();
    const bool direct = pixels && pixels->devicePixelRatio() == 1.0
                        && toDevice.type() <= QTransform::TxTranslate
                        && (pixels->format() == QImage::Format_RGB32
                            || pixels->format() == QImage::Format_ARGB32_Premultiplied);
    if (direct) {
        const QPoint origin = toDevice.map(QPoint(0, 0));
        for (const QRect &rect : event->region())
            m_game.render(*pixels, origin, rect);
        Q_EMIT painted();
        return;
    }
    if (m_buffer.size() != size())
        m_buffer = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    for (const QRect &rect : event->region()) {
        m_game.render(m_buffer, QPoint(0, 0), rect);
        painter.drawImage(rect.topLeft(), m_buffer, rect);
    }
    Q_EMIT painted();
}
