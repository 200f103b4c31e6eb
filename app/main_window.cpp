#include "app/main_window.h"

#include "app/picture_view.h"
#include "assets/user_photos.h"
#include "core/settings_mapping.h"
#include "widgets/bitmap_rectangle.h"
#include "widgets/float_slider.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QTimer>
#include <QWindowStateChangeEvent>

Q_LOGGING_CATEGORY(lcWindow, "frostpane.window")
// Off unless asked for: QT_LOGGING_RULES="frostpane.stats.info=true".
Q_LOGGING_CATEGORY(lcStats, "frostpane.stats", QtWarningMsg)

namespace {

constexpr QSize kStartSize(640, 480);

// The About panel, line by line, in the user's language.
QStringList aboutLines()
{
    return {
        //: %1 is the version number.
        MainWindow::tr("Frostpane! v.%1").arg(QStringLiteral(FROSTPANE_VERSION)),
        QString(),
        MainWindow::tr("Game for kids. Interact with your computer using no mouse and no keyboard by "
                       "simple hand waving in the air before the camera. The goal of the game is to "
                       "clean the ice from the window before the window freezes back."),
        MainWindow::tr("The game is perfect for kids, who still don't have skills how to use keyboard "
                       "or the mouse. Improves physical coordination and provides a lot of fun."),
        MainWindow::tr("The program requires video capture device (e.g. web camera)."),
        QString(),
        //: The next line says who.
        MainWindow::tr("Made by"),
        MainWindow::tr("the Frostpane developers. Photographs by Aitzol Berasategi (CC BY 4.0), "
                       "Lukas Baubkus (CC BY-SA 3.0) and others: see CREDITS."),
        MainWindow::tr("Your own photos: put them in the folder Frostpane in your Pictures folder."),
    };
}

// Every built-in picture, by number, then the user's photos that are ready.
Game::PictureLoader pictureLoader(const ImageCatalogue &catalogue, const QList<Picture> &userPictures)
{
    return [&catalogue, &userPictures](int number) {
        if (number > ImageCatalogue::kPictureCount)
            return userPictures.value(number - ImageCatalogue::kPictureCount - 1);
        return Picture{catalogue.image(ImageCatalogue::photoName(number)),
                       catalogue.image(ImageCatalogue::iceName(number))};
    };
}

std::size_t slot(ToolIcon tool)
{
    return std::size_t(tool);
}

} // namespace

MainWindow::MainWindow(std::unique_ptr<VideoCamera> camera, const Clock &clock, QWidget *parent)
    : QWidget(parent)
    , m_game(ImageCatalogue::kPictureCount, pictureLoader(m_catalogue, m_userPictures),
             m_catalogue.image(QStringLiteral("congratulations")), kStartSize)
    , m_camera(camera.release())
    , m_tapGate(clock)
    , m_cameraToggleGuard(clock)
{
    m_camera->setParent(this);
    createControls();
    connectControls();

    m_camera->setKind(CameraKind::Front);
    readCaptureSettings();
    showStartState();
    m_constructed = true;
    loadUserPhotos();
}

void MainWindow::loadUserPhotos()
{
    // The game starts with the built-in pictures; each of the user's photos
    // joins once it and its ice are ready, so none is ever shown half made.
    m_userPhotos = std::make_unique<UserPhotoLoader>();
    connect(m_userPhotos.get(), &UserPhotoLoader::photoReady, this, [this](const Picture &picture) {
        m_userPictures.append(picture);
        m_game.setPictureCount(ImageCatalogue::kPictureCount + int(m_userPictures.size()));
    });
    m_userPhotos->start(UserPhotos::folder(), ImageCatalogue::kPictureCount + 1);
}

MainWindow::~MainWindow()
{
    // QWidget's destructor hides the children, and a held icon reports that
    // as a leave: by then only the QWidget part of this window is left, so no
    // child may call back into it.
    for (QObject *child : children())
        disconnect(child, nullptr, this, nullptr);
}

// ---- Construction -----------------------------------------------------------

BitmapRectangle *MainWindow::createRectangle(const QString &name, float x, float y, float w, float h)
{
    auto *rectangle = new BitmapRectangle(this);
    rectangle->setObjectName(name);
    rectangle->setGeometryF(x, y, w, h);
    return rectangle;
}

BitmapRectangle *MainWindow::createToolIcon(ToolIcon tool, const QString &name, const QString &face)
{
    // A bare picture: no color, no outline. It takes its picture's size
    // until the first layout.
    BitmapRectangle *icon = createRectangle(name, 0, 0, 0, 0);
    icon->setFillKind(BitmapRectangle::Brush::Bitmap);
    icon->setStrokeKind(BitmapRectangle::Brush::None);
    icon->setFillBitmap(m_catalogue.image(face));
    icon->setSizeF(float(icon->fillBitmap().width()), float(icon->fillBitmap().height()));
    m_tools[slot(tool)].icon = icon;
    return icon;
}

FloatSlider *MainWindow::createSlider(const QString &name, float x, float y, float w, float h)
{
    auto *slider = new FloatSlider(this);
    slider->setObjectName(name);
    slider->setGeometryF(x, y, w, h);
    return slider;
}

MainWindow::FloatLabel *MainWindow::createLabel(QWidget *parent, float x, float y, float w, float h,
                                                const QString &text)
{
    auto *label = new FloatLabel(text, parent);
    label->setGeometryF(x, y, w, h);
    QFont font = label->font();
    font.setPixelSize(12);
    label->setFont(font);
    label->setHeightF(20.0f);
    return label;
}

void MainWindow::createControls()
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Frostpane"));
    resize(kStartSize);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    // Created bottom to top: Qt stacks children in creation order.
    m_pictureView = new PictureView(m_game, this);
    m_pictureView->setObjectName(QStringLiteral("pictureView"));
    m_pictureView->setGeometryF(0, 0, float(kStartSize.width()), float(kStartSize.height()));

    m_resolution.slider = createSlider(QStringLiteral("resolutionSlider"), 16, 72, 280, 20);
    createToolIcon(ToolIcon::Camera, QStringLiteral("cameraIcon"), QStringLiteral("camera_off"));
    createToolIcon(ToolIcon::Settings, QStringLiteral("settingsIcon"), QStringLiteral("settings"));
    createToolIcon(ToolIcon::Eye, QStringLiteral("eyeIcon"), QStringLiteral("view_snowflake"));
    createToolIcon(ToolIcon::About, QStringLiteral("aboutIcon"), QStringLiteral("about_icon"));
    createToolIcon(ToolIcon::SwitchCamera, QStringLiteral("switchCameraIcon"), QStringLiteral("camera_front"));

    m_aboutText = new QPlainTextEdit(this);
    m_aboutText->setObjectName(QStringLiteral("aboutText"));
    m_aboutText->setReadOnly(true);
    m_aboutText->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_aboutText->resize(400, 270);
    for (const QString &line : aboutLines())
        m_aboutText->appendPlainText(line);

    m_resolution.box = createRectangle(QStringLiteral("resolutionBox"), 8, 40, 289, 25);
    m_resolution.label = createLabel(m_resolution.box, 8, 0, 280, 17,
                                     //: Above the resolution slider when the camera offers no 640 x 480 picture.
                                     tr("Camera Resolutions Label"));

    createToolIcon(ToolIcon::NextImage, QStringLiteral("nextPictureIcon"), QStringLiteral("next_image"));
    createToolIcon(ToolIcon::PreviousImage, QStringLiteral("previousPictureIcon"), QStringLiteral("previous_image"));

    m_freezing.slider = createSlider(QStringLiteral("freezingSpeedSlider"), 8, 368, 280, 20);
    m_freezing.slider->setTickFrequency(10);
    m_sensitivity.slider = createSlider(QStringLiteral("sensitivitySlider"), 8, 424, 280, 20);
    m_sensitivity.slider->setTickFrequency(20);
    m_sensitivity.slider->setMaximum(765);
    m_freezing.box = createRectangle(QStringLiteral("freezingSpeedBox"), 8, 344, 241, 25);
    m_freezing.label = createLabel(m_freezing.box, 9, 0, 120, 17,
                                   //: The slider sets how fast the ice grows back.
                                   tr("Freezing Speed"));
    m_sensitivity.box = createRectangle(QStringLiteral("sensitivityBox"), 8, 400, 241, 25);
    m_sensitivity.label = createLabel(m_sensitivity.box, 9, 0, 120, 17,
                                      //: The slider sets how much movement wipes the ice.
                                      tr("Camera Sensitivity"));

    m_okBox = createRectangle(QStringLiteral("okBox"), 264, 376, 97, 50);
    m_okButton = new QPushButton(tr("OK"), m_okBox);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    QFont font = m_okButton->font();
    font.setPixelSize(12);
    m_okButton->setFont(font);
    m_okButton->setGeometry((97 - 81) / 2, (50 - 41) / 2, 81, 35);

    // The resolution slider reports its value once it is let go; setting its
    // range here must reach no handler.
    {
        const QSignalBlocker detached(m_resolution.slider);
        m_resolution.slider->setTracking(false);
        m_resolution.slider->setMinimum(1);
        m_resolution.slider->setMaximum(1);
    }

    m_fadeTimer = new QTimer(this);
    m_fadeTimer->setObjectName(QStringLiteral("toolFadeTimer"));
    m_fadeTimer->setInterval(ToolFade::kIntervalMilliseconds);
    m_exitTimer = new QTimer(this);
    m_exitTimer->setObjectName(QStringLiteral("exitTimer"));
    m_exitTimer->setInterval(ExitSequence::kIntervalMilliseconds);

    centerAboutText();
}

void MainWindow::connectControls()
{
    connect(m_camera, &VideoCamera::frameArrived, this, &MainWindow::stepFrame);
    // A camera that dies or is pulled out must not leave the icon saying "on".
    connect(m_camera, &VideoCamera::stoppedByItself, this, &MainWindow::showCameraState);
    // Frames of a new stream are never compared with the old stream's.
    connect(m_camera, &VideoCamera::streamStarted, this, [this] { m_game.requestNewReference(); });
    connect(m_camera, &VideoCamera::camerasChanged, this, [this] {
        readCaptureSettings();
        showCameraState();
    });

    connect(m_pictureView, &BitmapRectangle::clicked, this, &MainWindow::pictureTapped);
    connect(m_pictureView, &PictureView::painted, this, &MainWindow::measureShownFrame);
    connect(m_pictureView, &PictureView::pixelRatioChanged, this, &MainWindow::placeControls,
            Qt::QueuedConnection);
    connect(icon(ToolIcon::Camera), &BitmapRectangle::clicked, this, &MainWindow::toggleCamera);
    connect(icon(ToolIcon::SwitchCamera), &BitmapRectangle::clicked, this, &MainWindow::switchCamera);
    connect(icon(ToolIcon::Eye), &BitmapRectangle::clicked, this, &MainWindow::toggleView);
    connect(icon(ToolIcon::Settings), &BitmapRectangle::clicked, this, &MainWindow::openSettings);
    connect(icon(ToolIcon::About), &BitmapRectangle::clicked, this, &MainWindow::openAbout);
    connect(icon(ToolIcon::NextImage), &BitmapRectangle::clicked, this, &MainWindow::showNextPicture);
    connect(icon(ToolIcon::PreviousImage), &BitmapRectangle::clicked, this, &MainWindow::showPreviousPicture);
    for (std::size_t i = 0; i < m_tools.size(); ++i) {
        const auto tool = ToolIcon(i);
        BitmapRectangle *toolIcon = m_tools[i].icon;
        connect(toolIcon, &BitmapRectangle::pressed, this, [this, tool] { pressTool(tool); });
        // A release and the pointer leaving both end the press.
        connect(toolIcon, &BitmapRectangle::released, this, [this, tool] { releaseTool(tool); });
        connect(toolIcon, &BitmapRectangle::left, this, [this, tool] { releaseTool(tool); });
    }

    connect(m_okButton, &QPushButton::clicked, this, &MainWindow::confirmSettings);
    connect(m_resolution.slider, &FloatSlider::valueChanged, this, [this] {
        m_resolutionSliderMoved = true;
        showResolutionAtSlider();
    });
    connect(m_resolution.slider, &FloatSlider::thumbDragged, this, &MainWindow::showResolutionAtSlider);

    connect(m_fadeTimer, &QTimer::timeout, this, &MainWindow::fadeTick);
    connect(m_exitTimer, &QTimer::timeout, this, &MainWindow::exitTick);
}

void MainWindow::showStartState()
{
    // The ice of picture 1 on black, and only the camera icon to tap.
    for (QWidget *control : settingsControls())
        control->setVisible(false);
    for (BitmapRectangle *toolIcon : toolIcons())
        toolIcon->setVisible(toolIcon == icon(ToolIcon::Camera));
    m_aboutText->setVisible(false);
}

// ---- Frames and pictures ------------------------------------------------------

void MainWindow::stepFrame()
{
    if (!m_camera->isActive())
        return;
    const bool measuring = lcStats().isInfoEnabled();
    const std::int64_t start = measuring ? steadyMicroseconds() : 0;
    if (!m_camera->takeFrame(m_takenFrame))
        return;
    const QRect changed = m_game.step(m_takenFrame, m_frontCamera);
    if (!changed.isEmpty())
        m_pictureView->update(logicalRect(changed)); // the black bars stay as they are
    if (!measuring)
        return;
    const std::int64_t now = steadyMicroseconds();
    if (!m_statistics)
        m_statistics.emplace(now);
    m_statistics->stepped(now - start);
    const VideoCamera::FrameCounts counts = m_camera->frameCounts();
    m_statistics->countFrames(counts.received, counts.replaced);
    if (!changed.isEmpty())
        m_unshownArrival = m_camera->takenFrameArrival();
    if (const std::optional<QString> report = m_statistics->takeReport(now))
        qCInfo(lcStats).noquote() << *report;
}

void MainWindow::measureShownFrame()
{
    if (!m_statistics || m_unshownArrival == 0)
        return;
    m_statistics->shown(steadyMicroseconds() - m_unshownArrival);
    m_unshownArrival = 0;
}

void MainWindow::showNextPicture()
{
    m_toolFade.stayAwake();
    m_game.nextPicture();
    m_pictureView->update();
}

void MainWindow::showPreviousPicture()
{
    m_toolFade.stayAwake();
    m_game.previousPicture();
    m_pictureView->update();
}

void MainWindow::toggleView()
{
    if (!m_tapGate.isTap())
        return;
    m_toolFade.stayAwake();
    m_game.toggleView();
    setIconFace(ToolIcon::Eye, m_game.isIceView() ? QStringLiteral("view_snowflake")
                                                  : QStringLiteral("view_man"));
}

void MainWindow::pictureTapped()
{
    m_toolFade.stayAwake();
    if (m_openPanel != Panel::None) {
        closePanels();
        return;
    }
    showTools();
}

// ---- Tool icons ----------------------------------------------------------------

BitmapRectangle *MainWindow::icon(ToolIcon tool) const
{
    return m_tools[slot(tool)].icon;
}

QList<BitmapRectangle *> MainWindow::toolIcons() const
{
    QList<BitmapRectangle *> icons;
    for (const ToolButton &button : m_tools)
        icons.append(button.icon);
    return icons;
}

void MainWindow::setIconFace(ToolIcon tool, const QString &name)
{
    const QImage face = m_catalogue.image(name);
    if (!face.isNull())
        icon(tool)->setFillBitmap(face);
}

void MainWindow::showTools()
{
    m_toolFade.show();
    for (BitmapRectangle *toolIcon : toolIcons()) {
        toolIcon->setVisible(true);
        toolIcon->setOpacity(m_toolFade.opacity());
    }
    m_fadeTimer->start();
}

void MainWindow::pressTool(ToolIcon tool)
{
    if (!m_tapGate.acceptPress())
        return;
    m_pressedTool = tool;
    BitmapRectangle *pressed = icon(tool);
    pressed->raise();
    letOnlyThisRectangleBeHit(pressed, false);

    const PressedIconPlace place = placePressedIcon(pressed->xF(), pressed->yF(), pressed->widthF(),
                                                    pressed->heightF(), float(kIconPressScale));
    m_tools[slot(tool)].home = place.home;
    pressed->setScaleX(float(kIconPressScale));
    pressed->setScaleY(float(kIconPressScale));
    pressed->setPositionF(place.x, place.y);
}

void MainWindow::releaseTool(ToolIcon tool)
{
    if (m_pressedTool != tool)
        return;
    m_pressedTool.reset();
    m_tapGate.endPress();
    BitmapRectangle *pressed = icon(tool);
    const IconHome &home = m_tools[slot(tool)].home;
    letOnlyThisRectangleBeHit(pressed, true);
    pressed->setScaleX(1.0f);
    pressed->setScaleY(1.0f);
    pressed->setPositionF(float(home.left), float(home.top));
}

void MainWindow::letOnlyThisRectangleBeHit(const BitmapRectangle *pressed, bool othersToo)
{
    // While an icon is held, nothing else takes the pointer: a second finger
    // or a slide onto the picture does not act.
    for (QObject *child : children()) {
        if (auto *rectangle = qobject_cast<BitmapRectangle *>(child))
            rectangle->setHitTest(rectangle == pressed || othersToo);
    }
}

void MainWindow::fadeTick()
{
    const bool hide = m_toolFade.tick();
    for (BitmapRectangle *toolIcon : toolIcons()) {
        toolIcon->setOpacity(m_toolFade.opacity());
        if (hide)
            toolIcon->setVisible(false);
    }
    if (hide)
        m_fadeTimer->stop();
}

// ---- Camera --------------------------------------------------------------------

void MainWindow::toggleCamera()
{
    if (!m_tapGate.isTap())
        return;
    m_toolFade.stayAwake();
    m_fadeTimer->start();
    if (m_captureSettings.isEmpty() || !m_cameraToggleGuard.accept())
        return;
    const bool starting = !m_camera->isActive();
    m_camera->setActive(starting);
    // The chosen camera would not start: the other one, if there is one,
    // is the camera that is there.
    if (starting && !m_camera->isActive() && m_camera->hasCamera(otherCamera())) {
        qCInfo(lcWindow) << "the selected camera did not start; trying the other one";
        useCamera(otherCamera());
        m_camera->setActive(true);
    }
    showCameraState();
}

CameraKind MainWindow::otherCamera() const
{
    return m_frontCamera ? CameraKind::Back : CameraKind::Front;
}

void MainWindow::useCamera(CameraKind kind)
{
    m_frontCamera = kind == CameraKind::Front;
    m_camera->setKind(kind);
    readCaptureSettings();
    setIconFace(ToolIcon::SwitchCamera, m_frontCamera ? QStringLiteral("camera_front")
                                                      : QStringLiteral("camera_back"));
}

void MainWindow::switchCamera()
{
    if (!m_tapGate.isTap())
        return;
    m_toolFade.stayAwake();
    // Nothing to switch to is no reason to stop the camera that plays.
    if (!m_camera->hasCamera(otherCamera())) {
        qCInfo(lcWindow) << "no other camera to switch to";
        return;
    }
    // A resolution chosen for the other camera is not carried over.
    m_useDefaultResolution = true;

    // The camera is always stopped while its device changes.
    const bool wasActive = m_camera->isActive();
    m_camera->setActive(false);
    useCamera(otherCamera());
    m_camera->setActive(wasActive);
    // Off at once if the other camera would not start.
    showCameraState();
}

void MainWindow::showCameraState()
{
    // The icon shows what the device really did.
    setIconFace(ToolIcon::Camera, m_camera->isActive() ? QStringLiteral("camera_on")
                                                       : QStringLiteral("camera_off"));
}

void MainWindow::readCaptureSettings()
{
    m_captureSettings = m_camera->availableCaptureSettings();
    m_resolutions = reduceCaptureSettings(m_captureSettings);
    // With no device the old label texts stay.
    if (!m_captureSettings.isEmpty()) {
        m_resolutionLabels.clear();
        for (int k = 0; k <= m_resolutions.last; ++k)
            m_resolutionLabels.append(resolutionLabel(m_resolutions.entries[k]));
    }
    {
        const QSignalBlocker detached(m_resolution.slider);
        m_resolution.slider->setMinimum(0);
        m_resolution.slider->setMaximum(m_resolutions.last);
    }
    requestDefaultOrCustomResolution();
}

void MainWindow::requestDefaultOrCustomResolution()
{
    if (m_captureSettings.isEmpty())
        return;
    if (m_useDefaultResolution) {
        // Without a 640 x 480 setting the camera keeps whatever it has.
        if (m_resolutions.defaultSetting.frameRate != 0.0)
            m_camera->requestCaptureSetting(m_resolutions.defaultSetting);
    } else {
        m_camera->requestCaptureSetting(m_customCaptureSetting);
    }
    syncResolutionSlider();
}

void MainWindow::syncResolutionSlider()
{
    // The default is shown by its size alone; a custom setting must match
    // whole, frame rate included.
    const VideoCaptureSetting inUse = m_useDefaultResolution ? VideoCaptureSetting{640, 480, 0.0}
                                                             : m_camera->captureSetting();
    for (int j = 0; j <= m_resolutions.last && j < m_resolutions.entries.size(); ++j) {
        const VideoCaptureSetting &entry = m_resolutions.entries[j];
        if (m_useDefaultResolution ? !entry.sameSize(inUse) : entry != inUse)
            continue;
        if (j < m_resolutionLabels.size())
            m_resolution.label->setText(m_resolutionLabels[j]);
        const QSignalBlocker detached(m_resolution.slider);
        m_resolution.slider->setValue(resolutionPositionOfIndex(j, m_resolutions.last));
        return;
    }
}

void MainWindow::showResolutionAtSlider()
{
    const int j = resolutionIndexOfPosition(m_resolution.slider->value(), m_resolutions.last);
    if (j < m_resolutionLabels.size())
        m_resolution.label->setText(m_resolutionLabels[j]);
}

// ---- Panels --------------------------------------------------------------------

QList<QWidget *> MainWindow::settingsControls() const
{
    return {m_resolution.box,  m_resolution.label,  m_resolution.slider,
            m_sensitivity.box, m_sensitivity.label, m_sensitivity.slider,
            m_freezing.box,    m_freezing.label,    m_freezing.slider,
            m_okBox,           m_okButton};
}

void MainWindow::openSettings()
{
    if (!m_tapGate.isTap())
        return;
    m_sensitivity.slider->setValue(sensitivitySliderValue(m_game.cameraSensitivity()));
    m_freezing.slider->setValue(m_game.freezingSpeed());

    if (!m_captureSettings.isEmpty()) {
        m_resolution.slider->setEnabled(true);
        m_savedCaptureSetting = m_camera->captureSetting();
        m_savedCameraActive = m_camera->isActive();
        syncResolutionSlider();
    } else {
        m_resolution.slider->setEnabled(false);
        m_resolution.label->setText(tr("Camera not available"));
    }

    m_fadeTimer->stop();
    m_toolFade.stayAwake();
    for (BitmapRectangle *toolIcon : toolIcons())
        toolIcon->setVisible(false);
    for (QWidget *control : settingsControls())
        control->setVisible(true);
    m_openPanel = Panel::Settings;
}

void MainWindow::confirmSettings()
{
    m_game.setCameraSensitivity(sensitivityFromSlider(m_sensitivity.slider->value()));
    m_game.setFreezingSpeed(freezingSpeedFromSlider(m_freezing.slider->value()));
    m_toolFade.stayAwake();
    if (m_openPanel != Panel::Settings)
        return;

    m_fadeTimer->stop();
    for (QWidget *control : settingsControls())
        control->setVisible(false);
    m_openPanel = Panel::None;

    // Once the user has moved the resolution slider, every OK applies it,
    // with the camera stopped while its setting changes.
    if (!m_resolutionSliderMoved)
        return;
    const bool wasActive = m_camera->isActive();
    m_camera->setActive(false);
    if (!m_captureSettings.isEmpty()) {
        const int j = resolutionIndexOfPosition(m_resolution.slider->value(), m_resolutions.last);
        if (j < m_resolutions.entries.size())
            m_camera->requestCaptureSetting(m_resolutions.entries[j]);
        if (j < m_resolutionLabels.size())
            m_resolution.label->setText(m_resolutionLabels[j]);
        m_customCaptureSetting = m_camera->captureSetting();
        m_useDefaultResolution = false;
    }
    m_camera->setActive(wasActive);
    showCameraState();
}

void MainWindow::openAbout()
{
    if (!m_tapGate.isTap())
        return;
    m_fadeTimer->stop();
    m_toolFade.stayAwake();
    for (BitmapRectangle *toolIcon : toolIcons())
        toolIcon->setVisible(false);
    m_aboutText->setVisible(true);
    m_openPanel = Panel::About;
}

void MainWindow::closePanels()
{
    if (m_openPanel == Panel::Settings) {
        // Cancel: the camera goes back to how it was when the panel opened;
        // the sliders' values are not taken.
        readCaptureSettings();
        m_camera->setActive(m_savedCameraActive);
        m_camera->requestCaptureSetting(m_savedCaptureSetting);
        showCameraState();
    }
    m_fadeTimer->stop();
    for (QWidget *control : settingsControls())
        control->setVisible(false);
    m_aboutText->setVisible(false);
    m_openPanel = Panel::None;
}

// ---- Layout --------------------------------------------------------------------

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_pictureView->setGeometryF(0, 0, float(width()), float(height()));
    centerAboutText();
    // Qt sends the first resize when the window is shown; the layout needs a
    // fully built window.
    if (m_constructed)
        placeControls();
}

QRect MainWindow::logicalRect(const QRect &output) const
{
    const double ratio = m_game.pixelRatio();
    if (ratio == 1.0)
        return output;
    return QRectF(output.x() / ratio, output.y() / ratio, output.width() / ratio, output.height() / ratio)
        .toAlignedRect();
}

void MainWindow::centerAboutText()
{
    m_aboutText->move((width() - m_aboutText->width()) / 2, (height() - m_aboutText->height()) / 2);
}

void MainWindow::placeControls()
{
    const double screenWidth = width();
    const double screenHeight = height();
    // The game draws at the screen's own pixels.
    const double ratio = devicePixelRatioF();
    m_game.setOutputSize((QSizeF(size()) * ratio).toSize(), ratio);
    m_pictureView->update();

    for (const SliderSlot &sliderSlot : kSliderSlots) {
        const SliderGroup &group = sliderSlot.slider == SettingsSlider::CameraResolutions ? m_resolution
                                   : sliderSlot.slider == SettingsSlider::CameraSensitivity ? m_sensitivity
                                                                                          : m_freezing;
        const SliderGroupPlace p = placeSliderGroup(
            screenWidth, screenHeight, sliderSlot.centerY, group.slider->widthF(), group.slider->heightF(),
            group.label->xF(), group.label->yF(), group.label->heightF());
        group.slider->setPositionF(p.trackX, p.trackY);
        group.box->setWidthF(p.boxWidth);
        group.label->setWidthF(p.labelWidth);
        group.box->setHeightF(p.boxHeight);
        group.box->setPositionF(p.boxX, p.boxY);
    }

    const Point ok = placeOkBox(screenWidth, m_okBox->widthF(), m_freezing.slider->yF(),
                                m_freezing.slider->heightF());
    m_okBox->setPositionF(ok.x, ok.y);

    const double longerSide = longSide(screenWidth, screenHeight);
    for (const IconSlot &iconSlot : kIconSlots) {
        ToolButton &button = m_tools[slot(iconSlot.icon)];
        const IconPlace p = placeIcon(screenWidth, screenHeight, longerSide, kIconSizeFactor,
                                      button.icon->fillBitmap().width(), button.icon->fillBitmap().height(),
                                      iconSlot.centerX, iconSlot.centerY);
        button.icon->setHeightF(p.height);
        button.icon->setWidthF(p.width);
        button.icon->setPositionF(p.x, p.y);
        button.home = p.home;
    }
}

// ---- Shutdown ------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_camera->isActive()) {
        m_exitTimer->stop();
        event->accept();
        return;
    }
    // A running camera is stopped first, never cut off; the exit timer
    // closes the window once it has stopped. More requests meanwhile change
    // nothing: the window goes as soon as the first one allows.
    event->ignore();
    if (m_exitTimer->isActive())
        return;
    m_exitSequence.restart();
    m_exitTimer->start();
}

void MainWindow::exitTick()
{
    switch (m_exitSequence.tick(m_camera->isActive())) {
    case ExitSequence::Action::None:
        break;
    case ExitSequence::Action::StopCamera:
        m_camera->setActive(false);
        break;
    case ExitSequence::Action::ShowCameraOff:
        setIconFace(ToolIcon::Camera, QStringLiteral("camera_off"));
        break;
    case ExitSequence::Action::Close:
        m_exitTimer->stop();
        close();
        break;
    }
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    // Escape ends the game; F11 switches full screen, as on Linux desktops.
    // No other key means anything.
    if (event->key() == Qt::Key_Escape)
        close();
    else if (event->key() == Qt::Key_F11 && !event->isAutoRepeat())
        toggleFullScreen();
    QWidget::keyPressEvent(event);
}

// ---- Full screen ---------------------------------------------------------------

void MainWindow::toggleFullScreen()
{
    if (isFullScreen()) {
        if (m_maximizedBeforeFullScreen)
            showMaximized();
        else
            showNormal();
    } else {
        showFullScreen();
    }
}

void MainWindow::changeEvent(QEvent *event)
{
    // The window manager may make the window full screen by itself (its own
    // key or menu); the new size arrives as a resize event, which lays the
    // window out. Only the state to come back to is noted here.
    if (event->type() == QEvent::WindowStateChange) {
        const Qt::WindowStates old = static_cast<QWindowStateChangeEvent *>(event)->oldState();
        if (isFullScreen() && !(old & Qt::WindowFullScreen))
            m_maximizedBeforeFullScreen = old.testFlag(Qt::WindowMaximized);
    }
    QWidget::changeEvent(event);
}
