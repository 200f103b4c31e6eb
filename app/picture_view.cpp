#include "app/picture_view.h"

#include "core/game.h"

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

void PictureView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(QPointF(), m_game.output());
}
