#pragma once

#include "core/pointer_gesture.h"
#include "render/scene_renderer.h"
#include "widgets/bitmap_rectangle.h"

#include <QImage>
#include <QPointF>
#include <QRegion>

#include <optional>
#include <utility>

class PlaySession;

class QTouchEvent;

// The game's picture, filling the window: it shows what the game renders and
// reports taps like the other rectangles. A finger (several at once) or the
// mouse with its left button, held down and moved, makes strokes by the
// core's pointer rules (PointerGesture): once one is kTapDistance from where
// it went down, the press is no tap any more and its path, from that first
// point on, is reported segment by segment. Mouse events Qt makes up from
// touch are left out, so a finger counts once.
class PictureView final : public BitmapRectangle
{
    Q_OBJECT

public:
    static constexpr double kTapDistance = PointerTrack::kTapDistance;

    // `banner` is drawn over the picture while the game shows it, `arrow`
    // inside the wave target while the session shows that.
    PictureView(const PlaySession &session, const QImage &banner, const QImage &arrow, QWidget *parent);

    // Where the last tap on the view ended, in logical pixels, once: a
    // click that came from a finger or the mouse has one, a screen
    // reader's press none.
    std::optional<QPointF> takeTapPosition() { return std::exchange(m_tapPosition, std::nullopt); }

    // Repaints the part of the view that shows these output pixels of the
    // game (what a step reports as changed).
    void updateOutput(const QRegion &output);

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
    void stroke(const std::optional<PointerGesture::Segment> &segment);
    void touch(QTouchEvent *event);

    const PlaySession &m_session;
    const Game &m_game;
    SceneRenderer m_renderer;
    std::optional<QPointF> m_tapPosition;
    QImage m_buffer; // only where the window's own pixels cannot be reached
    // The fingers by touch point id, or the mouse's left button.
    PointerGesture m_pointers;
};
