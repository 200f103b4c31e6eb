#pragma once

#include "widgets/floating.h"

#include <QWidget>

// A horizontal slider whose value is a float anywhere in [minimum, maximum].
// valueChanged() is emitted whenever the value changes, also when the program
// sets it (block signals around program-made changes that must not reach the
// handlers). While the user drags the thumb, thumbDragged() follows the thumb;
// with tracking off, valueChanged() comes once on release, with tracking on at
// every move.
class FloatSlider : public Floating<QWidget>
{
    Q_OBJECT

public:
    explicit FloatSlider(QWidget *parent = nullptr);

    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }
    double value() const { return m_value; }
    bool tracking() const { return m_tracking; }
    double tickFrequency() const { return m_tickFrequency; }

    void setMinimum(double minimum);
    void setMaximum(double maximum);
    void setValue(double value);
    void setTracking(bool tracking) { m_tracking = tracking; }
    void setTickFrequency(double frequency);

    // Value under a horizontal widget coordinate; used by dragging and tests.
    double valueAt(double x) const;

Q_SIGNALS:
    void valueChanged();
    void thumbDragged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    double thumbRadius() const;
    void dragTo(double x);

    double m_minimum = 0.0;
    double m_maximum = 100.0;
    double m_value = 0.0;
    double m_valueAtPress = 0.0;
    double m_tickFrequency = 0.0;
    bool m_tracking = true;
    bool m_dragging = false;
};
