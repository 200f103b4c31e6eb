#pragma once

#include "widgets/bitmap_rectangle.h"

class Game;

// The game's picture, filling the window: it shows what the game composed,
// 1:1, and reports taps like the other rectangles.
class PictureView final : public BitmapRectangle
{
    Q_OBJECT

public:
    PictureView(const Game &game, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const Game &m_game;
};
