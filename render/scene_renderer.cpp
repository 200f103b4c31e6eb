#include "render/scene_renderer.h"

#include <libyuv/planar_functions.h>
#include <libyuv/scale_argb.h>

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

void SceneRenderer::render(const Game &game, ImageView target, int originX, int originY, const Rect &clip)
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

    if (game.scene() != Game::Scene::Play)
        return;
    fill(target, game.progressBarRect().translated(originX, originY), area, game.progressBarColor().argb());
    if (!game.bannerShown())
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
