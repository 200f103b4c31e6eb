#include "app/frostpane_main_form.h"

#include <QResizeEvent>

namespace {

const QStringList &aboutLines()
{
    static const QStringList lines = {
        QStringLiteral("Frostpane! v.1.0"),
        QString(),
        QStringLiteral("Game for kids. Interact with your computer using no mouse and no keyboard by "
                       "simple hand waving in the air before the camera. The goal of the game is to "
                       "clean the ice from the window before the window freezes back."),
        QStringLiteral("The game is perfect for kids, who still don't have skills how to use keyboard "
                       "or the mouse. Improves physical coordination and provides a lot of fun."),
        QStringLiteral("The program requires video capture device (e.g. web camera)."),
        QString(),
        QStringLiteral("Made by"),
        QStringLiteral("the Frostpane developers. Photographs by Aitzol Berasategi (CC BY 4.0), "
                       "Lukas Baubkus (CC BY-SA 3.0) and others: see CREDITS."),
    };
    return lines;
}

} // namespace

TFrostpaneMainForm::TFrostpaneMainForm(std::unique_ptr<VideoCamera> camera, const Clock &clock,
                                       QWidget *parent)
    : QWidget(parent)
    , CameraToggleStopwatch(clock)
    , IconDebounceStopwatch(clock)
    , IconPressStopwatch(clock)
{
    // 1. The window and every control at its design-time place.
    CameraComponent = camera.release();
    CameraComponent->setParent(this);
    createComponents();

    // 2.
    PictureCount = 6;
    FreezingSpeed = 10;
    CameraSensitivity = 20;
    WinThreshold = 0.95;
    CleanedFraction = 0.0;
    CongratulationsShown = false;
    PictureNumber = 1;
    ToolsVisible = false;
    IconSizeFactor = 0.08;
    IconPressScale = 1.3;

    // 3.
    AboutMemo->resize(400, 270);
    centreAlignedChildren();

    // 4.
    ClearOutputPending = true;
    UseDefaultResolution = true;
    IsFrontCamera = true;
    ResolutionTrackBarChanged = false;
    ClearOutputAfterResize = false;
    ExitCameraTicks = 0;
    ResetPreviousFrame = true;
    PressedTool = 0;
    AboutIconHome = CameraIconHome = SwitchFrontAndBackCameraIconHome = EyeIconHome =
        SettingsIconHome = NextImageIconHome = PreviousImageIconHome = IconHome{};
    PhotoLeft = 0;
    CameraSourceRect = CongratulationsSourceRect = CongratulationsRect = RectF{};

    // 5. The resolution slider reports its value once it is let go; setting its
    // range here must reach neither handler.
    {
        const QSignalBlocker detached(CameraResolutionsTrackBar);
        CameraResolutionsTrackBar->setTracking(false);
        CameraResolutionsTrackBar->setMinimum(1);
        CameraResolutionsTrackBar->setMaximum(1);
    }
    CameraResolutionsTrackBar->setCursor(Qt::PointingHandCursor);

    // 6.
    CameraComponent->setKind(CameraKind::Front);
    CameraComponent->setCaptureSettingPriority(CaptureSettingPriority::Resolution);

    // 7. The bitmaps are value members and start empty.
    CameraBitmap = PreviousCameraBitmap = WindowBitmap = PhotoBitmap = IceBitmap =
        CongratulationsBitmap = QImage();
    CameraResolutionsList.clear();

    // 8.
    GetCameraAllResolutions();

    // 9, 10. The picture and the icons are bare bitmaps: no colour, no outline.
    const QList<BitmapRectangle *> bitmapFilled = {
        OutputRectangle,       CameraIconRectangle, SwitchFrontAndBackCameraIconRectangle,
        SettingsIconRectangle, AboutIconRectangle,  EyeIconRectangle,
        NextImageIconRectangle, PreviousImageIconRectangle};
    for (BitmapRectangle *rectangle : bitmapFilled) {
        rectangle->setFillColor(QColor::fromRgba(0x00000000));
        rectangle->setStrokeColor(QColor::fromRgba(0x00000000));
        rectangle->setStrokeKind(BitmapRectangle::Brush::None);
        rectangle->setFillKind(BitmapRectangle::Brush::Bitmap);
        rectangle->setHitTest(true);
    }

    // 11. Icons take the size of their picture until the first layout.
    const auto loadIcon = [this](BitmapRectangle *icon, const QString &name) {
        LoadBitmapFromImageBook(icon, name);
        icon->setWidthF(float(icon->fillBitmap().width()));
        icon->setHeightF(float(icon->fillBitmap().height()));
    };
    loadIcon(CameraIconRectangle, QStringLiteral("camera_off"));
    loadIcon(SettingsIconRectangle, QStringLiteral("settings"));
    loadIcon(SwitchFrontAndBackCameraIconRectangle, QStringLiteral("camera_front"));
    loadIcon(AboutIconRectangle, QStringLiteral("about_icon"));
    loadIcon(NextImageIconRectangle, QStringLiteral("next_image"));
    loadIcon(PreviousImageIconRectangle, QStringLiteral("previous_image"));

    // 12, 13.
    LoadPhotoFromImageBook(PhotoBitmap, pictureName(1));
    LoadPhotoFromImageBook(IceBitmap, iceName(1));
    LoadPhotoFromImageBook(CongratulationsBitmap, QStringLiteral("congratulations"));
    CongratulationsSourceRect = {0.0f, 0.0f, float(CongratulationsBitmap.width()),
                                 float(CongratulationsBitmap.height())};

    // 14. The whole window starts frozen.
    PixelCount = PhotoBitmap.width() * PhotoBitmap.height();
    MeltLevels.assign(std::size_t(PixelCount), 0);

    // 15.
    IsIceView = true;
    loadIcon(EyeIconRectangle, QStringLiteral("view_snowflake"));

    // 16.
    GetScreenSize();
    outputBitmap() = QImage(int(ScreenWidth), int(ScreenHeight), QImage::Format_ARGB32_Premultiplied);

    // 17. The first icon press is accepted 500 ms after construction.
    IconPressStopwatch.reset();
    CameraToggleStopwatch.reset();
    IconDebounceStopwatch.restart();

    // 18.
    IconTapMilliseconds = 500;
    CameraToggled = false;
    IsLandscape = 1;

    // 19. Qt's client area already excludes the window frame, so the drawing
    // area needs no title-bar correction (adding one would stretch the picture).
    TitleBarHeight = 0.0;

    // 20. Offer the platform's full-screen control where it has one.
    setWindowFlag(Qt::WindowFullscreenButtonHint, true);

    // 21, 22.
    GetScreenSize();
    OutputRect = {0.0f, 0.0f, float(ScreenWidth), float(ScreenHeight)};
    PhotoRect = {0.0f, 0.0f, float(ScreenWidth), float(ScreenHeight)};
    GetBackgroundRect_for_PhotoSize();
    CongratulationsRect = {0.0f, 0.0f, float(ScreenWidth), float(ScreenHeight)};
    GetBackgroundRect_for_congratulationsSize();

    // 23. Only the camera icon shows at start.
    CameraIconRectangle->setVisible(true);
    setControlsVisible({SwitchFrontAndBackCameraIconRectangle, CameraResolutionsRectangle,
                        CameraResolutionsLabel, CameraResolutionsTrackBar, CameraSensitivityRectangle,
                        CameraSensitivityLabel, CameraSensitivityTrackBar, FreezingSpeedRectangle,
                        FreezingSpeedLabel, FreezingSpeedTrackBar, SettingsIconRectangle,
                        AboutIconRectangle, EyeIconRectangle, NextImageIconRectangle,
                        PreviousImageIconRectangle, OkButtonRectangle, OKButton},
                       ToolsVisible);
    AboutMemo->setVisible(false);

    // 24.
    AboutMemo->clear();
    for (const QString &line : aboutLines())
        AboutMemo->appendPlainText(line);

    // 25.
    WarningCalloutRectangle->setVisible(false);
    WarningTimer->stop();
    ToolsIdleTicks = 0;
    ToolsHideTicks = 200;
    ButtonsVisibleTimer->setInterval(20);
    ButtonsVisibleTimer->stop();

    // 26. Labels and buttons get one readable text size.
    for (QObject *child : findChildren<QObject *>()) {
        if (auto *label = qobject_cast<QLabel *>(child)) {
            QFont font = label->font();
            font.setPixelSize(12);
            label->setFont(font);
            if (auto *floating = dynamic_cast<FloatLabel *>(label))
                floating->setHeightF(20.0f);
            else
                label->resize(label->width(), 20);
        } else if (auto *button = qobject_cast<QPushButton *>(child)) {
            QFont font = button->font();
            font.setPixelSize(12);
            button->setFont(font);
            button->resize(button->width(), 35);
        }
    }

    // 27, 28. The start picture: the ice of picture 1 on black.
    LoadPhotoFromImageBook(IceBitmap, iceName(PictureNumber));
    RedrawIce();

    m_constructed = true;
}

TFrostpaneMainForm::~TFrostpaneMainForm()
{
    // QWidget's destructor hides the children, and a held icon reports that
    // as a leave: by then only the QWidget part of this form is left, so no
    // child may call back into it.
    for (QObject *child : children())
        disconnect(child, nullptr, this, nullptr);
    AvailableCaptureSettings.clear();
    CameraResolutions.clear();
}

BitmapRectangle *TFrostpaneMainForm::createRectangle(float x, float y, float w, float h)
{
    auto *rectangle = new BitmapRectangle(this);
    rectangle->setGeometryF(x, y, w, h);
    rectangle->setVisible(true);
    return rectangle;
}

FloatLabel *TFrostpaneMainForm::createLabel(QWidget *parent, float x, float y, float w, float h,
                                            const QString &text)
{
    auto *label = new FloatLabel(text, parent);
    label->setGeometryF(x, y, w, h);
    label->setVisible(true);
    return label;
}

FloatTrackBar *TFrostpaneMainForm::createTrackBar(float x, float y, float w, float h)
{
    auto *trackBar = new FloatTrackBar(this);
    trackBar->setGeometryF(x, y, w, h);
    trackBar->setVisible(true);
    return trackBar;
}

void TFrostpaneMainForm::createComponents()
{
    setObjectName(QStringLiteral("FrostpaneMainForm"));
    setWindowTitle(QStringLiteral("Frostpane"));
    resize(640, 480);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    OutputRectangle = createRectangle(0, 0, 640, 480);
    CameraResolutionsTrackBar = createTrackBar(16, 72, 280, 20);
    // CameraComponent is handed in by the caller.
    CameraIconRectangle = createRectangle(80, 168, 50, 50);
    SettingsIconRectangle = createRectangle(144, 168, 50, 50);
    EyeIconRectangle = createRectangle(112, 96, 50, 50);

    WarningCalloutRectangle = new CalloutRectangle(this);
    WarningCalloutRectangle->setGeometryF(200, 120, 240, 240);
    WarningCalloutRectangle->setPointerSize(23, 11);
    WarningCalloutRectangle->setVisible(true);
    WarningText = createLabel(WarningCalloutRectangle, 0, 0, 240, 240, QString());
    WarningText->setAlignment(Qt::AlignCenter);
    WarningText->setWordWrap(true);

    ButtonsVisibleTimer = new QTimer(this);
    ButtonsVisibleTimer->setInterval(20);
    WarningTimer = new QTimer(this);
    WarningTimer->setInterval(100);

    AboutIconRectangle = createRectangle(16, 168, 49, 49);
    SwitchFrontAndBackCameraIconRectangle = createRectangle(48, 96, 50, 50);

    AboutMemo = new QPlainTextEdit(this);
    AboutMemo->setReadOnly(true);
    AboutMemo->setWordWrapMode(QTextOption::NoWrap);
    AboutMemo->resize(81, 89);
    AboutMemo->setVisible(true);

    CameraResolutionsRectangle = createRectangle(8, 40, 289, 25);
    CameraResolutionsLabel = createLabel(CameraResolutionsRectangle, 8, 0, 280, 17,
                                         QStringLiteral("Camera Resolutions Label"));

    ExitCameraTimer = new QTimer(this);
    ExitCameraTimer->setInterval(100);
    PermissionsChangedTimer = new QTimer(this);
    PermissionsChangedTimer->setInterval(100);

    NextImageIconRectangle = createRectangle(120, 248, 50, 50);
    PreviousImageIconRectangle = createRectangle(48, 248, 50, 50);

    FreezingSpeedTrackBar = createTrackBar(8, 368, 280, 20);
    FreezingSpeedTrackBar->setTickFrequency(10);
    CameraSensitivityTrackBar = createTrackBar(8, 424, 280, 20);
    CameraSensitivityTrackBar->setTickFrequency(20);
    CameraSensitivityTrackBar->setMaximum(765);

    FreezingSpeedRectangle = createRectangle(8, 344, 241, 25);
    FreezingSpeedLabel = createLabel(FreezingSpeedRectangle, 9, 0, 120, 17,
                                     QStringLiteral("Freezing Speed"));
    CameraSensitivityRectangle = createRectangle(8, 400, 241, 25);
    CameraSensitivityLabel = createLabel(CameraSensitivityRectangle, 9, 0, 120, 17,
                                         QStringLiteral("Camera Sensitivity"));

    OkButtonRectangle = createRectangle(264, 376, 97, 50);
    OKButton = new QPushButton(QStringLiteral("OK"), OkButtonRectangle);
    OKButton->setGeometry((97 - 81) / 2, (50 - 41) / 2, 81, 41);
    OKButton->setVisible(true);

    connect(CameraComponent, &VideoCamera::sampleBufferReady, this,
            &TFrostpaneMainForm::CameraComponentSampleBufferReady);
    // A camera that dies or is pulled out must not leave the icon saying "on".
    connect(CameraComponent, &VideoCamera::stoppedByItself, this, &TFrostpaneMainForm::showCameraState);
    connect(OutputRectangle, &BitmapRectangle::clicked, this, &TFrostpaneMainForm::OutputRectangleClick);
    connect(CameraIconRectangle, &BitmapRectangle::clicked, this,
            &TFrostpaneMainForm::CameraIconRectangleClick);
    connect(SwitchFrontAndBackCameraIconRectangle, &BitmapRectangle::clicked, this,
            &TFrostpaneMainForm::SwitchFrontAndBackCameraIconRectangleClick);
    connect(EyeIconRectangle, &BitmapRectangle::clicked, this, &TFrostpaneMainForm::EyeIconRectangleClick);
    connect(SettingsIconRectangle, &BitmapRectangle::clicked, this,
            &TFrostpaneMainForm::SettingsIconRectangleClick);
    connect(AboutIconRectangle, &BitmapRectangle::clicked, this,
            &TFrostpaneMainForm::AboutIconRectangleClick);
    connect(NextImageIconRectangle, &BitmapRectangle::clicked, this,
            &TFrostpaneMainForm::NextImageIconRectangleClick);
    connect(PreviousImageIconRectangle, &BitmapRectangle::clicked, this,
            &TFrostpaneMainForm::PreviousImageIconRectangleClick);
    connect(OKButton, &QPushButton::clicked, this, &TFrostpaneMainForm::OKButtonClick);
    connect(ButtonsVisibleTimer, &QTimer::timeout, this, &TFrostpaneMainForm::ButtonsVisibleTimerTimer);
    connect(ExitCameraTimer, &QTimer::timeout, this, &TFrostpaneMainForm::ExitCameraTimerTimer);
    connectToolIcons();
    connect(CameraResolutionsTrackBar, &FloatTrackBar::valueChanged, this,
            &TFrostpaneMainForm::CameraResolutionsTrackBarChange);
    connect(CameraResolutionsTrackBar, &FloatTrackBar::thumbDragged, this,
            &TFrostpaneMainForm::CameraResolutionsTrackBarTracking);

    centreAlignedChildren();
}

void TFrostpaneMainForm::setControlsVisible(std::initializer_list<QWidget *> controls, bool visible)
{
    for (QWidget *control : controls)
        control->setVisible(visible);
}

void TFrostpaneMainForm::centreAlignedChildren()
{
    const auto centre = [this](QWidget *child) {
        child->move((width() - child->width()) / 2, (height() - child->height()) / 2);
    };
    centre(AboutMemo);
    WarningCalloutRectangle->setPositionF(float(width() - WarningCalloutRectangle->widthF()) / 2.0f,
                                          float(height() - WarningCalloutRectangle->heightF()) / 2.0f);
}

void TFrostpaneMainForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The picture fills the client area and the memo stays centred by their
    // own alignment, before the layout runs.
    OutputRectangle->setGeometryF(0, 0, float(width()), float(height()));
    centreAlignedChildren();
    // Qt sends the first resize when the window is shown; the layout needs a
    // fully built form.
    if (m_constructed)
        FormResize();
}
