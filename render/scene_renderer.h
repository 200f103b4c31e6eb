#pragma once

#include "core/game.h"
#include "core/image.h"

// Draws what a game's output shows into 32-bit pixels of this machine's
// 0xAARRGGBB words (Qt's RGB32 and premultiplied ARGB32): the picture the
// game shows scaled into its place, black around it, and in play the
// progress bar and the banner. The one place that draws the game on the
// desktop; it decides nothing the game does not tell.
class SceneRenderer
{
public:
    // The banner in premultiplied 0xAARRGGBB words; scaled to its place
    // once per size.
    explicit SceneRenderer(Image banner)
        : m_banner(std::move(banner))
    { }

    // Draws the part `clip` of the output (output coordinates) into `target`,
    // whose pixel (originX, originY) is the output's top-left corner. Every
    // pixel of the clip inside the output and the target is written; nothing
    // outside it.
    void render(const Game &game, ImageView target, int originX, int originY, const Rect &clip);

private:
    const Image &scaledBanner(Size size);

    Image m_banner;
    Image m_scaledBanner;
};
