#include "core/game.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

// dst becomes a copy of src, reusing dst's pixels when the size already
// matches (the usual case), so a step allocates nothing.
void copyPixels(Image &dst, const Image &src)
{
    dst.ensureSize(src.size());
    if (dst.isNull())
        return;
    for (int y = 0; y < src.height(); ++y)
        std::memcpy(dst.view().pixel(0, y), src.view().pixel(0, y), std::size_t(src.width()) * 4);
}

} // namespace

Game::Game(int pictureCount, PictureLoader loadPicture, Size bannerSize, Size outputSize)
    : m_loadPicture(std::move(loadPicture))
    , m_pictureCount(std::max(pictureCount, 1))
    , m_bannerSize(bannerSize)
{
    m_picture = m_loadPicture(m_pictureNumber);
    // The whole window starts frozen.
    m_meltLevels.assign(std::size_t(m_picture.photo.size().area()), 0);
    m_wipeMask.resize(m_picture.photo.size());
    setOutputSize(outputSize);
}

void Game::setCameraSensitivity(std::int32_t sensitivity)
{
    m_rule.cameraSensitivity = std::clamp(sensitivity, -kMaxMeltRuleValue, kMaxMeltRuleValue);
}

void Game::setFreezingSpeed(std::int32_t speed)
{
    m_rule.freezingSpeed = std::clamp(speed, -kMaxMeltRuleValue, kMaxMeltRuleValue);
}

void Game::setPictureCount(int count)
{
    m_pictureCount = std::max({count, m_pictureNumber, 1});
}

void Game::nextPicture()
{
    m_pictureNumber = m_pictureNumber >= m_pictureCount ? 1 : m_pictureNumber + 1;
    showPicture();
}

void Game::previousPicture()
{
    m_pictureNumber = m_pictureNumber <= 1 ? m_pictureCount : m_pictureNumber - 1;
    showPicture();
}

void Game::pictureArrived(int number)
{
    if (number == m_pictureNumber)
        showPicture();
}

void Game::showPicture()
{
    // A picture that cannot be had keeps the one on screen.
    Picture picture = m_loadPicture(m_pictureNumber);
    if (!picture.photo.isNull())
        m_picture.photo = std::move(picture.photo);
    if (!picture.ice.isNull())
        m_picture.ice = std::move(picture.ice);
    m_scene = Scene::IceOnBlack;
    // The first picture that could be had (none could at the start), or one
    // of another size: the levels start frozen at its size, and it is fitted
    // into the output.
    const Size size = m_picture.photo.size();
    if (m_wipeMask.size() != size || m_meltLevels.size() != std::size_t(size.area())) {
        m_meltLevels.assign(std::size_t(size.area()), 0);
        m_wipeMask.resize(size);
        m_cleanedFraction = 0.0;
        m_bannerShown = false;
        setOutputSize(m_outputSize, m_pixelRatio);
    }
}

void Game::toggleView()
{
    m_iceView = !m_iceView;
}

void Game::setBannerSize(Size size)
{
    m_bannerSize = size;
    m_bannerRect = m_bannerSize.isEmpty()
                       ? Rect{}
                       : fitRect(m_bannerSize.width, m_bannerSize.height, m_outputSize.width, m_outputSize.height);
}

void Game::setOutputSize(Size size, double pixelRatio)
{
    m_outputSize = {std::max(size.width, 0), std::max(size.height, 0)};
    m_pixelRatio = pixelRatio > 0.0 && std::isfinite(pixelRatio) ? pixelRatio : 1.0;
    m_pictureRect = fitRect(m_picture.photo.width(), m_picture.photo.height(), m_outputSize.width, m_outputSize.height);
    setBannerSize(m_bannerSize);
    m_newReferencePending = true;
    m_scene = Scene::IceOnBlack;
}

ConstImageView Game::shownPicture() const
{
    switch (m_scene) {
    case Scene::Play:
        return m_composed.view();
    case Scene::CameraFrame:
        return m_previousFrame.view();
    case Scene::IceOnBlack:
        break;
    }
    return m_picture.ice.view();
}

bool Game::runMeltPass(const Image &camera, const Image &previous, MeltRule rule)
{
    m_iceWipedFraction = 0.0;
    // The pictures and frames must share one grid; anything else (a picture
    // that failed to load) skips the pass.
    const Size grid = m_picture.photo.size();
    const Image *images[] = {&camera, &previous, &m_picture.photo, &m_picture.ice};
    const bool sameGrid = std::all_of(std::begin(images), std::end(images),
                                      [&](const Image *image) { return image->size() == grid && !image->isNull(); });
    const std::int64_t cells = grid.area();
    if (!sameGrid || cells <= 0 || std::int64_t(m_meltLevels.size()) < cells)
        return false;
    // The pass writes every pixel of the composed picture: into the older
    // buffer, so that the last one stays to be compared with.
    std::swap(m_composed, m_lastComposed);
    m_composed.ensureSize(grid);
    if (m_composed.isNull()) {
        std::swap(m_composed, m_lastComposed);
        return false;
    }

    // In three bands of rows, so that only the rows strokes went over read
    // the wipe mask.
    const bool masked = !m_wipeMask.isEmpty() && m_wipeMask.size() == grid;
    const int bands[] = {0, masked ? m_wipeMask.top() : grid.height, masked ? m_wipeMask.bottom() + 1 : grid.height,
                         grid.height};
    MeltCounts counts;
    for (int band = 0; band < 3; ++band) {
        const int top = bands[band];
        const int rows = bands[band + 1] - top;
        if (rows <= 0)
            continue;
        const MeltImages pass{camera.view().pixel(0, top),
                              previous.view().pixel(0, top),
                              std::as_const(m_picture.photo).view().pixel(0, top),
                              std::as_const(m_picture.ice).view().pixel(0, top),
                              m_composed.view().pixel(0, top),
                              camera.stride(),
                              previous.stride(),
                              m_picture.photo.stride(),
                              m_picture.ice.stride(),
                              m_composed.stride(),
                              band == 1 ? m_wipeMask.bits() + std::ptrdiff_t(top) * grid.width : nullptr};
        const MeltCounts bandCounts = meltPass(pass, m_meltLevels.data() + std::ptrdiff_t(top) * grid.width, grid.width,
                                               rows, rule);
        counts.frozen += bandCounts.frozen;
        counts.wipedIce += bandCounts.wipedIce;
    }
    m_cleanedFraction = 1.0 - double(counts.frozen) / double(cells);
    m_iceWipedFraction = double(counts.wipedIce) / double(cells);
    findChangedRows();
    return true;
}

void Game::findChangedRows()
{
    m_changedBands.clear();
    const Size grid = m_composed.size();
    if (!m_findsChangedParts || !m_lastComposedShown || m_lastComposed.size() != grid) {
        m_changedBands.push_back({0, grid.height - 1, 0, grid.width - 1});
        return;
    }
    // Rows a few apart make one band: each band is a rectangle to draw.
    constexpr int kJoinedGap = 8;
    constexpr std::size_t kMostBands = 4;
    const std::size_t rowBytes = std::size_t(grid.width) * 4;
    for (int y = 0; y < grid.height; ++y) {
        const std::uint8_t *now = std::as_const(m_composed).view().pixel(0, y);
        const std::uint8_t *before = std::as_const(m_lastComposed).view().pixel(0, y);
        if (std::memcmp(now, before, rowBytes) == 0)
            continue;
        const auto samePixel = [&](int x) { return std::memcmp(now + x * 4, before + x * 4, 4) == 0; };
        int left = 0;
        while (samePixel(left))
            ++left;
        int right = grid.width - 1;
        while (samePixel(right))
            --right;
        if (!m_changedBands.empty() && y - m_changedBands.back().bottom <= kJoinedGap) {
            ChangedBand &band = m_changedBands.back();
            band.bottom = y;
            band.left = std::min(band.left, left);
            band.right = std::max(band.right, right);
        } else {
            m_changedBands.push_back({y, y, left, right});
        }
    }
    if (m_changedBands.size() > kMostBands) {
        ChangedBand all = m_changedBands.front();
        for (const ChangedBand &band : m_changedBands)
            all = {all.top, band.bottom, std::min(all.left, band.left), std::max(all.right, band.right)};
        m_changedBands.assign(1, all);
    }
}

Rect Game::showPass(bool ran)
{
    m_changedParts.clear();
    // A pass that could not run shows nothing new and, above all, never
    // reads as a clean window: the cleaned fraction stays as it was.
    if (!ran)
        return {};
    const Scene sceneBefore = m_scene;
    const Rect barBefore = m_progressBarRect;
    // What changes on screen: the picture and the bar, and the banner's
    // place when the banner comes or goes (it may reach over the black bars).
    const bool bannerBefore = m_bannerShown;
    Rect changed = m_pictureRect.united(m_progressBarRect);
    m_progressBarRect = ::progressBarRect(m_pictureRect, m_cleanedFraction, m_pixelRatio);
    changed = changed.united(m_progressBarRect);
    m_gameHiddenByBanner = false;
    if (m_cleanedFraction > kWinThreshold) {
        m_bannerShown = true;
        m_scene = Scene::Play;
    } else if (m_bannerShown) {
        // The banner may reach outside the picture: this one step shows the
        // plain ice on black to take it away.
        m_bannerShown = false;
        m_scene = Scene::IceOnBlack;
        m_gameHiddenByBanner = true;
    } else {
        m_scene = Scene::Play;
    }
    if (m_bannerShown != bannerBefore)
        changed = changed.united(m_bannerRect);

    // The parts: rows of the picture that changed, when the picture in play
    // was shown before and still is; else all of it.
    if (sceneBefore != Scene::Play || m_scene != Scene::Play) {
        m_changedParts.push_back(m_pictureRect);
    } else {
        const Size grid = m_composed.size();
        // Output pixels from the one over source pixel `from` - 1 to the one
        // under the end of `to` + 1: scaling reads a source pixel either side.
        const auto span = [](int from, int to, int start, int length, int sourceLength) {
            const double scale = double(length) / sourceLength;
            const int first = std::max(start + int(std::floor((from - 1) * scale)), start);
            const int end = std::min(start + int(std::ceil((to + 2) * scale)), start + length);
            return std::pair{first, end};
        };
        for (const ChangedBand &band : m_changedBands) {
            const auto [top, bottom] = span(band.top, band.bottom, m_pictureRect.y, m_pictureRect.height, grid.height);
            const auto [left, right] = span(band.left, band.right, m_pictureRect.x, m_pictureRect.width, grid.width);
            if (bottom > top && right > left)
                m_changedParts.push_back({left, top, right - left, bottom - top});
        }
        if (barBefore != m_progressBarRect) {
            m_changedParts.push_back(barBefore);
            m_changedParts.push_back(m_progressBarRect);
        }
    }
    if (m_bannerShown != bannerBefore)
        m_changedParts.push_back(m_bannerRect);
    const Rect output{0, 0, m_outputSize.width, m_outputSize.height};
    std::erase_if(m_changedParts, [&](Rect &part) {
        part = part.intersected(output);
        return part.isEmpty();
    });
    m_lastComposedShown = m_scene == Scene::Play;
    return changed;
}

Rect Game::step(Image &frame, Size cameraSize)
{
    m_changedParts.clear();
    if (frame.isNull() || frame.size() != pictureSize())
        return {};
    // Frames of another size come from another stream: only a reference.
    if (cameraSize != m_lastCameraSize) {
        m_lastCameraSize = cameraSize;
        m_newReferencePending = true;
    }
    std::swap(m_frame, frame); // no copy: the caller gets an old buffer back
    frame.ensureSize(m_frame.size());

    // A new reference: the first difference is zero everywhere.
    if (m_newReferencePending) {
        copyPixels(m_previousFrame, m_frame);
        copyPixels(m_composed, m_frame);
        m_lastComposedShown = false; // the composed picture is not what is shown
        m_newReferencePending = false;
    }

    Rect changed;
    if (!m_iceView) {
        m_scene = Scene::CameraFrame;
        m_iceWipedFraction = 0.0;
        changed = m_pictureRect.united(m_progressBarRect);
        m_changedParts.assign(1, changed.intersected({0, 0, m_outputSize.width, m_outputSize.height}));
        m_lastComposedShown = false;
    } else {
        changed = showPass(runMeltPass(m_frame, m_previousFrame, m_rule));
    }
    m_wipeMask.clear();

    // The motion reference stays current in both views; in the camera view
    // it is also the picture shown.
    std::swap(m_previousFrame, m_frame);
    return changed.intersected({0, 0, m_outputSize.width, m_outputSize.height});
}

Rect Game::stepWithoutFrame()
{
    if (!m_iceView) {
        m_changedParts.clear();
        return {};
    }
    // Nothing moves: the photograph stands in for both frames (a difference
    // of zero everywhere), and no sensitivity lets the motion rule fire.
    const MeltRule still{kMaxMeltRuleValue, m_rule.freezingSpeed};
    const Rect changed = showPass(runMeltPass(m_picture.photo, m_picture.photo, still));
    m_wipeMask.clear();
    return changed.intersected({0, 0, m_outputSize.width, m_outputSize.height});
}

void Game::addStroke(Point from, Point to)
{
    if (!m_iceView)
        return;
    if (m_wipeMask.size() != m_picture.photo.size())
        m_wipeMask.resize(m_picture.photo.size());
    m_wipeMask.addSegment(from, to, brushRadius());
}

double Game::brushRadius() const
{
    return 0.025 * m_picture.photo.height();
}

Point Game::toPicture(Point outputPoint) const
{
    if (m_pictureRect.isEmpty())
        return {-1.0, -1.0}; // no picture on show: off it
    const double x = outputPoint.x + 0.5 - m_pictureRect.x;
    const double y = outputPoint.y + 0.5 - m_pictureRect.y;
    return {x * m_picture.photo.width() / m_pictureRect.width, y * m_picture.photo.height() / m_pictureRect.height};
}

bool Game::isSettled() const
{
    if (hasPendingStrokes() || m_gameHiddenByBanner)
        return false;
    const std::int32_t speed = m_rule.freezingSpeed;
    // Regrowth as the melt pass does it; the levels and the speed are in
    // bounds, so this cannot overflow.
    return std::none_of(m_meltLevels.begin(), m_meltLevels.end(), [speed](std::int32_t level) {
        return level > speed && std::min(level - speed, std::max(level, kMaxMeltLevel)) != level;
    });
}
