#include "ui/callout_rectangle.h"

#include <QPainter>
#include <QPainterPath>

CalloutRectangle::CalloutRectangle(QWidget *parent)
    : BitmapRectangle(parent)
{
}

void CalloutRectangle::setPointerSize(float width, float length)
{
    m_pointerWidth = width;
    m_pointerLength = length;
    update();
}

void CalloutRectangle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity());
    const QRectF area(subPixelOffset(), drawnSize());
    const QRectF box = area.adjusted(0.5, 0.5, -0.5, -0.5 - m_pointerLength);
    QPainterPath path;
    path.addRoundedRect(box, 8.0, 8.0);
    QPainterPath pointer;
    const double cx = box.center().x();
    pointer.moveTo(cx - m_pointerWidth / 2.0, box.bottom() - 1.0);
    pointer.lineTo(cx, box.bottom() + m_pointerLength);
    pointer.lineTo(cx + m_pointerWidth / 2.0, box.bottom() - 1.0);
    pointer.closeSubpath();
    path = path.united(pointer);
    painter.setBrush(fillKind() == Brush::None ? QColor(Qt::transparent) : fillColor());
    painter.setPen(strokeKind() == Brush::None ? QPen(Qt::NoPen) : QPen(strokeColor(), 1.0));
    painter.drawPath(path);
}
