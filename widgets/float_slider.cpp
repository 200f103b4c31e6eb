#include "widgets/float_slider.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

FloatSlider::FloatSlider(QWidget *parent)
    : Floating<QWidget>(parent)
{
    setCursor(Qt::PointingHandCursor);
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
    Q_EMIT valueChanged();
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
    painter.drawRoundedRect(QRectF(groove.left(), groove.top(), span * t, grooveHeight),
                            grooveHeight / 2.0, grooveHeight / 2.0);

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
    Q_EMIT thumbDragged();
    if (m_tracking)
        Q_EMIT valueChanged();
}
