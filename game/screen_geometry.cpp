// Measuring the drawing area and fitting the pictures into it.
#include "app/frostpane_main_form.h"

#include <QPainter>
#include <QScreen>

void TFrostpaneMainForm::GetScreenSize()
{
    const QScreen *display = screen();
    if (display) {
        switch (display->orientation()) {
        case Qt::PortraitOrientation:
        case Qt::InvertedPortraitOrientation:
            IsLandscape = 0;
            break;
        case Qt::LandscapeOrientation:
        case Qt::InvertedLandscapeOrientation:
            IsLandscape = 1;
            break;
        default:
            break;
        }
    }
    ScreenWidth = double(width());
    if (display)
        ScreenScale = display->devicePixelRatio();
    else if (ScreenScale <= 0.0)
        ScreenScale = 1.0;
    ScreenHeight = usableScreenHeight(height(), TitleBarHeight, ScreenScale, isMaximized());
}

void TFrostpaneMainForm::GetBackgroundRect_for_PhotoSize()
{
    PhotoRect = fitRect(PhotoBitmap.width(), PhotoBitmap.height(), ScreenWidth, ScreenHeight);
    PhotoLeft = std::int32_t(PhotoRect.Left);
}

void TFrostpaneMainForm::GetBackgroundRect_for_congratulationsSize()
{
    CongratulationsRect = fitRect(CongratulationsBitmap.width(), CongratulationsBitmap.height(),
                                  ScreenWidth, ScreenHeight);
}

void TFrostpaneMainForm::GetCameraRectSize()
{
    if (AvailableCaptureSettings.isEmpty())
        return;
    if (CameraComponent->isActive())
        CurrentCaptureSetting = CameraComponent->captureSetting();
    // The frame step brings every frame to the picture's size before the game
    // sees it (a 1280 x 720 camera gives its middle 4:3 part), so on screen a
    // frame is always the picture's size, whatever the capture setting.
    const int frameWidth = PhotoBitmap.isNull() ? CurrentCaptureSetting.Width : PhotoBitmap.width();
    const int frameHeight = PhotoBitmap.isNull() ? CurrentCaptureSetting.Height : PhotoBitmap.height();
    if (IsLandscape == 1) {
        CameraFrameWidth = frameWidth;
        CameraFrameHeight = frameHeight;
    } else {
        CameraFrameWidth = frameHeight;
        CameraFrameHeight = frameWidth;
    }
    CameraSourceRect = {0.0f, 0.0f, float(CameraFrameWidth), float(CameraFrameHeight)};
    OutputRect = fitRect(CameraFrameWidth, CameraFrameHeight, ScreenWidth, ScreenHeight);
}

void TFrostpaneMainForm::clearToBlack(QPainter &painter)
{
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QPaintDevice *device = painter.device();
    painter.fillRect(QRect(0, 0, device->width(), device->height()), QColor::fromRgba(0xFF000000));
    painter.restore();
}

void TFrostpaneMainForm::paintIceOnBlack(QPainter &painter)
{
    clearToBlack(painter);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(PhotoRect.toQRectF(), IceBitmap, QRectF(IceBitmap.rect()));
}

void TFrostpaneMainForm::RedrawIce()
{
    QImage &output = outputBitmap();
    if (output.isNull())
        return;
    {
        QPainter painter(&output);
        paintIceOnBlack(painter);
    }
    OutputRectangle->update();
}
