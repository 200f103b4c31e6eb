#include "core/game.h"

#include "core/geometry.h"
#include "core/progress_bar.h"

#include <libyuv/planar_functions.h>
#include <libyuv/scale_argb.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

// dst becomes a copy of src, reusing dst's pixels when the size and format
// already match (the usual case), so a step allocates nothing.
void copyPixels(QImage &dst, const QImage &src)
{
    if (dst.size() != src.size() || dst.format() != src.format() || dst.isNull()) {
        dst = src.copy();
        return;
    }
    libyuv::ARGBCopy(src.constBits(), int(src.bytesPerLine()), dst.bits(), int(dst.bytesPerLine()),
                     src.width(), src.height());
}

bool isWordImage(const QImage &image)
{
    switch (image.format()) {
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_ARGB32:
    case QImage::Format_RGB32:
        return true;
    default:
        return false;
    }
}

// Makes `image` a 32-bit image of that size, keeping its pixels when it is one.
void fit(QImage &image, QSize size)
{
    if (image.size() != size || !isWordImage(image))
        image = QImage(size, QImage::Format_ARGB32_Premultiplied);
}

// The middle part of a frame with the picture's aspect ratio: a frame of
// another size is cropped to it, so the picture is never distorted.
QRect middlePart(QSize frame, QSize picture)
{
    const qint64 fw = frame.width(), fh = frame.height();
    const qint64 pw = picture.width(), ph = picture.height();
    QRect crop(0, 0, int(fw), int(fh));
    if (fw * ph > fh * pw) {
        crop.setWidth(int(std::max<qint64>(1, fh * pw / ph)));
        crop.moveLeft(int((fw - crop.width()) / 2));
    } else {
        crop.setHeight(int(std::max<qint64>(1, fw * ph / pw)));
        crop.moveTop(int((fh - crop.height()) / 2));
    }
    return crop;
}

std::uint8_t *pixelAddress(QImage &image, QPoint p)
{
    return image.bits() + image.bytesPerLine() * p.y() + std::ptrdiff_t(p.x()) * 4;
}

const std::uint8_t *pixelAddress(const QImage &image, QPoint p)
{
    return image.constBits() + image.bytesPerLine() * p.y() + std::ptrdiff_t(p.x()) * 4;
}

// Fills the part of `area` inside `clip` (target coordinates).
void fill(QImage &target, const QRect &area, const QRect &clip, QRgb color)
{
    const QRect part = area & clip;
    if (!part.isEmpty())
        libyuv::ARGBRect(pixelAddress(target, part.topLeft()), int(target.bytesPerLine()), 0, 0,
                         part.width(), part.height(), color);
}

} // namespace

Game::Game(int pictureCount, PictureLoader loadPicture, QImage banner, QSize outputSize)
    : m_loadPicture(std::move(loadPicture))
    , m_pictureCount(std::max(pictureCount, 1))
    , m_banner(std::move(banner))
{
    m_picture = m_loadPicture(m_pictureNumber);
    // The whole window starts frozen.
    m_meltLevels.assign(std::size_t(m_picture.photo.width()) * std::size_t(m_picture.photo.height()), 0);
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
}

void Game::toggleView()
{
    m_iceView = !m_iceView;
}

void Game::setOutputSize(QSize size, double pixelRatio)
{
    m_outputSize = size.expandedTo(QSize(0, 0));
    m_pixelRatio = pixelRatio > 0.0 && std::isfinite(pixelRatio) ? pixelRatio : 1.0;
    m_pictureRect = fitRect(m_picture.photo.width(), m_picture.photo.height(), m_outputSize.width(),
                            m_outputSize.height());
    m_bannerRect = fitRect(m_banner.width(), m_banner.height(), m_outputSize.width(), m_outputSize.height());
    scaleBanner();
    m_newReferencePending = true;
    m_scene = Scene::IceOnBlack;
}

void Game::scaleBanner()
{
    // The banner stays on screen frame after frame: scaled once per size.
    const QSize size = m_bannerRect.size().toSize();
    if (m_scaledBanner.size() != size && !m_banner.isNull() && !size.isEmpty())
        m_scaledBanner = m_banner.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void Game::takeFrame(QImage &frame, bool mirrored)
{
    const QSize pictureSize = m_picture.photo.size();
    if (frame.depth() != 32)
        frame = frame.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (frame.size() == pictureSize || pictureSize.isEmpty()) {
        if (!mirrored) {
            std::swap(m_frame, frame); // no copy: the caller gets an old buffer back
            return;
        }
        fit(m_frame, frame.size());
        libyuv::ARGBMirror(frame.constBits(), int(frame.bytesPerLine()), m_frame.bits(),
                           int(m_frame.bytesPerLine()), frame.width(), frame.height());
        return;
    }
    // Another size: its middle part, scaled to the picture's size.
    const QRect crop = middlePart(frame.size(), pictureSize);
    QImage &scaled = mirrored ? m_fitted : m_frame;
    fit(scaled, pictureSize);
    fit(m_frame, pictureSize);
    libyuv::ARGBScale(pixelAddress(std::as_const(frame), crop.topLeft()), int(frame.bytesPerLine()),
                      crop.width(), crop.height(), scaled.bits(), int(scaled.bytesPerLine()),
                      pictureSize.width(), pictureSize.height(), libyuv::kFilterBox);
    if (mirrored)
        libyuv::ARGBMirror(scaled.constBits(), int(scaled.bytesPerLine()), m_frame.bits(),
                           int(m_frame.bytesPerLine()), pictureSize.width(), pictureSize.height());
}

bool Game::runMeltPass(const QImage &camera, const QImage &previous, MeltRule rule)
{
    m_iceWipedFraction = 0.0;
    // The five images must share one grid of 32-bit pixels; anything else
    // (a picture that failed to load) skips the pass.
    const QSize grid = m_composed.size();
    const QImage *images[] = {&camera, &previous, &m_composed, &m_picture.photo, &m_picture.ice};
    const bool sameGrid = std::all_of(std::begin(images), std::end(images), [&](const QImage *image) {
        return image->size() == grid && isWordImage(*image);
    });
    const qint64 cells = qint64(grid.width()) * grid.height();
    if (!sameGrid || cells <= 0 || qint64(m_meltLevels.size()) < cells)
        return false;

    // In three bands of rows, so that only the rows strokes went over read
    // the wipe mask.
    const bool masked = !m_wipeMask.isEmpty() && m_wipeMask.size() == grid;
    const int bands[] = {0, masked ? m_wipeMask.top() : grid.height(),
                         masked ? m_wipeMask.bottom() + 1 : grid.height(), grid.height()};
    MeltCounts counts;
    for (int band = 0; band < 3; ++band) {
        const int top = bands[band];
        const int rows = bands[band + 1] - top;
        if (rows <= 0)
            continue;
        const QPoint origin(0, top);
        const MeltImages pass{pixelAddress(camera, origin),
                              pixelAddress(previous, origin),
                              pixelAddress(std::as_const(m_picture.photo), origin),
                              pixelAddress(std::as_const(m_picture.ice), origin),
                              pixelAddress(m_composed, origin),
                              camera.bytesPerLine(),
                              previous.bytesPerLine(),
                              m_picture.photo.bytesPerLine(),
                              m_picture.ice.bytesPerLine(),
                              m_composed.bytesPerLine(),
                              band == 1 ? m_wipeMask.bits() + std::ptrdiff_t(top) * grid.width() : nullptr};
        const MeltCounts bandCounts =
            meltPass(pass, m_meltLevels.data() + std::ptrdiff_t(top) * grid.width(), grid.width(), rows, rule);
        counts.frozen += bandCounts.frozen;
        counts.wipedIce += bandCounts.wipedIce;
    }
    m_cleanedFraction = 1.0 - double(counts.frozen) / double(cells);
    m_iceWipedFraction = double(counts.wipedIce) / double(cells);
    return true;
}

QRect Game::showPass(bool ran)
{
    // A pass that could not run shows nothing new and, above all, never
    // reads as a clean window: the cleaned fraction stays as it was.
    if (!ran)
        return {};
    // What changes on screen: the picture and the bar, and the banner's
    // place when the banner comes or goes (it may reach over the black bars).
    const bool bannerBefore = m_bannerShown;
    QRect changed = m_pictureRect.toRect() | m_progressBarRect.toRect();
    m_progressBarRect = ::progressBarRect(m_pictureRect, m_cleanedFraction, m_pixelRatio);
    changed |= m_progressBarRect.toRect();
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
        changed |= m_bannerRect.toRect();
    return changed;
}

QRect Game::step(QImage &frame, bool mirrored)
{
    if (frame.isNull())
        return {};
    // A frame of another size comes from another stream: it is only a reference.
    if (frame.size() != m_lastFrameSize) {
        m_lastFrameSize = frame.size();
        m_newReferencePending = true;
    }
    takeFrame(frame, mirrored);

    // A new reference: the first difference is zero everywhere.
    if (m_newReferencePending) {
        copyPixels(m_previousFrame, m_frame);
        copyPixels(m_composed, m_frame);
        m_newReferencePending = false;
    }

    QRect changed;
    if (!m_iceView) {
        m_scene = Scene::CameraFrame;
        m_iceWipedFraction = 0.0;
        changed = m_pictureRect.toRect() | m_progressBarRect.toRect();
    } else {
        changed = showPass(runMeltPass(m_frame, m_previousFrame, m_rule));
    }
    m_wipeMask.clear();

    // The motion reference stays current in both views; in the camera view
    // it is also the picture shown.
    std::swap(m_previousFrame, m_frame);
    return changed & QRect(QPoint(), m_outputSize);
}

QRect Game::stepWithoutFrame()
{
    if (!m_iceView)
        return {};
    // Nothing moves: the photograph stands in for both frames (a difference
    // of zero everywhere), and no sensitivity lets the motion rule fire.
    fit(m_composed, m_picture.photo.size());
    const MeltRule still{kMaxMeltRuleValue, m_rule.freezingSpeed};
    const QRect changed = showPass(runMeltPass(m_picture.photo, m_picture.photo, still));
    m_wipeMask.clear();
    return changed & QRect(QPoint(), m_outputSize);
}

void Game::addStroke(QPointF from, QPointF to)
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

QPointF Game::toPicture(QPointF outputPoint) const
{
    if (m_pictureRect.isEmpty())
        return {-1.0, -1.0}; // no picture on show: off it
    const QPointF inRect = outputPoint + QPointF(0.5, 0.5) - m_pictureRect.topLeft();
    return {inRect.x() * m_picture.photo.width() / m_pictureRect.width(),
            inRect.y() * m_picture.photo.height() / m_pictureRect.height()};
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

void Game::render(QImage &target, QPoint origin, const QRect &clip) const
{
    if (!isWordImage(target))
        return;
    // Target coordinates from here on.
    const QRect area = (clip & QRect(QPoint(), m_outputSize)).translated(origin) & target.rect();
    if (area.isEmpty())
        return;
    const QRect picture = m_pictureRect.toRect().translated(origin);

    // Black around the picture.
    const QRect output(origin, m_outputSize);
    fill(target, QRect(output.topLeft(), QPoint(output.right(), picture.top() - 1)), area, 0xFF000000u);
    fill(target, QRect(QPoint(output.left(), picture.bottom() + 1), output.bottomRight()), area, 0xFF000000u);
    fill(target, QRect(QPoint(output.left(), picture.top()), QPoint(picture.left() - 1, picture.bottom())),
         area, 0xFF000000u);
    fill(target, QRect(QPoint(picture.right() + 1, picture.top()), QPoint(output.right(), picture.bottom())),
         area, 0xFF000000u);

    const QImage &shown = m_scene == Scene::Play          ? m_composed
                          : m_scene == Scene::CameraFrame ? m_previousFrame
                                                          : m_picture.ice;
    const QRect part = picture & area;
    if (!part.isEmpty() && !shown.isNull() && isWordImage(shown))
        libyuv::ARGBScaleClip(shown.constBits(), int(shown.bytesPerLine()), shown.width(), shown.height(),
                              pixelAddress(target, picture.topLeft()), int(target.bytesPerLine()),
                              picture.width(), picture.height(), part.x() - picture.x(),
                              part.y() - picture.y(), part.width(), part.height(),
                              libyuv::kFilterBilinear);
    else
        fill(target, part, area, 0xFF000000u);

    if (m_scene != Scene::Play)
        return;
    fill(target, m_progressBarRect.toRect().translated(origin), area, progressBarColor(m_cleanedFraction));
    if (m_bannerShown && !m_scaledBanner.isNull()) {
        // Blended in place: the target may be a window that a painter holds.
        const QRect banner(m_bannerRect.toRect().translated(origin).topLeft(), m_scaledBanner.size());
        const QRect covered = banner & area;
        if (!covered.isEmpty()) {
            std::uint8_t *under = pixelAddress(target, covered.topLeft());
            libyuv::ARGBBlend(pixelAddress(m_scaledBanner, covered.topLeft() - banner.topLeft()),
                              int(m_scaledBanner.bytesPerLine()), under, int(target.bytesPerLine()), under,
                              int(target.bytesPerLine()), covered.width(), covered.height());
        }
    }
}
