#pragma once

#include "core/pointer_track.h"
#include "render/scene_renderer.h"
#include "widgets/bitmap_rectangle.h"

#include <QHash>
#include <QImage>
#include <QPointF>

#include <optional>

class QTouchEvent;

// The game's picture, filling the window: it shows what the game renders and
// reports taps like the other rectangles. A finger (several at once) or the
// mouse with its left button, held down and moved, makes strokes: once it is
// kTapDistance from where it went down, the press is no tap any more and its
// path, from that first point on, is reported segment by segment. A press
// that moved less is a tap, as before. Mouse events Qt makes up from touch
// are left out, so a finger counts once.
class PictureView final : public BitmapRectangle
{
    Q_OBJECT

public:
    static constexpr double kTapDistance = PointerTrack::kTapDistance;

    // `banner` is drawn over the picture while the game shows it.
    PictureView(const Game &game, const QImage &banner, QWidget *parent);

    // Repaints the part of the view that shows these output pixels of the
    // game (what a step reports as changed).
    void updateOutput(const QRect &output);

Q_SIGNALS:
    // A paint has just put the game's picture into the window.
    void painted();
    // A stroke went from `from` to `to`, in the game's output pixels.
    void stroked(QPointF from, QPointF to);
    // The window's pixels are no longer what the game's output is made for
    // (the window went to a screen of another density): lay it out again.
    void pixelRatioChanged();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // One finger, or the mouse, while it is down.
    void moveTo(PointerTrack &pointer, QPointF position);
    void touch(QTouchEvent *event);

    const Game &m_game;
    SceneRenderer m_renderer;
    QImage m_buffer; // only where the window's own pixels cannot be reached
    std::optional<PointerTrack> m_mouse;
    QHash<int, PointerTrack> m_fingers; // by touch point id
};
