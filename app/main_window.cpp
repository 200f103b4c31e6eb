#include "app/main_window.h"

#include "app/picture_view.h"
#include "assets/user_photos.h"
#include "bridge/qt_bridge.h"
#include "widgets/bitmap_rectangle.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QTimer>
#include <QWindowStateChangeEvent>

Q_LOGGING_CATEGORY(lcWindow, "frostpane.window")
// Off unless asked for: QT_LOGGING_RULES="frostpane.stats.info=true".
Q_LOGGING_CATEGORY(lcStats, "frostpane.stats", QtWarningMsg)

namespace {

constexpr QSize kStartSize(640, 480);
// Without camera frames the game is stepped about 30 times a second; a
// camera counts as delivering while its last frame is younger than this.
constexpr int kStepWithoutCameraMilliseconds = 33;
constexpr qint64 kCameraQuietMilliseconds = 300;

// A licence's name stays on one line: no-break spaces and hyphens inside it.
QString unbreakable(QString name)
{
    return name.replace(QLatin1Char(' '), QChar(0x00a0)).replace(QLatin1Char('-'), QChar(0x2011));
}

// The list of every picture's source, installed beside the copyright notice;
// found from where the program itself is, so that it holds for any prefix.
QString creditsFile()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                           + QStringLiteral(FROSTPANE_CREDITS_FROM_PROGRAM));
}

// The About panel, paragraph by paragraph, in the user's language.
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
        //: %1 and %2 are licence names (CC BY 4.0, CC BY-SA 3.0), %3 the file that lists every picture's source.
        MainWindow::tr("Made by the Frostpane developers. Photographs by Aitzol Berasategi (%1), "
                       "Lukas Baubkus (%2) and others: see %3.")
            .arg(unbreakable(QStringLiteral("CC BY 4.0")), unbreakable(QStringLiteral("CC BY-SA 3.0")),
                 creditsFile()),
        MainWindow::tr("Your own photos: put them in the folder Frostpane in your Pictures folder."),
        MainWindow::tr("A finger or the mouse wipes the ice too: drag it over the picture."),
    };
}

Picture picture(const PhotoWithIce &photo)
{
    return {imageFromQImage(photo.photo), imageFromQImage(photo.ice)};
}

// Every built-in picture, by number, then the user's photos; the photos
// around the one asked for are made ready ahead.
Game::PictureLoader pictureLoader(const ImageCatalogue &catalogue,
                                  const std::unique_ptr<UserPhotoLoader> &userPhotos)
{
    return [&catalogue, &userPhotos](int number) {
        if (userPhotos)
            userPhotos->keepAround(number);
        if (number > ImageCatalogue::kPictureCount)
            return userPhotos ? picture(userPhotos->picture(number)) : Picture();
        return Picture{imageFromQImage(catalogue.image(ImageCatalogue::photoName(number))),
                       imageFromQImage(catalogue.image(ImageCatalogue::iceName(number)))};
    };
}

std::size_t slot(ToolIcon tool)
{
    return std::size_t(tool);
}

} // namespace

MainWindow::MainWindow(std::unique_ptr<VideoCamera> camera, const Clock &clock, const StoredSettings &settings,
                       QWidget *parent)
    : QWidget(parent)
    , m_game(ImageCatalogue::kPictureCount, pictureLoader(m_catalogue, m_userPhotos),
             toSize(m_catalogue.image(QStringLiteral("congratulations")).size()), toSize(kStartSize))
    , m_camera(camera.release())
    , m_sinceFrame(clock)
    , m_tapGate(clock)
    , m_cameraToggleGuard(clock)
    , m_stored(settings)
    , m_soundEnabled(settings.sound)
{
    m_camera->setParent(this);
    m_game.setCameraSensitivity(settings.cameraSensitivity);
    m_game.setFreezingSpeed(settings.freezingSpeed);
    createControls();
    connectControls();

    // The camera stays off; the remembered side counts if that camera is there.
    useCamera(settings.backCamera && m_camera->hasCamera(CameraKind::Back) ? CameraKind::Back
                                                                            : CameraKind::Front);
    showStartState();
    m_constructed = true;
    loadUserPhotos();
}

void MainWindow::loadUserPhotos()
{
    // The game starts with the built-in pictures; each of the user's photos
    // joins once it is found usable, and is made with its ice while its
    // neighbour is on show.
    m_userPhotos = std::make_unique<UserPhotoLoader>();
    connect(m_userPhotos.get(), &UserPhotoLoader::photoFound, this, [this](int count) {
        m_game.setPictureCount(ImageCatalogue::kPictureCount + count);
    });
    connect(m_userPhotos.get(), &UserPhotoLoader::pictureReady, this, [this](int number) {
        m_game.pictureArrived(number);
        m_pictureView->update();
    });
    m_userPhotos->start(UserPhotos::folder(), ImageCatalogue::kPictureCount + 1);
    m_userPhotos->keepAround(m_game.pictureNumber());
}

MainWindow::~MainWindow()
{
    // QWidget's destructor hides the children, and a held icon reports that
    // as a leave: by then only the QWidget part of this window is left, so no
    // child may call back into it.
    for (QObject *child : children())
        disconnect(child, nullptr, this, nullptr);
}

void MainWindow::setSounds(std::unique_ptr<GameSounds> sounds)
{
    m_sounds = std::move(sounds);
    if (m_sounds)
        m_sounds->setEnabled(m_soundEnabled);
}

// ---- Construction -----------------------------------------------------------

void MainWindow::describeControls()
{
    // What a screen reader says of each control: a name, and what it does.
    const auto describe = [](QWidget *control, const QString &name, const QString &description) {
        control->setAccessibleName(name);
        control->setAccessibleDescription(description);
    };
    describe(icon(ToolIcon::Camera), tr("Camera"), tr("Starts or stops the camera."));
    describe(icon(ToolIcon::Settings), tr("Settings"),
             tr("Opens the settings: camera resolution, camera sensitivity, freezing speed and sound."));
    describe(icon(ToolIcon::Eye), tr("View"),
             tr("Switches between the game picture and the plain camera picture."));
    describe(icon(ToolIcon::About), tr("About"), tr("Tells what the game is and who made it."));
    describe(icon(ToolIcon::SwitchCamera), tr("Switch camera"),
             tr("Switches between the front and the back camera."));
    describe(icon(ToolIcon::NextImage), tr("Next picture"), tr("Shows the next picture."));
    describe(icon(ToolIcon::PreviousImage), tr("Previous picture"), tr("Shows the previous picture."));
    describe(m_pictureView, tr("Picture"),
             tr("The picture under the ice. Wave at the camera or drag a finger over it to wipe the ice; "
                "tap it to show the tools."));
    describe(m_aboutText, tr("About"), tr("What the game is and who made it."));
}

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
    m_pictureView = new PictureView(m_game, m_catalogue.image(QStringLiteral("congratulations")), this);
    m_pictureView->setObjectName(QStringLiteral("pictureView"));
    m_pictureView->setGeometryF(0, 0, float(kStartSize.width()), float(kStartSize.height()));

    m_settingsPanel = new SettingsPanel(*m_camera, this);
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

    createToolIcon(ToolIcon::NextImage, QStringLiteral("nextPictureIcon"), QStringLiteral("next_image"));
    createToolIcon(ToolIcon::PreviousImage, QStringLiteral("previousPictureIcon"), QStringLiteral("previous_image"));
    describeControls();

    m_fadeTimer = new QTimer(this);
    m_fadeTimer->setObjectName(QStringLiteral("toolFadeTimer"));
    m_fadeTimer->setInterval(ToolFade::kIntervalMilliseconds);
    m_exitTimer = new QTimer(this);
    m_exitTimer->setObjectName(QStringLiteral("exitTimer"));
    m_exitTimer->setInterval(ExitSequence::kIntervalMilliseconds);
    m_stepTimer = new QTimer(this);
    m_stepTimer->setObjectName(QStringLiteral("stepTimer"));
    m_stepTimer->setInterval(kStepWithoutCameraMilliseconds);

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
        m_settingsPanel->readCaptureSettings();
        showCameraState();
    });

    connect(m_pictureView, &BitmapRectangle::clicked, this, &MainWindow::pictureTapped);
    connect(m_pictureView, &PictureView::painted, this, &MainWindow::measureShownFrame);
    connect(m_pictureView, &PictureView::stroked, this, &MainWindow::wipeAlong);
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

    connect(m_settingsPanel, &SettingsPanel::accepted, this, &MainWindow::takeSettings);

    connect(m_fadeTimer, &QTimer::timeout, this, &MainWindow::fadeTick);
    connect(m_exitTimer, &QTimer::timeout, this, &MainWindow::exitTick);
    connect(m_stepTimer, &QTimer::timeout, this, &MainWindow::stepWithoutCamera);
}

void MainWindow::showStartState()
{
    // The ice of picture 1 on black, and only the camera icon to tap.
    m_settingsPanel->hide();
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
    m_sinceFrame.restart();
    const QRect changed = toQRect(m_game.step(m_frameFitter.fit(m_takenFrame, m_game.pictureSize(), m_frontCamera),
                                              m_takenFrame.size()));
    tellSoundsAboutStep();
    if (!changed.isEmpty())
        m_pictureView->updateOutput(changed); // the black bars stay as they are
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
    if (const std::optional<std::string> report = m_statistics->takeReport(now))
        qCInfo(lcStats).noquote() << toQString(*report);
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
    tickSound();
    m_toolFade.stayAwake();
    m_game.nextPicture();
    m_pictureView->update();
}

void MainWindow::showPreviousPicture()
{
    tickSound();
    m_toolFade.stayAwake();
    m_game.previousPicture();
    m_pictureView->update();
}

void MainWindow::toggleView()
{
    if (!m_tapGate.isTap())
        return;
    tickSound();
    m_toolFade.stayAwake();
    m_game.toggleView();
    // The camera view pauses the game: nothing is wiped there.
    if (m_sounds && !m_game.isIceView())
        m_sounds->setWipeAmount(0.0);
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

// ---- Strokes ---------------------------------------------------------------------

void MainWindow::wipeAlong(QPointF from, QPointF to)
{
    // Over an open panel a stroke wipes nothing; the game drops strokes in
    // the camera view itself.
    if (m_openPanel != Panel::None)
        return;
    m_game.addStroke(m_game.toPicture(toPoint(from)), m_game.toPicture(toPoint(to)));
    if (m_game.hasPendingStrokes() && !m_stepTimer->isActive())
        m_stepTimer->start();
}

bool MainWindow::cameraDelivers() const
{
    return m_camera->isActive() && m_sinceFrame.isRunning()
           && m_sinceFrame.elapsedMilliseconds() < kCameraQuietMilliseconds;
}

void MainWindow::stepWithoutCamera()
{
    // While frames come, they step the game, strokes included; the camera
    // view pauses it.
    if (cameraDelivers() || !m_game.isIceView()) {
        m_stepTimer->stop();
        return;
    }
    const QRect changed = toQRect(m_game.stepWithoutFrame());
    tellSoundsAboutStep();
    if (!changed.isEmpty())
        m_pictureView->updateOutput(changed);
    // At rest nothing ticks.
    if (m_game.isSettled())
        m_stepTimer->stop();
}

// ---- Sound ---------------------------------------------------------------------

void MainWindow::tellSoundsAboutStep()
{
    if (!m_sounds)
        return;
    m_sounds->setWipeAmount(m_game.iceWipedFraction());
    m_sounds->setBannerShown(m_game.bannerShown());
}

void MainWindow::tickSound()
{
    if (m_sounds)
        m_sounds->tap();
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
    if (!m_settingsPanel->hasCaptureSettings() || !m_cameraToggleGuard.accept())
        return;
    tickSound();
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
    // Each camera comes with the resolution remembered for it.
    m_settingsPanel->setChosenResolution(rememberedResolution());
    m_settingsPanel->readCaptureSettings();
    setIconFace(ToolIcon::SwitchCamera, m_frontCamera ? QStringLiteral("camera_front")
                                                      : QStringLiteral("camera_back"));
    if (m_constructed && m_stored.backCamera == m_frontCamera) {
        m_stored.backCamera = !m_frontCamera;
        Q_EMIT settingsChanged();
    }
}

std::optional<VideoCaptureSetting> MainWindow::rememberedResolution() const
{
    const std::optional<VideoCaptureSetting> remembered = m_stored.resolutionFor(m_camera->deviceId().toStdString());
    // A camera that no longer offers it gets the default.
    if (remembered && !m_camera->availableCaptureSettings().contains(*remembered)) {
        qCInfo(lcWindow).noquote() << "the camera does not offer" << toQString(captureSettingText(*remembered))
                                   << "; the default resolution is used";
        return std::nullopt;
    }
    return remembered;
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
    tickSound();

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
    // A stopped camera steps the game no more: the crackle must not hang on.
    if (m_sounds && !m_camera->isActive())
        m_sounds->setWipeAmount(0.0);
    // The icon shows what the device really did.
    setIconFace(ToolIcon::Camera, m_camera->isActive() ? QStringLiteral("camera_on")
                                                       : QStringLiteral("camera_off"));
}

// ---- Panels --------------------------------------------------------------------

void MainWindow::openSettings()
{
    if (!m_tapGate.isTap())
        return;
    tickSound();
    m_settingsPanel->open({m_game.cameraSensitivity(), m_game.freezingSpeed(), m_soundEnabled});
    m_fadeTimer->stop();
    m_toolFade.stayAwake();
    for (BitmapRectangle *toolIcon : toolIcons())
        toolIcon->setVisible(false);
    m_openPanel = Panel::Settings;
}

void MainWindow::takeSettings(const SettingsPanel::Values &values)
{
    // The new values count from the next frame step.
    m_game.setCameraSensitivity(values.cameraSensitivity);
    m_game.setFreezingSpeed(values.freezingSpeed);
    m_toolFade.stayAwake();
    m_fadeTimer->stop();
    m_openPanel = Panel::None;
    showCameraState();

    // A resolution the user chose is remembered for this camera only.
    const std::string cameraId = m_camera->deviceId().toStdString();
    const std::optional<VideoCaptureSetting> chosen = m_settingsPanel->chosenResolution();
    if (!cameraId.empty() && m_settingsPanel->hasCaptureSettings() && chosen != m_stored.resolutionFor(cameraId))
        m_stored.resolutions[cameraId] = chosen;
    const bool soundChanged = values.sound != m_soundEnabled;
    m_soundEnabled = values.sound;
    if (soundChanged) {
        if (m_sounds)
            m_sounds->setEnabled(m_soundEnabled);
        Q_EMIT soundEnabledChanged(m_soundEnabled);
    }
    Q_EMIT settingsChanged();
}

StoredSettings MainWindow::storedSettings() const
{
    StoredSettings settings = m_stored;
    settings.cameraSensitivity = m_game.cameraSensitivity();
    settings.freezingSpeed = m_game.freezingSpeed();
    settings.sound = m_soundEnabled;
    settings.backCamera = !m_frontCamera;
    settings.fullScreen = isFullScreen();
    settings.geometry = saveGeometry().toStdString();
    return settings;
}

void MainWindow::openAbout()
{
    if (!m_tapGate.isTap())
        return;
    tickSound();
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
        m_settingsPanel->cancel();
        showCameraState();
    }
    m_fadeTimer->stop();
    m_settingsPanel->hide();
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
    m_game.setOutputSize(toSize((QSizeF(size()) * ratio).toSize()), ratio);
    m_pictureView->update();

    m_settingsPanel->place(screenWidth, screenHeight);

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
        Q_EMIT settingsChanged();
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
    else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_openPanel == Panel::Settings)
        m_settingsPanel->pressOk(); // as in any dialog
    QWidget::keyPressEvent(event);
}

// ---- Full screen ---------------------------------------------------------------

void MainWindow::toggleFullScreen()
{
    // Only the full-screen flag changes: a maximized window stays maximized
    // underneath (showFullScreen() would drop that, and X11 window managers
    // then un-maximize it), so leaving full screen gives it back as it was.
    // Some window managers still report the window as no longer maximized
    // while full screen; the state noted on the way in restores it.
    if (isFullScreen()) {
        Qt::WindowStates state = windowState() & ~Qt::WindowFullScreen;
        if (m_maximizedBeforeFullScreen)
            state |= Qt::WindowMaximized;
        setWindowState(state);
    } else {
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowFullScreen);
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
