#include "widgets/bitmap_rectangle.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>

#include <mutex>

namespace {

// A rectangle as a screen reader sees it: a button that can be pressed.
class AccessibleBitmapRectangle final : public QAccessibleWidget
{
public:
    explicit AccessibleBitmapRectangle(BitmapRectangle *rectangle)
        : QAccessibleWidget(rectangle, QAccessible::Button)
    {
        addControllingSignal(QStringLiteral("clicked()"));
    }

    // A rectangle with no name is a backdrop behind other controls.
    QAccessible::Role role() const override
    {
        return widget()->accessibleName().isEmpty() ? QAccessible::Pane : QAccessible::Button;
    }
    QStringList actionNames() const override
    {
        return role() == QAccessible::Button ? QStringList{pressAction()} : QStringList{};
    }
    void doAction(const QString &action) override
    {
        if (action == pressAction() && role() == QAccessible::Button)
            static_cast<BitmapRectangle *>(widget())->tap();
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
};

QAccessibleInterface *accessibleBitmapRectangle(const QString &className, QObject *object)
{
    // Also for the classes built on it that have no interface of their own.
    if (auto *rectangle = qobject_cast<BitmapRectangle *>(object)) {
        if (className == QString::fromLatin1(rectangle->metaObject()->className()))
            return new AccessibleBitmapRectangle(rectangle);
    }
    return nullptr;
}

} // namespace

BitmapRectangle::BitmapRectangle(QWidget *parent)
    : Floating<QWidget>(parent)
{
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(accessibleBitmapRectangle); });
    setAttribute(Qt::WA_NoSystemBackground);
}

void BitmapRectangle::tap()
{
    if (!isVisible() || !m_hitTest)
        return;
    m_held = true;
    Q_EMIT pressed();
    const bool wasHeld = m_held; // a pressed handler may have ended the hold
    m_held = false;
    Q_EMIT released();
    if (wasHeld)
        Q_EMIT clicked();
}

void BitmapRectangle::setFillKind(Brush kind)
{
    m_fillKind = kind;
    update();
}

void BitmapRectangle::setFillColor(const QColor &color)
{
    m_fillColor = color;
    update();
}

void BitmapRectangle::setStrokeKind(Brush kind)
{
    m_strokeKind = kind;
    update();
}

void BitmapRectangle::setStrokeColor(const QColor &color)
{
    m_strokeColor = color;
    update();
}

void BitmapRectangle::setFillBitmap(const QImage &image)
{
    m_fillBitmap = image;
    update();
}

void BitmapRectangle::setOpacity(float opacity)
{
    m_opacity = opacity;
    update();
}

void BitmapRectangle::setScaleX(float scale)
{
    m_scaleX = scale;
    place();
}

void BitmapRectangle::setScaleY(float scale)
{
    m_scaleY = scale;
    place();
}

void BitmapRectangle::setHitTest(bool enabled)
{
    m_hitTest = enabled;
    setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
}

QSizeF BitmapRectangle::drawnSize() const
{
    return {double(widthF()) * double(m_scaleX), double(heightF()) * double(m_scaleY)};
}

void BitmapRectangle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setOpacity(m_opacity);
    paintFrame(painter, QRectF(subPixelOffset(), drawnSize()));
}

void BitmapRectangle::paintFrame(QPainter &painter, const QRectF &area)
{
    if (m_fillKind == Brush::Solid && m_fillColor.alpha() != 0) {
        painter.fillRect(area, m_fillColor);
    } else if (m_fillKind == Brush::Bitmap && !m_fillBitmap.isNull()) {
        // The density of the pixels really painted (under QWidget::render the
        // painter's device is the widget, the engine's the target).
        const QPaintDevice *target = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
        const double ratio = target ? target->devicePixelRatioF() : 1.0;
        const QSize pixels = (area.size() * ratio).toSize();
        if (m_scaledBitmap.size() != pixels || m_scaledFrom != m_fillBitmap.cacheKey()
            || m_scaledBitmap.devicePixelRatio() != ratio) {
            m_scaledFrom = m_fillBitmap.cacheKey();
            if (pixels == m_fillBitmap.size())
                m_scaledBitmap = m_fillBitmap;
            else if (!pixels.isEmpty())
                m_scaledBitmap = m_fillBitmap.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            else
                m_scaledBitmap = QImage();
            m_scaledBitmap.setDevicePixelRatio(ratio);
        }
        if (area.topLeft() == QPointF()) {
            painter.drawImage(QPointF(), m_scaledBitmap); // a plain blit
        } else {
            // Only shifted by a fraction of a pixel, never scaled here.
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(area.topLeft(), m_scaledBitmap);
        }
    }
    if (m_strokeKind == Brush::Solid && m_strokeColor.alpha() != 0) {
        painter.setPen(QPen(m_strokeColor, 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(area.adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

void BitmapRectangle::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    beginHold();
}

void BitmapRectangle::beginHold()
{
    m_held = true;
    Q_EMIT pressed();
}

void BitmapRectangle::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    // While a button is held Qt sends the leave only after the release: a
    // pointer dragged off ends the press as soon as it is outside.
    if (m_held && !rect().contains(event->position().toPoint()))
        endHold();
}

void BitmapRectangle::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    // Decide before the release handlers run: they may shrink or move us.
    releaseHold(rect().contains(event->position().toPoint()));
}

void BitmapRectangle::releaseHold(bool inside)
{
    const bool wasHeld = m_held;
    m_held = false;
    Q_EMIT released();
    if (wasHeld && inside)
        Q_EMIT clicked();
}

void BitmapRectangle::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    Q_EMIT left();
}

void BitmapRectangle::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A hidden widget never gets the release of a press it holds, so hiding
    // ends the press as the pointer leaving would.
    endHold();
}

void BitmapRectangle::endHold()
{
    if (!m_held)
        return;
    m_held = false;
    Q_EMIT left();
}
