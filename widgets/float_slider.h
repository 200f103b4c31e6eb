#pragma once

#include "widgets/floating.h"

#include <QWidget>

// A horizontal slider whose value is a float anywhere in [minimum, maximum].
// valueChanged() is emitted whenever the value changes, also when the program
// sets it (block signals around program-made changes that must not reach the
// handlers). While the user drags the thumb, thumbDragged() follows the thumb;
// with tracking off, valueChanged() comes once on release, with tracking on at
// every move.
//
// With the keyboard focus (Tab), the arrow keys move it by one step, Page Up
// and Page Down by a page, Home and End to its ends; a key's change is a
// finished one, reported by valueChanged() whatever the tracking. Screen
// readers see a slider with its value and range.
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
    double singleStep() const { return m_singleStep; }
    double pageStep() const { return m_pageStep; }

    void setMinimum(double minimum);
    void setMaximum(double maximum);
    void setValue(double value);
    void setTracking(bool tracking) { m_tracking = tracking; }
    void setTickFrequency(double frequency);
    void setSingleStep(double step) { m_singleStep = step; }
    void setPageStep(double step) { m_pageStep = step; }

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
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    double thumbRadius() const;
    void dragTo(double x);
    void announceValue();

    double m_minimum = 0.0;
    double m_maximum = 100.0;
    double m_value = 0.0;
    double m_valueAtPress = 0.0;
    double m_tickFrequency = 0.0;
    double m_singleStep = 1.0;
    double m_pageStep = 10.0;
    bool m_tracking = true;
    bool m_dragging = false;
};
