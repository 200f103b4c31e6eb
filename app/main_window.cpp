#include "app/main_window.h"

#include "app/about_panel.h"
#include "app/camera_controller.h"
#include "app/frame_stepper.h"
#include "app/picture_library.h"
#include "app/picture_view.h"
#include "app/settings_panel.h"
#include "app/tool_icons.h"
#include "bridge/qt_bridge.h"
#include "widgets/accessible_text.h"
#include "widgets/bitmap_rectangle.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QTimer>
#include <QWindowStateChangeEvent>

MainWindow::MainWindow(std::unique_ptr<VideoCamera> camera, const Clock &clock, const StoredSettings &settings,
                       QWidget *parent)
    : QWidget(parent)
    , m_pictures(std::make_unique<PictureLibrary>(m_catalogue))
    , m_session(clock, ImageCatalogue::kPictureCount, m_pictures->loader(),
                toSize(m_catalogue.image(QStringLiteral("congratulations")).size()), toSize(kStartSize), settings)
    , m_game(m_session.game())
    , m_camera(std::make_unique<CameraController>(std::move(camera), m_session, this))
{
    // This window draws the wave target and sounds its going on.
    m_session.setWaveTargetDrawn(true);
    createControls();
    connectControls();

    // The camera stays off; the remembered side counts if that camera is there.
    m_camera->selectRememberedCamera();
    countCameras();
    m_constructed = true;
    m_pictures->findUserPhotos(m_game.pictureNumber());
}

MainWindow::~MainWindow()
{
    // QWidget's destructor hides and deletes the controls: by then only the
    // QWidget part of this window is left, so no child may call back into it.
    for (QObject *child : children())
        disconnect(child, nullptr, this, nullptr);
}

void MainWindow::setSounds(std::unique_ptr<GameSounds> sounds)
{
    m_stepper->setSounds(std::move(sounds), m_session.isSoundEnabled());
}

StoredSettings MainWindow::storedSettings() const
{
    StoredSettings settings = m_session.settings();
    settings.fullScreen = isFullScreen();
    settings.geometry = saveGeometry().toStdString();
    return settings;
}

// ---- Construction -----------------------------------------------------------

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
    m_pictureView = new PictureView(m_session, m_catalogue.image(QStringLiteral("congratulations")),
                                    m_catalogue.image(QStringLiteral("next_image")), this);
    m_pictureView->setObjectName(QStringLiteral("pictureView"));
    m_pictureView->setGeometryF(0, 0, float(kStartSize.width()), float(kStartSize.height()));
    m_waveTargetButton = new BitmapRectangle(this);
    m_waveTargetButton->setObjectName(QStringLiteral("waveTargetButton"));
    m_waveTargetButton->setFillKind(BitmapRectangle::Brush::None);
    m_waveTargetButton->setStrokeKind(BitmapRectangle::Brush::None);
    m_waveTargetButton->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Named as the next-picture tool, which does the same.
    setAccessibleText(m_waveTargetButton, QCoreApplication::translate("ToolIcons", "Next picture"),
                      //: A screen reader's words for the target a won picture offers.
                      QCoreApplication::translate("WaveTarget", "The round target on the won picture: waving at it, "
                                                                "or pressing it, brings the next picture."));
    m_waveTargetButton->hide();
    m_settingsPanel = std::make_unique<SettingsPanel>(*m_camera, m_session, this);
    m_tools = std::make_unique<ToolIcons>(m_catalogue, m_session.controls(), this);
    m_about = new AboutPanel(this);

    m_stepper = std::make_unique<FrameStepper>(m_session, *m_camera, *m_pictureView, this);
    m_exitTimer = new QTimer(this);
    m_exitTimer->setObjectName(QStringLiteral("exitTimer"));
    m_exitTimer->setInterval(ExitSequence::kIntervalMilliseconds);
}

void MainWindow::connectControls()
{
    // The icon shows what the device really did.
    connect(m_camera.get(), &CameraController::stateChanged, m_tools.get(), &ToolIcons::showCameraRunning);
    connect(m_camera.get(), &CameraController::stateChanged, m_stepper.get(), &FrameStepper::cameraStateChanged);
    connect(m_camera.get(), &CameraController::sideChanged, m_tools.get(), &ToolIcons::showCameraSide);
    connect(m_camera.get(), &CameraController::settingsChanged, this, &MainWindow::settingsChanged);
    connect(&m_camera->camera(), &VideoCamera::camerasChanged, this, &MainWindow::countCameras);

    connect(m_pictureView, &BitmapRectangle::clicked, this, &MainWindow::pictureTapped);
    connect(m_pictureView, &PictureView::stroked, m_stepper.get(), &FrameStepper::wipeAlong);
    connect(m_pictureView, &PictureView::pixelRatioChanged, this, &MainWindow::placeControls, Qt::QueuedConnection);
    connect(m_tools.get(), &ToolIcons::clicked, this, &MainWindow::useTool);
    connect(m_waveTargetButton, &BitmapRectangle::clicked, this, &MainWindow::pressWaveTarget);
    connect(m_stepper.get(), &FrameStepper::waveTargetShown, this, &MainWindow::showWaveTarget);
    connect(m_stepper.get(), &FrameStepper::wentOn, m_tools.get(), &ToolIcons::refresh);

    connect(m_settingsPanel.get(), &SettingsPanel::soundSwitched, this, [this](bool on) {
        m_stepper->setSoundEnabled(on);
        Q_EMIT soundEnabledChanged(on);
    });
    connect(m_settingsPanel.get(), &SettingsPanel::accepted, this, &MainWindow::takeSettings);
    connect(m_exitTimer, &QTimer::timeout, this, &MainWindow::exitTick);
    connect(m_pictures.get(), &PictureLibrary::pictureCountChanged, this,
            [this](int count) { m_game.setPictureCount(count); });
    connect(m_pictures.get(), &PictureLibrary::pictureReady, this, [this](int number) {
        m_game.pictureArrived(number);
        m_pictureView->update();
    });
}

// ---- Tools and panels ---------------------------------------------------------

void MainWindow::countCameras()
{
    const VideoCamera &camera = m_camera->camera();
    m_session.setCameraCount(int(camera.hasCamera(CameraKind::Front)) + int(camera.hasCamera(CameraKind::Back)));
    m_tools->refresh();
}

void MainWindow::useTool(ToolIcon tool)
{
    bool acted = true;
    switch (m_session.clickTool(tool)) {
    case Controls::Action::None:
        break;
    case Controls::Action::ToggleCamera:
        acted = m_camera->toggle();
        break;
    case Controls::Action::SwitchCamera:
        acted = m_camera->switchSide();
        break;
    case Controls::Action::ToggleView:
        m_stepper->viewChanged();
        m_tools->showIceView(m_game.isIceView());
        break;
    case Controls::Action::OpenSettings:
    case Controls::Action::OpenAbout:
        break;
    case Controls::Action::NextPicture:
    case Controls::Action::PreviousPicture:
        m_pictureView->update();
        m_stepper->followWentOn(); // the wave target went with the picture
        break;
    }
    showPanels();
    // A tool that acted ticks; one with nothing to do (no camera, no other
    // camera, a repeat) stays silent.
    if (acted && m_session.lastClickTicks())
        m_stepper->tap();
}

void MainWindow::pictureTapped()
{
    // A tap on the wave target goes on, and is no tap on the picture.
    const std::optional<QPointF> at = m_pictureView->takeTapPosition();
    if (at && m_session.tapWaveTarget(toPoint(*at))) {
        m_stepper->followWentOn();
        return;
    }
    m_session.tapPicture();
    showPanels();
}

void MainWindow::pressWaveTarget()
{
    if (m_session.activateWaveTarget())
        m_stepper->followWentOn();
}

void MainWindow::showWaveTarget(bool shown)
{
    placeWaveTargetButton();
    m_waveTargetButton->setVisible(shown);
    // Came or went between steps (the settings' OK, a picture change): the
    // steps' repaint did not cover it.
    m_pictureView->update();
}

void MainWindow::placeWaveTargetButton()
{
    const PlaySession::Placed place = m_session.waveTargetPlace();
    const double ratio = m_game.pixelRatio();
    m_waveTargetButton->setGeometryF(float((place.centerX - place.radius) / ratio),
                                     float((place.centerY - place.radius) / ratio), float(2.0 * place.radius / ratio),
                                     float(2.0 * place.radius / ratio));
}

void MainWindow::showPanels()
{
    const Controls::Panel panel = m_session.controls().openPanel();
    if (panel != m_shownPanel) {
        // Cancel: a settings panel closed without OK leaves the camera as it
        // was when the panel opened.
        if (m_shownPanel == Controls::Panel::Settings)
            m_settingsPanel->cancel();
        if (panel == Controls::Panel::Settings)
            m_settingsPanel->open();
        m_about->setVisible(panel == Controls::Panel::About);
        m_shownPanel = panel;
    }
    m_tools->refresh();
}

void MainWindow::takeSettings()
{
    // The session took the new values, which count from the next frame step,
    // and closed the panel; the tools stay hidden until the next tap on the
    // picture.
    m_shownPanel = Controls::Panel::None;
    m_about->setVisible(false);
    m_tools->refresh();
    m_camera->reportState();
    m_stepper->followWentOn(); // "Wave to go on" off takes the target away
    Q_EMIT settingsChanged();
}

// ---- Layout --------------------------------------------------------------------

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Qt sends the first resize when the window is shown; the layout needs a
    // fully built window.
    if (m_constructed)
        placeControls();
}

void MainWindow::placeControls()
{
    m_pictureView->setGeometryF(0, 0, float(width()), float(height()));
    m_about->place();
    // The game draws at the screen's own pixels.
    const double ratio = devicePixelRatioF();
    m_game.setOutputSize(toSize((QSizeF(size()) * ratio).toSize()), ratio);
    m_pictureView->update();
    m_settingsPanel->place(width(), height());
    m_tools->place(width(), height());
    placeWaveTargetButton();
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
        m_camera->stop();
        break;
    case ExitSequence::Action::ShowCameraOff:
        m_tools->showCameraRunning(false);
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
    else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
             && m_session.controls().openPanel() == Controls::Panel::Settings)
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
