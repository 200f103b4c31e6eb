#pragma once

#include "ui/bitmap_rectangle.h"

// A rounded box with a small pointer at its bottom edge, for short notices.
class CalloutRectangle : public BitmapRectangle
{
    Q_OBJECT

public:
    explicit CalloutRectangle(QWidget *parent = nullptr);

    void setPointerSize(float width, float length);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    float m_pointerWidth = 23.0f;
    float m_pointerLength = 11.0f;
};
