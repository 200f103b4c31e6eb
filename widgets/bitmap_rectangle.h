#pragma once

#include "widgets/floating.h"

#include <QColor>
#include <QImage>
#include <QWidget>

// A rectangle filled with a color or with a bitmap stretched over it, with an
// optional outline. It draws at a float position, can be scaled from its
// top-left corner (its logical size stays the same), faded with an opacity,
// and reports presses, releases, leaves and clicks. A press ends with a leave
// as soon as the pointer is dragged off, or the rectangle is hidden; a click
// is a press released inside. With hit testing off it
// lets the pointer through to whatever lies beneath.
//
// Screen readers see a rectangle with an accessible name as a button whose
// press action is a quick tap: a press, a release and a click; one without a
// name as a plain backdrop.
class BitmapRectangle : public Floating<QWidget>
{
    Q_OBJECT

public:
    enum class Brush { None, Solid, Bitmap };

    explicit BitmapRectangle(QWidget *parent = nullptr);

    Brush fillKind() const { return m_fillKind; }
    void setFillKind(Brush kind);
    QColor fillColor() const { return m_fillColor; }
    void setFillColor(const QColor &color);
    Brush strokeKind() const { return m_strokeKind; }
    void setStrokeKind(Brush kind);
    QColor strokeColor() const { return m_strokeColor; }
    void setStrokeColor(const QColor &color);

    // The fill picture. Code that paints into it directly calls update()
    // afterwards.
    const QImage &fillBitmap() const { return m_fillBitmap; }
    QImage &fillBitmap() { return m_fillBitmap; }
    void setFillBitmap(const QImage &image);

    float opacity() const { return m_opacity; }
    void setOpacity(float opacity);
    float scaleX() const { return m_scaleX; }
    float scaleY() const { return m_scaleY; }
    void setScaleX(float scale);
    void setScaleY(float scale);

    bool hitTest() const { return m_hitTest; }
    void setHitTest(bool enabled);

    // A tap that needs no pointer: what the press action of assistive
    // technology does. Nothing happens while hidden or with hit testing off.
    void tap();

Q_SIGNALS:
    void pressed();
    void released();
    void left();
    void clicked();

protected:
    QSizeF drawnSize() const override;
    void paintEvent(QPaintEvent *event) override;
    void paintFrame(QPainter &painter, const QRectF &area);
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

    // The press path the mouse handlers take, for pointers that come another
    // way (touch): a press, and its release inside or outside the rectangle.
    void beginHold();
    void releaseHold(bool inside);
    // The press ends without a click, as when the pointer is dragged off.
    void endHold();

private:
    Brush m_fillKind = Brush::Solid;
    QColor m_fillColor = Qt::white;
    Brush m_strokeKind = Brush::Solid;
    QColor m_strokeColor = Qt::black;
    QImage m_fillBitmap;
    // The fill picture smoothly scaled to the pixels it last covered: scaled
    // again only when that size, the density or the picture changes, so
    // frame after frame it costs a plain blit.
    QImage m_scaledBitmap;
    qint64 m_scaledFrom = 0;
    float m_opacity = 1.0f;
    float m_scaleX = 1.0f;
    float m_scaleY = 1.0f;
    bool m_hitTest = true;
    bool m_held = false;
};
