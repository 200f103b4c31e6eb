// One game step per camera frame: motion wipes the ice, the ice grows back,
// the picture, the progress bar and the banner are drawn.
#include "app/frostpane_main_form.h"
#include "game/melt_pass.h"
#include "game/progress_bar.h"

#include <QPainter>

#include <cstring>

namespace {

// dst becomes a copy of src, reusing dst's pixels when the size and format
// already match (the usual case), so a step allocates nothing.
void copyPixels(QImage &dst, const QImage &src)
{
    if (dst.size() != src.size() || dst.format() != src.format() || dst.isNull()) {
        dst = src.copy();
        return;
    }
    const qsizetype rowBytes = qsizetype(src.width()) * 4;
    for (int y = 0; y < src.height(); ++y)
        std::memcpy(dst.scanLine(y), src.constScanLine(y), size_t(rowBytes));
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
// distorted and every image of the pixel pass has the same grid.
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

} // namespace

const QImage &TFrostpaneMainForm::scaledBanner()
{
    // The banner stays on screen frame after frame; scale it once per size
    // instead of on every frame.
    const QSize size(int(CongratulationsRect.width()), int(CongratulationsRect.height()));
    if (m_scaledBanner.size() != size || m_scaledBannerSource != CongratulationsBitmap.cacheKey()) {
        m_scaledBanner = CongratulationsBitmap.copy(CongratulationsSourceRect.toQRectF().toRect())
                             .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        m_scaledBannerSource = CongratulationsBitmap.cacheKey();
    }
    return m_scaledBanner;
}

void TFrostpaneMainForm::CameraComponentSampleBufferReady()
{
    // The camera has already released its capture thread; the step runs here
    // on the GUI thread, one at a time, on the newest frame.
    GetImageFromCamera();
}

void TFrostpaneMainForm::FlipFromCameraBitmap()
{
    CameraBitmap.mirror(true, false);
}

void TFrostpaneMainForm::GetImageFromCamera()
{
    // 1, 2. A frame that cannot be taken is skipped whole.
    if (!CameraComponent->isActive())
        return;
    // The frame lands in its own buffer, reused frame after frame; a frame of
    // the picture's size simply changes places with CameraBitmap.
    if (!CameraComponent->takeFrame(m_takenFrame))
        return;
    if (m_takenFrame.size() == PhotoBitmap.size() || PhotoBitmap.isNull())
        std::swap(CameraBitmap, m_takenFrame);
    else
        CameraBitmap = fitFrameToPicture(m_takenFrame, PhotoBitmap.size());

    // 3.
    if (IsFrontCamera)
        FlipFromCameraBitmap();

    // 4. After a reset the first difference is zero everywhere.
    if (ResetPreviousFrame) {
        copyPixels(PreviousCameraBitmap, CameraBitmap);
        copyPixels(WindowBitmap, CameraBitmap);
        ResetPreviousFrame = false;
    }

    // 5-10. The pixel pass.
    bool passRan = false;
    if (IsIceView) {
        FrozenPixelCount = 0;
        CleanedFraction = 0.0;
        // No need to clear WindowBitmap first: the pass writes every pixel of
        // it, and without the pass it is not drawn.

        const QSize grid = CameraBitmap.size();
        const bool sameGrid = PreviousCameraBitmap.size() == grid && WindowBitmap.size() == grid
                              && PhotoBitmap.size() == grid && IceBitmap.size() == grid;
        const bool wordImages = isWordImage(CameraBitmap) && isWordImage(PreviousCameraBitmap)
                                && isWordImage(WindowBitmap) && isWordImage(PhotoBitmap)
                                && isWordImage(IceBitmap);
        const qint64 cells = qint64(grid.width()) * grid.height();
        if (sameGrid && wordImages && cells > 0 && qint64(MeltLevels.size()) >= cells) {
            PixelCount = std::int32_t(cells);
            const MeltImages images{CameraBitmap.constBits(), PreviousCameraBitmap.constBits(),
                                    PhotoBitmap.constBits(),  IceBitmap.constBits(),
                                    WindowBitmap.bits(),      CameraBitmap.bytesPerLine(),
                                    PreviousCameraBitmap.bytesPerLine(),
                                    PhotoBitmap.bytesPerLine(), IceBitmap.bytesPerLine(),
                                    WindowBitmap.bytesPerLine()};
            FrozenPixelCount = std::int32_t(meltPass(images, MeltLevels.data(), grid.width(),
                                                     grid.height(),
                                                     {CameraSensitivity, FreezingSpeed}));
            passRan = true;
        }
    }

    // 11-17. Drawing.
    QImage &output = outputBitmap();
    if (!output.isNull()) {
        QPainter painter(&output);
        if (ClearOutputPending || ClearOutputAfterResize) {
            clearToBlack(painter);
            ClearOutputPending = false;
            ClearOutputAfterResize = false;
        }
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        if (!IsIceView) {
            painter.drawImage(OutputRect.toQRectF(), CameraBitmap, CameraSourceRect.toQRectF());
        } else if (passRan) {
            // A frame whose pass could not run shows nothing new and, above
            // all, never reads as a clean window.
            painter.drawImage(OutputRect.toQRectF(), WindowBitmap, CameraSourceRect.toQRectF());
            CleanedFraction = 1.0 - double(FrozenPixelCount) / double(PixelCount);

            ProgressBarRect = progressBarRect(OutputRect, PhotoLeft, CleanedFraction);
            painter.fillRect(ProgressBarRect.toQRectF(), QColor::fromRgba(progressBarColour(CleanedFraction)));
            FrozenPixelCount = 0;

            if (CleanedFraction > WinThreshold) {
                painter.drawImage(CongratulationsRect.toQRectF().topLeft(), scaledBanner());
                CongratulationsShown = true;
            } else if (CongratulationsShown) {
                // The banner may reach outside the picture: this one frame
                // shows the plain ice on black to take it away.
                CongratulationsShown = false;
                paintIceOnBlack(painter);
            }
        }
    }
    OutputRectangle->update();

    // 18. The motion reference stays current in both views.
    copyPixels(PreviousCameraBitmap, CameraBitmap);
}
