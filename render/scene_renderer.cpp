#include "render/scene_renderer.h"

#include "core/wave_target.h"

#include "core/play_session.h"

#include <libyuv/planar_functions.h>
#include <libyuv/scale_argb.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;

// Fills the part of `area` inside `clip` (target coordinates).
void fill(ImageView target, const Rect &area, const Rect &clip, std::uint32_t color)
{
    const Rect part = area.intersected(clip);
    if (!part.isEmpty())
        libyuv::ARGBRect(target.pixel(part.x, part.y), int(target.stride), 0, 0, part.width, part.height, color);
}

} // namespace

const Image &SceneRenderer::scaledBanner(Size size)
{
    if (m_scaledBanner.size() != size && !m_banner.isNull() && !size.isEmpty()) {
        m_scaledBanner = Image(size);
        if (!m_scaledBanner.isNull())
            libyuv::ARGBScale(m_banner.bits(), int(m_banner.stride()), m_banner.width(), m_banner.height(),
                              m_scaledBanner.bits(), int(m_scaledBanner.stride()), size.width, size.height,
                              libyuv::kFilterBox);
    }
    return m_scaledBanner;
}

void SceneRenderer::render(const PlaySession &session, ImageView target, int originX, int originY, const Rect &clip)
{
    render(session.game(), target, originX, originY, clip, waveTargetOf(session));
}

std::optional<SceneRenderer::WaveTargetLook> SceneRenderer::waveTargetOf(const PlaySession &session)
{
    if (!session.waveTarget().isShown() || !session.game().isIceView())
        return std::nullopt;
    const PlaySession::Placed place = session.waveTargetPlace();
    if (!(place.radius >= 1.0))
        return std::nullopt;
    return WaveTargetLook{place.centerX, place.centerY, place.radius, session.waveTarget().fill()};
}

Rect SceneRenderer::waveTargetArea(const WaveTargetLook &look)
{
    return WaveTarget::areaAround(look.centerX, look.centerY, look.radius);
}

namespace {

// Premultiplied 0xAARRGGBB of a colour at an opacity 0..1.
std::uint32_t premultiplied(std::uint32_t rgb, double alpha)
{
    const double a = std::clamp(alpha, 0.0, 1.0);
    const auto channel = [a](std::uint32_t c) { return std::uint32_t(std::lround(double(c & 0xFFu) * a)); };
    return std::uint32_t(std::lround(a * 255.0)) << 24 | channel(rgb >> 16) << 16 | channel(rgb >> 8) << 8
           | channel(rgb);
}

// `over` drawn over `under`, both premultiplied.
std::uint32_t over(std::uint32_t top, std::uint32_t under)
{
    const std::uint32_t keep = 255u - (top >> 24);
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t t = (top >> shift) & 0xFFu;
        const std::uint32_t u = (under >> shift) & 0xFFu;
        result |= std::min<std::uint32_t>(t + (u * keep + 127u) / 255u, 255u) << shift;
    }
    return result;
}

// Between two premultiplied pixels: `weight` 0 gives a, 1 gives b.
std::uint32_t mix(std::uint32_t a, std::uint32_t b, double weight)
{
    const auto w = std::uint32_t(std::lround(std::clamp(weight, 0.0, 1.0) * 256.0));
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t x = (a >> shift) & 0xFFu;
        const std::uint32_t y = (b >> shift) & 0xFFu;
        result |= ((x * (256u - w) + y * w) >> 8) << shift;
    }
    return result;
}

// The target's look: a whitish disc that lets the picture show through, a
// dark track round it, and the fill in a clear green that stands out on
// the ice, on a photograph and on the orange arrow alike.
constexpr std::uint32_t kDiscColour = 0xFFFFFF;
constexpr double kDiscOpacity = 0.35;
constexpr std::uint32_t kTrackColour = 0x10203A;
constexpr double kTrackOpacity = 0.55;
constexpr std::uint32_t kFillColour = 0x2EE05A;
constexpr double kRingWidth = 0.18; // of the radius
constexpr double kArrowSize = 1.15; // of the radius, across

} // namespace

const Image &SceneRenderer::waveTargetSprite(const WaveTargetLook &look)
{
    const Rect area = waveTargetArea(look);
    const int diameter = area.width;
    TargetParts &parts = m_targetParts;
    const double cx = look.centerX - area.x;
    const double cy = look.centerY - area.y;
    if (parts.diameter != diameter || parts.radius != look.radius || parts.centerX != cx || parts.centerY != cy) {
        parts = TargetParts{diameter,
                            look.radius,
                            cx,
                            cy,
                            Image(Size{diameter, diameter}),
                            Image(Size{diameter, diameter}),
                            std::vector<float>(std::size_t(diameter) * std::size_t(diameter)),
                            std::vector<float>(std::size_t(diameter) * std::size_t(diameter))};
        m_spriteFill = -1.0;
        if (parts.empty.isNull() || parts.full.isNull())
            return m_targetSprite = Image();
        // The arrow, scaled once into a square in the middle.
        const int arrowSide = std::max(1, int(std::lround(look.radius * kArrowSize)));
        Image arrow;
        if (!m_arrow.isNull()) {
            arrow = Image(Size{arrowSide, arrowSide});
            if (!arrow.isNull())
                libyuv::ARGBScale(m_arrow.bits(), int(m_arrow.stride()), m_arrow.width(), m_arrow.height(),
                                  arrow.bits(), int(arrow.stride()), arrowSide, arrowSide, libyuv::kFilterBox);
        }
        const double r = look.radius;
        const double inner = r * (1.0 - kRingWidth);
        const int arrowLeft = int(std::lround(cx - arrowSide / 2.0));
        const int arrowTop = int(std::lround(cy - arrowSide / 2.0));
        for (int y = 0; y < diameter; ++y) {
            auto *empty = reinterpret_cast<std::uint32_t *>(parts.empty.view().pixel(0, y));
            auto *full = reinterpret_cast<std::uint32_t *>(parts.full.view().pixel(0, y));
            for (int x = 0; x < diameter; ++x) {
                const double dx = x + 0.5 - cx;
                const double dy = y + 0.5 - cy;
                const double d = std::sqrt(dx * dx + dy * dy);
                // Coverage with a one-pixel soft edge.
                const double inCircle = std::clamp(r - d + 0.5, 0.0, 1.0);
                const double inDisc = std::clamp(inner - d + 0.5, 0.0, 1.0);
                const double inRing = inCircle - inDisc;
                std::uint32_t base = premultiplied(kDiscColour, kDiscOpacity * inDisc);
                std::uint32_t track = over(premultiplied(kTrackColour, kTrackOpacity * inRing), base);
                std::uint32_t filled = over(premultiplied(kFillColour, inRing), base);
                if (!arrow.isNull() && x >= arrowLeft && x < arrowLeft + arrowSide && y >= arrowTop
                    && y < arrowTop + arrowSide) {
                    const std::uint32_t a = *reinterpret_cast<const std::uint32_t *>(
                        arrow.view().pixel(x - arrowLeft, y - arrowTop));
                    track = over(a, track);
                    filled = over(a, filled);
                }
                empty[x] = track;
                full[x] = filled;
                const std::size_t i = std::size_t(y) * std::size_t(diameter) + std::size_t(x);
                // Clockwise from the top, in turns.
                double turn = std::atan2(dx, -dy) / (2.0 * std::numbers::pi);
                if (turn < 0.0)
                    turn += 1.0;
                parts.turn[i] = float(turn);
                parts.edge[i] = float(2.0 * std::numbers::pi * std::max(d, 1.0));
            }
        }
        m_targetSprite = Image(Size{diameter, diameter});
    }
    if (m_targetSprite.isNull())
        return m_targetSprite;
    const double fill = std::clamp(look.fill, 0.0, 1.0);
    if (fill != m_spriteFill) {
        m_spriteFill = fill;
        for (int y = 0; y < diameter; ++y) {
            const auto *empty = reinterpret_cast<const std::uint32_t *>(parts.empty.view().pixel(0, y));
            const auto *full = reinterpret_cast<const std::uint32_t *>(parts.full.view().pixel(0, y));
            auto *out = reinterpret_cast<std::uint32_t *>(m_targetSprite.view().pixel(0, y));
            const std::size_t row = std::size_t(y) * std::size_t(diameter);
            for (int x = 0; x < diameter; ++x) {
                const std::size_t i = row + std::size_t(x);
                if (fill <= 0.0 || empty[x] == full[x]) {
                    out[x] = empty[x];
                } else if (fill >= 1.0) {
                    out[x] = full[x];
                } else {
                    // The arc's end, softened over a pixel along the ring.
                    const double reach = (fill - double(parts.turn[i])) * double(parts.edge[i]) + 0.5;
                    out[x] = mix(empty[x], full[x], reach);
                }
            }
        }
    }
    return m_targetSprite;
}

void SceneRenderer::render(const Game &game, ImageView target, int originX, int originY, const Rect &clip,
                           const std::optional<WaveTargetLook> &wave)
{
    if (target.isNull())
        return;
    const Size outputSize = game.outputSize();
    // Target coordinates from here on.
    const Rect output{originX, originY, outputSize.width, outputSize.height};
    const Rect area =
        clip.translated(originX, originY).intersected(output).intersected({0, 0, target.width, target.height});
    if (area.isEmpty())
        return;
    const Rect picture = game.pictureRect().translated(originX, originY);

    // Black around the picture.
    fill(target, Rect::fromEdges(output.left(), output.top(), output.right(), picture.top()), area, kBlack);
    fill(target, Rect::fromEdges(output.left(), picture.bottom(), output.right(), output.bottom()), area, kBlack);
    fill(target, Rect::fromEdges(output.left(), picture.top(), picture.left(), picture.bottom()), area, kBlack);
    fill(target, Rect::fromEdges(picture.right(), picture.top(), output.right(), picture.bottom()), area, kBlack);

    const ConstImageView shown = game.shownPicture();
    const Rect part = picture.intersected(area);
    if (!part.isEmpty() && !shown.isNull())
        libyuv::ARGBScaleClip(shown.bits, int(shown.stride), shown.width, shown.height,
                              target.pixel(picture.x, picture.y), int(target.stride), picture.width, picture.height,
                              part.x - picture.x, part.y - picture.y, part.width, part.height, libyuv::kFilterBilinear);
    else
        fill(target, part, area, kBlack);

    if (game.scene() == Game::Scene::Play)
        fill(target, game.progressBarRect().translated(originX, originY), area, game.progressBarColor().argb());
    // Also over the ice on black that stands in for the game for a step;
    // under the banner, should they ever meet: the banner is the win.
    if (wave && game.scene() != Game::Scene::CameraFrame) {
        const Rect place = waveTargetArea(*wave).translated(originX, originY);
        const Rect covered = place.intersected(area);
        if (!covered.isEmpty()) {
            const Image &sprite = waveTargetSprite(*wave);
            if (!sprite.isNull() && sprite.width() == place.width) {
                std::uint8_t *under = target.pixel(covered.x, covered.y);
                libyuv::ARGBBlend(sprite.view().pixel(covered.x - place.x, covered.y - place.y), int(sprite.stride()),
                                  under, int(target.stride), under, int(target.stride), covered.width, covered.height);
            }
        }
    }
    if (game.scene() != Game::Scene::Play || !game.bannerShown())
        return;
    const Rect bannerRect = game.bannerRect().translated(originX, originY);
    const Image &banner = scaledBanner(bannerRect.size());
    if (banner.isNull())
        return;
    // Blended in place: the target may be a window that a painter holds.
    const Rect covered = Rect{bannerRect.x, bannerRect.y, banner.width(), banner.height()}.intersected(area);
    if (!covered.isEmpty()) {
        std::uint8_t *under = target.pixel(covered.x, covered.y);
        libyuv::ARGBBlend(banner.view().pixel(covered.x - bannerRect.x, covered.y - bannerRect.y), int(banner.stride()),
                          under, int(target.stride), under, int(target.stride), covered.width, covered.height);
    }
}
