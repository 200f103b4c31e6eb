#pragma once

#include "app/settings_panel.h"
#include "assets/image_catalogue.h"
#include "camera/video_camera.h"
#include "core/clock.h"
#include "core/exit_sequence.h"
#include "core/frame_statistics.h"
#include "core/game.h"
#include "core/stored_settings.h"
#include "core/tap_gate.h"
#include "core/tool_fade.h"
#include "core/window_layout.h"
#include "render/frame_fitter.h"
#include "sound/game_sounds.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class BitmapRectangle;
class UserPhotoLoader;
class PictureView;
class QPlainTextEdit;
class QTimer;

// The game's one window: the picture, seven tool icons, the settings and
// About panels. It wires pointer, keyboard, timers and camera to the Game,
// which holds the state of play, and shows what the Game composed. No mouse
// or keyboard is needed to play: a tap on the camera icon starts the game.
// Everything runs on the GUI thread.
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
    bool isSoundEnabled() const { return m_soundEnabled; }

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
    struct ToolButton
    {
        BitmapRectangle *icon = nullptr;
        IconHome home;
    };
    enum class Panel { None, Settings, About };

    void createControls();
    BitmapRectangle *createRectangle(const QString &name, float x, float y, float w, float h);
    BitmapRectangle *createToolIcon(ToolIcon tool, const QString &name, const QString &face);
    void connectControls();
    void describeControls();
    void showStartState();
    void loadUserPhotos();

    // Frames and pictures
    void stepFrame();
    void measureShownFrame();
    void showNextPicture();
    void showPreviousPicture();
    void toggleView();
    void pictureTapped();
    void wipeAlong(QPointF from, QPointF to);
    void stepWithoutCamera();
    void tellSoundsAboutStep();
    void tickSound();
    bool cameraDelivers() const;

    // Tool icons
    BitmapRectangle *icon(ToolIcon tool) const;
    QList<BitmapRectangle *> toolIcons() const;
    void showTools();
    void pressTool(ToolIcon tool);
    void releaseTool(ToolIcon tool);
    void letOnlyThisRectangleBeHit(const BitmapRectangle *pressed, bool othersToo);
    void fadeTick();
    void setIconFace(ToolIcon tool, const QString &name);

    // Camera
    void toggleCamera();
    void switchCamera();
    CameraKind otherCamera() const;
    void useCamera(CameraKind kind);
    void showCameraState();
    std::optional<VideoCaptureSetting> rememberedResolution() const;

    // Panels
    void openSettings();
    void takeSettings(const SettingsPanel::Values &values);
    void openAbout();
    void closePanels();

    // Layout and shutdown
    void placeControls();
    void centerAboutText();
    void exitTick();
    void toggleFullScreen();

    ImageCatalogue m_catalogue;
    // Before the game, whose picture loader asks it; it reports only through
    // its own signals, which end with it.
    std::unique_ptr<UserPhotoLoader> m_userPhotos;
    Game m_game;
    VideoCamera *m_camera = nullptr; // owned as a child
    Image m_takenFrame;              // reused from frame to frame
    FrameFitter m_frameFitter;

    PictureView *m_pictureView = nullptr;
    std::array<ToolButton, 7> m_tools{};
    SettingsPanel *m_settingsPanel = nullptr;
    QPlainTextEdit *m_aboutText = nullptr;
    QTimer *m_fadeTimer = nullptr;
    QTimer *m_exitTimer = nullptr;
    // Steps the game while strokes wipe and the ice grows back with no
    // camera frames to do it.
    QTimer *m_stepTimer = nullptr;
    Stopwatch m_sinceFrame; // since the camera's last frame was stepped

    TapGate m_tapGate;
    RepeatGuard m_cameraToggleGuard;
    ToolFade m_toolFade;
    ExitSequence m_exitSequence;
    std::optional<ToolIcon> m_pressedTool;
    Panel m_openPanel = Panel::None;

    bool m_frontCamera = true;
    // What was last remembered; the live values are read from the game, the
    // camera and the window when asked.
    StoredSettings m_stored;
    bool m_soundEnabled = true;

    // Only while the frostpane.stats logging category is on.
    std::optional<FrameStatistics> m_statistics;
    std::int64_t m_unshownArrival = 0; // of the frame stepped but not yet painted

    // Whether the window was maximized when it last went full screen, by F11
    // or by the window manager: leaving full screen goes back to that.
    bool m_maximizedBeforeFullScreen = false;

    bool m_constructed = false;
    std::unique_ptr<GameSounds> m_sounds;
};
