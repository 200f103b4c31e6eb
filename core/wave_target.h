#pragma once

#include "core/geometry.h"
#include "core/image.h"

#include <cstdint>

// The round target that lets a child go on to the next picture alone: once
// a picture is won it shows in the picture's top right corner, and fills while the child waves at it. It fills only while the motion
// inside it clearly exceeds the motion in the rest of the picture, so a
// noisy camera, a light switched on, a moved camera or a child dancing in
// front of the whole picture never fill it; a hand that only passes by
// drains away again. Counted in camera frames, as the ice is.
class WaveTarget
{
public:
    // About a second of steady waving at 30 frames a second fills it; with
    // no waving it empties twice as fast.
    static constexpr int kFramesToFill = 30;
    static constexpr int kFramesToDrain = 15;
    // Waving counts when at least this share of the target's pixels move,
    // and that share is at least kOverRest times the share of the rest of
    // the picture that moves.
    static constexpr double kMinMovingInside = 0.04;
    static constexpr double kOverRest = 4.0;

    // The moving shares of one frame: inside the target and in the rest of
    // the picture, each 0..1.
    struct Motion
    {
        double inside = 0.0;
        double rest = 0.0;
    };

    // Where the target sits on a picture of that size, in picture pixels: a
    // circle a fifth of the picture's height across, in its top right
    // corner, inside the picture (its lowest point 22 % of the height from
    // the top). The banner's lettering lies across the middle of the window
    // (from 23 % of the picture's height in a 21:9 window, 35 % at 4:3 and in
    // any taller window), the progress bar near the bottom and the tools
    // around the window's middle, so the corner keeps clear of all three.
    struct Circle
    {
        double centerX = 0.0;
        double centerY = 0.0;
        double radius = 0.0;
        bool contains(Point p) const;
        // The picture pixels whose centres lie in it.
        Rect bounds() const;
    };
    static Circle placeOn(Size picture);
    // The whole pixels that drawing a target of that centre and radius
    // touches (one more on each side for its soft edge), in the same units.
    static Rect areaAround(double centerX, double centerY, double radius);

    // Counts, with the melt rule's own test (the colour change of a pixel,
    // summed over red, green and blue, above `sensitivity`), the share of the
    // circle's pixels that changed from `previous` to `frame`, and the share
    // of the rest of the picture (every fourth pixel of every fourth row:
    // the rest only has to tell motion everywhere from motion here). Both
    // images are of the picture's size; nothing outside them is read.
    static Motion motionOf(ConstImageView frame, ConstImageView previous, const Circle &circle,
                           std::int32_t sensitivity);

    bool isShown() const { return m_shown; }
    // 0 (empty) to 1 (full).
    double fill() const { return double(m_fill) / double(kFullUnits); }
    // Shown afresh, empty; or gone.
    void show();
    void hide();
    // One camera frame's motion: true when this frame filled it.
    bool frameSeen(Motion motion);

private:
    // The fill in whole units, so that rising and draining stay exact: a
    // frame of waving adds kFullUnits / kFramesToFill, a frame without takes
    // kFullUnits / kFramesToDrain.
    static constexpr int kFullUnits = kFramesToFill * kFramesToDrain;

    bool m_shown = false;
    int m_fill = 0;
};
