#pragma once

#include "assets/image_catalogue.h"
#include "camera/video_camera.h"
#include "core/clock.h"
#include "core/exit_sequence.h"
#include "core/play_session.h"
#include "core/stored_settings.h"
#include "core/window_layout.h"
#include "sound/game_sounds.h"

#include <QWidget>

#include <memory>

class AboutPanel;
class BitmapRectangle;
class CameraController;
class FrameStepper;
class PictureLibrary;
class PictureView;
class QTimer;
class SettingsPanel;
class ToolIcons;

// The game's one window: the picture, seven tool icons, the settings and
// About panels. It wires the parts together (the camera controller, the
// frame stepper, the tool icons and the panels around the play session,
// which holds the state of play and its rules), carries out what a tool's
// click asks for, and keeps what is the desktop's own: the keys, full screen
// and closing. No mouse or keyboard is needed to play: a tap on the camera
// icon starts the game. Everything runs on the GUI thread.
class MainWindow final : public QWidget
{
    Q_OBJECT

public:
    // The window takes ownership of the camera. Press timing reads `clock`,
    // which must outlive the window. The game starts with `settings`' game
    // values, camera side and resolutions; the window's own place and
    // full-screen state are left to whoever shows it.
    explicit MainWindow(std::unique_ptr<VideoCamera> camera, const Clock &clock = Clock::system(),
                        const StoredSettings &settings = StoredSettings(), QWidget *parent = nullptr);
    ~MainWindow() override;

    // The sound the game makes from now on; without one it plays silently.
    void setSounds(std::unique_ptr<GameSounds> sounds);

    // What the game would remember now: the settings panel's values, the
    // camera side and resolutions, the window's place and full-screen state.
    StoredSettings storedSettings() const;
    // Whether the game's sounds are on: "Sound" in the settings panel.
    bool isSoundEnabled() const { return m_session.isSoundEnabled(); }

Q_SIGNALS:
    // The settings panel's OK turned the sounds on or off.
    void soundEnabledChanged(bool enabled);
    // Something worth remembering changed (the settings panel's OK, the
    // camera side); also sent when the window closes.
    void settingsChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    static constexpr QSize kStartSize{640, 480};

    void createControls();
    void connectControls();

    void countCameras();
    void useTool(ToolIcon tool);
    void pictureTapped();
    void pressWaveTarget();
    void showWaveTarget(bool shown);
    void placeWaveTargetButton();
    void showPanels();
    void takeSettings();

    void placeControls();
    void exitTick();
    void toggleFullScreen();

    ImageCatalogue m_catalogue;
    // Before the session, whose picture loader it is.
    std::unique_ptr<PictureLibrary> m_pictures;
    // The state of play and everything the game remembers, the one copy:
    // the camera controller and the settings panel tell it their parts.
    PlaySession m_session;
    Game &m_game;

    // The window's children that hold references to the members above go
    // before them, in this order's reverse; the controls stay the window's.
    std::unique_ptr<CameraController> m_camera;
    PictureView *m_pictureView = nullptr;
    // The wave target as screen readers and switch devices find it: a
    // button over it, named as the next-picture tool, there only while the
    // target shows. Fingers and the mouse pass through to the picture.
    BitmapRectangle *m_waveTargetButton = nullptr;
    std::unique_ptr<SettingsPanel> m_settingsPanel;
    std::unique_ptr<ToolIcons> m_tools;
    AboutPanel *m_about = nullptr;
    std::unique_ptr<FrameStepper> m_stepper;

    QTimer *m_exitTimer = nullptr;
    ExitSequence m_exitSequence;
    // The panel shown now; the controls say which one should be.
    Controls::Panel m_shownPanel = Controls::Panel::None;
    // Whether the window was maximized when it last went full screen, by F11
    // or by the window manager: leaving full screen goes back to that.
    bool m_maximizedBeforeFullScreen = false;
    bool m_constructed = false;
};
