#pragma once

#include "core/image.h"

// Brings camera frames to the picture's size, as the game takes them: the
// middle part with the picture's shape (middlePart()), scaled with a box
// filter, and mirrored left to right for a front camera. The desktop's
// pixels go through libyuv here; a browser does the same with its canvas.
class FrameFitter
{
public:
    // The frame to hand to Game::step for `frame` (32-bit pixels of any
    // size): `frame` itself when it is of the picture's size and needs no
    // mirror (no copy), otherwise a buffer of the fitter's own, reused from
    // frame to frame. Null when `frame` or `picture` is empty.
    Image &fit(Image &frame, Size picture, bool mirrored);

private:
    Image m_scaled; // the scaled middle part, before its mirror
    Image m_fitted;
};
