#pragma once

#include "assets/image_catalogue.h"
#include "camera/video_camera.h"
#include "core/capture_resolutions.h"
#include "core/clock.h"
#include "core/exit_sequence.h"
#include "core/frame_statistics.h"
#include "core/game.h"
#include "core/tap_gate.h"
#include "core/tool_fade.h"
#include "core/window_layout.h"
#include "widgets/floating.h"

#include <QImage>
#include <QLabel>
#include <QStringList>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class BitmapRectangle;
class FloatSlider;
class UserPhotoLoader;
class PictureView;
class QPlainTextEdit;
class QPushButton;
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
    // which must outlive the window.
    explicit MainWindow(std::unique_ptr<VideoCamera> camera, const Clock &clock = Clock::system(),
                        QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    using FloatLabel = Floating<QLabel>;

    // A settings slider with the box above it that holds its label.
    struct SliderGroup
    {
        FloatSlider *slider = nullptr;
        BitmapRectangle *box = nullptr;
        FloatLabel *label = nullptr;
    };
    struct ToolButton
    {
        BitmapRectangle *icon = nullptr;
        IconHome home;
    };
    enum class Panel { None, Settings, About };

    void createControls();
    BitmapRectangle *createRectangle(const QString &name, float x, float y, float w, float h);
    BitmapRectangle *createToolIcon(ToolIcon tool, const QString &name, const QString &face);
    FloatSlider *createSlider(const QString &name, float x, float y, float w, float h);
    FloatLabel *createLabel(QWidget *parent, float x, float y, float w, float h, const QString &text);
    void connectControls();
    void showStartState();
    void loadUserPhotos();

    // Frames and pictures
    void stepFrame();
    void measureShownFrame();
    void showNextPicture();
    void showPreviousPicture();
    void toggleView();
    void pictureTapped();

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
    void readCaptureSettings();
    void requestDefaultOrCustomResolution();
    void syncResolutionSlider();
    void showResolutionAtSlider();

    // Panels
    QList<QWidget *> settingsControls() const;
    void openSettings();
    void confirmSettings();
    void openAbout();
    void closePanels();

    // Layout and shutdown
    void placeControls();
    // Output pixels of the game's picture to the window's logical units.
    QRect logicalRect(const QRect &output) const;
    void centerAboutText();
    void exitTick();
    void toggleFullScreen();

    ImageCatalogue m_catalogue;
    QList<Picture> m_userPictures; // the user's photos that are ready, after the built-in ones
    Game m_game;
    VideoCamera *m_camera = nullptr; // owned as a child
    QImage m_takenFrame;             // reused from frame to frame

    PictureView *m_pictureView = nullptr;
    std::array<ToolButton, 7> m_tools{};
    SliderGroup m_resolution;
    SliderGroup m_sensitivity;
    SliderGroup m_freezing;
    BitmapRectangle *m_okBox = nullptr;
    QPushButton *m_okButton = nullptr;
    QPlainTextEdit *m_aboutText = nullptr;
    QTimer *m_fadeTimer = nullptr;
    QTimer *m_exitTimer = nullptr;

    TapGate m_tapGate;
    RepeatGuard m_cameraToggleGuard;
    ToolFade m_toolFade;
    ExitSequence m_exitSequence;
    std::optional<ToolIcon> m_pressedTool;
    Panel m_openPanel = Panel::None;

    // The camera and its capture settings
    bool m_frontCamera = true;
    QList<VideoCaptureSetting> m_captureSettings; // as the device reports them
    CaptureResolutions m_resolutions;             // one entry per size
    QStringList m_resolutionLabels;
    bool m_useDefaultResolution = true;
    VideoCaptureSetting m_customCaptureSetting;
    bool m_resolutionSliderMoved = false;
    // What settings cancel goes back to.
    VideoCaptureSetting m_savedCaptureSetting;
    bool m_savedCameraActive = false;

    // Only while the frostpane.stats logging category is on.
    std::optional<FrameStatistics> m_statistics;
    std::int64_t m_unshownArrival = 0; // of the frame stepped but not yet painted

    // Whether the window was maximized when it last went full screen, by F11
    // or by the window manager: leaving full screen goes back to that.
    bool m_maximizedBeforeFullScreen = false;

    bool m_constructed = false;
    // Last, so that it goes first: its work is cancelled before anything
    // it reports to is gone.
    std::unique_ptr<UserPhotoLoader> m_userPhotos;
};
