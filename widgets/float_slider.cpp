#include "widgets/float_slider.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <mutex>

namespace {

// What a screen reader sees of a FloatSlider: a slider with a value it can
// read and set within the range.
class AccessibleFloatSlider final : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit AccessibleFloatSlider(FloatSlider *slider)
        : QAccessibleWidget(slider, QAccessible::Slider)
    { }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return QString::number(slider()->value(), 'g', 6);
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return slider()->value(); }
    void setCurrentValue(const QVariant &value) override
    {
        bool ok = false;
        const double v = value.toDouble(&ok);
        if (ok && slider()->isEnabled())
            slider()->setValue(v);
    }
    QVariant maximumValue() const override { return slider()->maximum(); }
    QVariant minimumValue() const override { return slider()->minimum(); }
    QVariant minimumStepSize() const override { return slider()->singleStep(); }

private:
    FloatSlider *slider() const { return static_cast<FloatSlider *>(widget()); }
};

QAccessibleInterface *accessibleFloatSlider(const QString &className, QObject *object)
{
    if (className == QLatin1String("FloatSlider") && object && object->isWidgetType())
        return new AccessibleFloatSlider(static_cast<FloatSlider *>(object));
    return nullptr;
}

} // namespace

FloatSlider::FloatSlider(QWidget *parent)
    : Floating<QWidget>(parent)
{
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(accessibleFloatSlider); });
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void FloatSlider::setMinimum(double minimum)
{
    m_minimum = minimum;
    m_maximum = std::max(m_maximum, m_minimum);
    setValue(m_value);
    update();
}

void FloatSlider::setMaximum(double maximum)
{
    m_maximum = maximum;
    m_minimum = std::min(m_minimum, m_maximum);
    setValue(m_value);
    update();
}

void FloatSlider::setValue(double value)
{
    const double clamped = std::clamp(value, m_minimum, m_maximum);
    if (clamped == m_value)
        return;
    m_value = clamped;
    update();
    announceValue();
    Q_EMIT valueChanged();
}

void FloatSlider::announceValue()
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent event(this, m_value);
    QAccessible::updateAccessibility(&event);
}

void FloatSlider::setTickFrequency(double frequency)
{
    m_tickFrequency = frequency;
    update();
}

double FloatSlider::thumbRadius() const
{
    return std::max(4.0, height() / 2.0 - 1.0);
}

double FloatSlider::valueAt(double x) const
{
    const double r = thumbRadius();
    const double span = width() - 2.0 * r;
    if (span <= 0.0 || m_maximum <= m_minimum)
        return m_minimum;
    const double t = std::clamp((x - r) / span, 0.0, 1.0);
    return m_minimum + t * (m_maximum - m_minimum);
}

void FloatSlider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double r = thumbRadius();
    const double mid = height() / 2.0;
    const double span = std::max(0.0, width() - 2.0 * r);
    const double t = m_maximum > m_minimum ? (m_value - m_minimum) / (m_maximum - m_minimum) : 0.0;
    const QColor accent = isEnabled() ? QColor(0x1E, 0x88, 0xE5) : QColor(0x9E, 0x9E, 0x9E);

    // A dark backdrop keeps the slider visible over any picture, ice included.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 120));
    painter.drawRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);

    const double grooveHeight = std::max(4.0, height() / 5.0);
    const QRectF groove(r, mid - grooveHeight / 2.0, span, grooveHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawRoundedRect(groove, grooveHeight / 2.0, grooveHeight / 2.0);
    painter.setBrush(accent);
    painter.drawRoundedRect(QRectF(groove.left(), groove.top(), span * t, grooveHeight), grooveHeight / 2.0,
                            grooveHeight / 2.0);

    if (m_tickFrequency > 0.0 && m_maximum > m_minimum) {
        painter.setPen(QPen(QColor(255, 255, 255, 160), 1.0));
        const int ticks = int((m_maximum - m_minimum) / m_tickFrequency);
        for (int i = 0; i <= ticks && i <= 200; ++i) {
            const double x = r + span * (i * m_tickFrequency) / (m_maximum - m_minimum);
            painter.drawLine(QPointF(x, groove.bottom() + 1.0), QPointF(x, groove.bottom() + 3.0));
        }
    }

    painter.setPen(QPen(Qt::white, 2.0));
    painter.setBrush(accent);
    painter.drawEllipse(QPointF(r + span * t, mid), r - 1.0, r - 1.0);

    // The keyboard's place: a bright ring around the whole slider.
    if (hasFocus()) {
        painter.setPen(QPen(QColor(0xFF, 0xC1, 0x07), 2.0));
        painter.setBrush(Qt::NoBrush);
        const QRectF ring = QRectF(rect()).adjusted(1.0, 1.0, -1.0, -1.0);
        painter.drawRoundedRect(ring, ring.height() / 2.0, ring.height() / 2.0);
    }
}

void FloatSlider::keyPressEvent(QKeyEvent *event)
{
    double target = m_value;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        target -= m_singleStep;
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        target += m_singleStep;
        break;
    case Qt::Key_PageDown:
        target -= m_pageStep;
        break;
    case Qt::Key_PageUp:
        target += m_pageStep;
        break;
    case Qt::Key_Home:
        target = m_minimum;
        break;
    case Qt::Key_End:
        target = m_maximum;
        break;
    default:
        Floating<QWidget>::keyPressEvent(event);
        return;
    }
    event->accept();
    if (m_dragging)
        return; // the pointer has it
    setValue(target);
}

void FloatSlider::focusInEvent(QFocusEvent *event)
{
    Floating<QWidget>::focusInEvent(event);
    update();
}

void FloatSlider::focusOutEvent(QFocusEvent *event)
{
    Floating<QWidget>::focusOutEvent(event);
    update();
}

void FloatSlider::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    m_dragging = true;
    m_valueAtPress = m_value;
    dragTo(event->position().x());
}

void FloatSlider::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (m_dragging)
        dragTo(event->position().x());
}

void FloatSlider::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (!m_dragging)
        return;
    m_dragging = false;
    if (!m_tracking && m_value != m_valueAtPress)
        Q_EMIT valueChanged();
}

void FloatSlider::dragTo(double x)
{
    const double v = valueAt(x);
    if (v == m_value)
        return;
    m_value = v;
    update();
    announceValue();
    Q_EMIT thumbDragged();
    if (m_tracking)
        Q_EMIT valueChanged();
}
