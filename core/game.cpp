#include "core/game.h"

#include "core/geometry.h"
#include "core/progress_bar.h"

#include <QPainter>

#include <algorithm>
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
    const std::size_t rowBytes = std::size_t(src.width()) * 4;
    for (int y = 0; y < src.height(); ++y)
        std::memcpy(dst.scanLine(y), src.constScanLine(y), rowBytes);
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

// Brings a frame of another size to the picture's size: the middle part of the
// frame with the picture's aspect ratio, scaled. The picture is never
// distorted and every image of the melt pass has the same grid.
QImage fitFrameToPicture(const QImage &frame, QSize pictureSize)
{
    const qint64 fw = frame.width(), fh = frame.height();
    const qint64 pw = pictureSize.width(), ph = pictureSize.height();
    QRect crop(0, 0, int(fw), int(fh));
    if (fw * ph > fh * pw) {
        crop.setWidth(int(std::max<qint64>(1, fh * pw / ph)));
        crop.moveLeft(int((fw - crop.width()) / 2));
    } else {
        crop.setHeight(int(std::max<qint64>(1, fw * ph / pw)));
        crop.moveTop(int((fh - crop.height()) / 2));
    }
    return frame.copy(crop)
        .scaled(pictureSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void clearToBlack(QPainter &painter)
{
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QPaintDevice *device = painter.device();
    painter.fillRect(QRect(0, 0, device->width(), device->height()), QColor::fromRgba(0xFF000000));
    painter.restore();
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
    setOutputSize(outputSize);
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

void Game::showPicture()
{
    // A picture that cannot be had keeps the one on screen.
    Picture picture = m_loadPicture(m_pictureNumber);
    if (!picture.photo.isNull())
        m_picture.photo = std::move(picture.photo);
    if (!picture.ice.isNull())
        m_picture.ice = std::move(picture.ice);
    drawIceOnBlack();
}

void Game::toggleView()
{
    m_iceView = !m_iceView;
}

void Game::setOutputSize(QSize size)
{
    size = size.expandedTo(QSize(0, 0));
    if (m_output.size() != size)
        m_output = QImage(size, QImage::Format_ARGB32_Premultiplied);
    m_pictureRect = fitRect(m_picture.photo.width(), m_picture.photo.height(), size.width(), size.height());
    m_bannerRect = fitRect(m_banner.width(), m_banner.height(), size.width(), size.height());
    m_clearOutputPending = true;
    m_newReferencePending = true;
    drawIceOnBlack();
}

void Game::drawIceOnBlack()
{
    if (m_output.isNull())
        return;
    QPainter painter(&m_output);
    clearToBlack(painter);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(m_pictureRect, m_picture.ice, QRectF(m_picture.ice.rect()));
}

const QImage &Game::scaledBanner()
{
    // The banner stays on screen frame after frame; scale it once per size.
    const QSize size = m_bannerRect.size().toSize();
    if (m_scaledBanner.size() != size)
        m_scaledBanner = m_banner.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return m_scaledBanner;
}

bool Game::runMeltPass()
{
    // The five images must share one grid of 32-bit pixels; anything else
    // (a picture that failed to load) skips the pass.
    const QSize grid = m_frame.size();
    const QImage *images[] = {&m_frame, &m_previousFrame, &m_composed, &m_picture.photo, &m_picture.ice};
    const bool sameGrid = std::all_of(std::begin(images), std::end(images), [&](const QImage *image) {
        return image->size() == grid && isWordImage(*image);
    });
    const qint64 cells = qint64(grid.width()) * grid.height();
    if (!sameGrid || cells <= 0 || qint64(m_meltLevels.size()) < cells)
        return false;

    const MeltImages pass{m_frame.constBits(),
                          m_previousFrame.constBits(),
                          m_picture.photo.constBits(),
                          m_picture.ice.constBits(),
                          m_composed.bits(),
                          m_frame.bytesPerLine(),
                          m_previousFrame.bytesPerLine(),
                          m_picture.photo.bytesPerLine(),
                          m_picture.ice.bytesPerLine(),
                          m_composed.bytesPerLine()};
    const std::int64_t frozen = meltPass(pass, m_meltLevels.data(), grid.width(), grid.height(), m_rule);
    m_cleanedFraction = 1.0 - double(frozen) / double(cells);
    return true;
}

bool Game::step(QImage &frame, bool mirrored)
{
    if (frame.isNull())
        return false;
    // A frame of another size comes from another stream: it is only a reference.
    if (frame.size() != m_lastFrameSize) {
        m_lastFrameSize = frame.size();
        m_newReferencePending = true;
    }
    const QSize pictureSize = m_picture.photo.size();
    if (frame.size() == pictureSize || pictureSize.isEmpty())
        std::swap(m_frame, frame); // no copy: the caller gets an old buffer back
    else
        m_frame = fitFrameToPicture(frame, pictureSize);
    if (mirrored)
        m_frame.mirror(true, false);

    // A new reference: the first difference is zero everywhere.
    if (m_newReferencePending) {
        copyPixels(m_previousFrame, m_frame);
        copyPixels(m_composed, m_frame);
        m_newReferencePending = false;
    }

    // A frame whose pass could not run draws nothing new and, above all,
    // never reads as a clean window: the cleaned fraction stays as it was.
    const bool passRan = m_iceView && runMeltPass();

    if (!m_output.isNull()) {
        QPainter painter(&m_output);
        if (m_clearOutputPending) {
            clearToBlack(painter);
            m_clearOutputPending = false;
        }
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRectF source(QPointF(0, 0), QSizeF(m_frame.size()));
        if (!m_iceView) {
            painter.drawImage(m_pictureRect, m_frame, source);
        } else if (passRan) {
            painter.drawImage(m_pictureRect, m_composed, source);
            m_progressBarRect = ::progressBarRect(m_pictureRect, m_cleanedFraction);
            painter.fillRect(m_progressBarRect, QColor::fromRgba(progressBarColor(m_cleanedFraction)));
            if (m_cleanedFraction > kWinThreshold) {
                painter.drawImage(m_bannerRect.topLeft(), scaledBanner());
                m_bannerShown = true;
            } else if (m_bannerShown) {
                // The banner may reach outside the picture: this one frame
                // shows the plain ice on black to take it away.
                m_bannerShown = false;
                painter.end();
                drawIceOnBlack();
            }
        }
    }

    // The motion reference stays current in both views.
    std::swap(m_previousFrame, m_frame);
    return true;
}
