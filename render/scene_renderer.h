#pragma once

#include "core/game.h"
#include "core/image.h"

#include <optional>
#include <vector>

class PlaySession;

// Draws what a game's output shows into 32-bit pixels of this machine's
// 0xAARRGGBB words (Qt's RGB32 and premultiplied ARGB32): the picture the
// game shows scaled into its place, black around it, and in play the
// progress bar and the banner. The one place that draws the game on the
// desktop; it decides nothing the game does not tell.
class SceneRenderer
{
public:
    // The banner and the next-picture arrow in premultiplied 0xAARRGGBB
    // words; each scaled to its place once per size.
    explicit SceneRenderer(Image banner, Image arrow = {})
        : m_banner(std::move(banner))
        , m_arrow(std::move(arrow))
    { }

    // The wave target as the session shows it: its centre and radius in
    // output pixels, and how full it is (0..1).
    struct WaveTargetLook
    {
        double centerX = 0.0;
        double centerY = 0.0;
        double radius = 0.0;
        double fill = 0.0;
    };
    // The session's target while it shows and the game plays in the ice
    // view; nothing otherwise.
    static std::optional<WaveTargetLook> waveTargetOf(const PlaySession &session);
    // The output pixels the target's drawing covers.
    static Rect waveTargetArea(const WaveTargetLook &look);

    // Draws the part `clip` of the output (output coordinates) into `target`,
    // whose pixel (originX, originY) is the output's top-left corner. Every
    // pixel of the clip inside the output and the target is written; nothing
    // outside it. The wave target, when given, goes over the picture: a
    // translucent disc with the arrow in it and, round its edge, the fill as
    // a ring that grows clockwise from the top.
    void render(const Game &game, ImageView target, int originX, int originY, const Rect &clip,
                const std::optional<WaveTargetLook> &wave = std::nullopt);
    // Everything the session shows: its game and its wave target.
    void render(const PlaySession &session, ImageView target, int originX, int originY, const Rect &clip);

private:
    const Image &scaledBanner(Size size);
    // The target drawn whole (premultiplied), for this look's size and fill.
    const Image &waveTargetSprite(const WaveTargetLook &look);

    Image m_banner;
    Image m_scaledBanner;
    Image m_arrow;
    // Kept per size: the target empty and with a full ring, and where round
    // the ring each pixel lies (0 at the top, growing clockwise to 1).
    struct TargetParts
    {
        int diameter = 0;
        double radius = 0.0;
        double centerX = 0.0; // within the drawing's square
        double centerY = 0.0;
        Image empty;
        Image full;
        std::vector<float> turn;
        std::vector<float> edge; // how many pixels one whole turn is long there
    } m_targetParts;
    Image m_targetSprite;
    double m_spriteFill = -1.0;
};
