#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QWidget>

#include <cmath>

// Gives a widget a position and size in logical units held as single-precision
// floats, the way the game's layout computes them (for example 451.5 for a
// centered button). The real QWidget geometry is the smallest whole-pixel
// rectangle that covers the float one; painting can use subPixelOffset() to
// draw at the exact place.
template <typename Widget> class Floating : public Widget
{
public:
    using Widget::Widget;

    float xF() const { return m_x; }
    float yF() const { return m_y; }
    float widthF() const { return m_width; }
    float heightF() const { return m_height; }
    QPointF positionF() const { return {m_x, m_y}; }
    QSizeF sizeF() const { return {m_width, m_height}; }

    void setXF(float x)
    {
        m_x = x;
        place();
    }
    void setYF(float y)
    {
        m_y = y;
        place();
    }
    void setWidthF(float w)
    {
        m_width = w;
        place();
    }
    void setHeightF(float h)
    {
        m_height = h;
        place();
    }
    void setPositionF(float x, float y)
    {
        m_x = x;
        m_y = y;
        place();
    }
    void setSizeF(float w, float h)
    {
        m_width = w;
        m_height = h;
        place();
    }
    void setGeometryF(float x, float y, float w, float h)
    {
        m_x = x;
        m_y = y;
        m_width = w;
        m_height = h;
        place();
    }

protected:
    // The area the widget draws into, relative to its float position. Scaled
    // controls draw larger than their logical size.
    virtual QSizeF drawnSize() const { return sizeF(); }

    // Offset of the float position inside the whole-pixel widget rectangle.
    QPointF subPixelOffset() const { return {m_x - std::floor(m_x), m_y - std::floor(m_y)}; }

    void place()
    {
        const QSizeF drawn = drawnSize();
        const QRectF exact(m_x, m_y, std::max(0.0, drawn.width()), std::max(0.0, drawn.height()));
        QRect covering = exact.toAlignedRect();
        if (exact.isEmpty())
            covering.setSize({0, 0});
        Widget::setGeometry(covering);
        Widget::update();
    }

private:
    float m_x = 0.0f;
    float m_y = 0.0f;
    float m_width = 0.0f;
    float m_height = 0.0f;
};
