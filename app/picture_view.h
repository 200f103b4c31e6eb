#pragma once

#include "widgets/bitmap_rectangle.h"

#include <QImage>

class Game;

// The game's picture, filling the window: it shows what the game renders and
// reports taps like the other rectangles.
class PictureView final : public BitmapRectangle
{
    Q_OBJECT

public:
    PictureView(const Game &game, QWidget *parent);

Q_SIGNALS:
    // A paint has just put the game's picture into the window.
    void painted();
    // The window's pixels are no longer what the game's output is made for
    // (the window went to a screen of another density): lay it out again.
    void pixelRatioChanged();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const Game &m_game;
    QImage m_buffer; // only where the window's own pixels cannot be reached
};
