#pragma once

#include "assets/image_catalogue.h"
#include "camera/video_camera.h"
#include "camera/video_capture_setting.h"
#include "game/geometry.h"
#include "ui/bitmap_rectangle.h"
#include "ui/callout_rectangle.h"
#include "ui/float_track_bar.h"
#include "ui/floating.h"
#include "ui/stopwatch.h"
#include "ui/window_layout.h"

#include <QImage>
#include <QLabel>
#include <QList>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

using FloatLabel = Floating<QLabel>;

// Rest place of one tool icon, in whole logical pixels.
struct IconHome
{
    int Left = 0;
    int Top = 0;
    int CenterX = 0;
    int CenterY = 0;
};

// The game's one window. It owns every control, the camera, the pictures and
// the whole game state. Its methods live beside the subsystem they belong to:
// start-up and shutdown in app/, the frame step, pictures and geometry in
// game/, camera control and capture settings in camera/, layout and controls
// in ui/, picture loading in assets/. Everything runs on the GUI thread.
//
// The state is public so that every subsystem and the tests can read it; the
// form is the single place it lives.
class QPainter;

class TFrostpaneMainForm : public QWidget
{
    Q_OBJECT

public:
    // The form takes ownership of the camera. Stopwatches read `clock`, which
    // must outlive the form.
    explicit TFrostpaneMainForm(std::unique_ptr<VideoCamera> camera,
                                const Clock &clock = Clock::system(), QWidget *parent = nullptr);
    ~TFrostpaneMainForm() override;

    // ---- Controls, in creation (= stacking) order -------------------------
    BitmapRectangle *OutputRectangle = nullptr;
    FloatTrackBar *CameraResolutionsTrackBar = nullptr;
    VideoCamera *CameraComponent = nullptr;
    BitmapRectangle *CameraIconRectangle = nullptr;
    BitmapRectangle *SettingsIconRectangle = nullptr;
    BitmapRectangle *EyeIconRectangle = nullptr;
    CalloutRectangle *WarningCalloutRectangle = nullptr;
    FloatLabel *WarningText = nullptr;
    QTimer *ButtonsVisibleTimer = nullptr;
    QTimer *WarningTimer = nullptr;
    ImageCatalogue ImageBook;
    BitmapRectangle *AboutIconRectangle = nullptr;
    BitmapRectangle *SwitchFrontAndBackCameraIconRectangle = nullptr;
    QPlainTextEdit *AboutMemo = nullptr;
    BitmapRectangle *CameraResolutionsRectangle = nullptr;
    FloatLabel *CameraResolutionsLabel = nullptr;
    QTimer *ExitCameraTimer = nullptr;
    QTimer *PermissionsChangedTimer = nullptr;
    BitmapRectangle *NextImageIconRectangle = nullptr;
    BitmapRectangle *PreviousImageIconRectangle = nullptr;
    FloatTrackBar *FreezingSpeedTrackBar = nullptr;
    FloatTrackBar *CameraSensitivityTrackBar = nullptr;
    BitmapRectangle *FreezingSpeedRectangle = nullptr;
    FloatLabel *FreezingSpeedLabel = nullptr;
    BitmapRectangle *CameraSensitivityRectangle = nullptr;
    FloatLabel *CameraSensitivityLabel = nullptr;
    BitmapRectangle *OkButtonRectangle = nullptr;
    QPushButton *OKButton = nullptr;

    // ---- Game tuning and progress -----------------------------------------
    std::int32_t CameraSensitivity = 0;
    std::int32_t FreezingSpeed = 0;
    std::int32_t PixelCount = 0;
    std::vector<std::int32_t> MeltLevels;
    std::int32_t FrozenPixelCount = 0;
    double CleanedFraction = 0.0;
    double WinThreshold = 0.0;
    bool CongratulationsShown = false;
    RectF ProgressBarRect;
    bool IsIceView = false;
    bool ClearOutputPending = false;
    bool ClearOutputAfterResize = false;
    bool ResetPreviousFrame = false;

    // ---- Pictures ----------------------------------------------------------
    std::int32_t PictureNumber = 0;
    std::int32_t PictureCount = 0;
    QImage PhotoBitmap;
    QImage IceBitmap;
    QImage CongratulationsBitmap;
    QImage CameraBitmap;
    QImage PreviousCameraBitmap;
    QImage WindowBitmap;

    // ---- Geometry ----------------------------------------------------------
    double ScreenWidth = 0.0;
    double ScreenHeight = 0.0;
    double ScreenScale = 0.0;
    double ScreenLongSide = 0.0;
    double TitleBarHeight = 0.0;
    std::int32_t IsLandscape = 0;
    std::int32_t CameraFrameWidth = 0;
    std::int32_t CameraFrameHeight = 0;
    RectF CameraSourceRect;
    RectF OutputRect;
    RectF PhotoRect;
    std::int32_t PhotoLeft = 0;
    RectF CongratulationsRect;
    RectF CongratulationsSourceRect;

    // ---- Camera and capture settings --------------------------------------
    bool IsFrontCamera = false;
    bool CameraWasActive = false;
    QStringList CameraResolutionsList;
    QList<VideoCaptureSetting> AvailableCaptureSettings;
    QList<VideoCaptureSetting> CameraResolutions;
    std::int32_t CameraResolutionsLast = 0;
    VideoCaptureSetting DefaultCaptureSetting;
    VideoCaptureSetting CustomCaptureSetting;
    VideoCaptureSetting CurrentCaptureSetting;
    VideoCaptureSetting SavedCaptureSetting;
    bool UseDefaultResolution = false;
    bool ResolutionTrackBarChanged = false;
    bool SavedCameraActive = false;
    bool CameraToggled = false;
    Stopwatch CameraToggleStopwatch;

    // ---- Tool icons --------------------------------------------------------
    bool ToolsVisible = false;
    std::int32_t ToolsIdleTicks = 0;
    std::int32_t ToolsHideTicks = 0;
    std::int32_t IconTapMilliseconds = 0;
    Stopwatch IconDebounceStopwatch;
    Stopwatch IconPressStopwatch;
    double IconPressScale = 0.0;
    std::int32_t PressedTool = 0;
    IconHome AboutIconHome;
    IconHome CameraIconHome;
    IconHome SwitchFrontAndBackCameraIconHome;
    IconHome EyeIconHome;
    IconHome SettingsIconHome;
    IconHome NextImageIconHome;
    IconHome PreviousImageIconHome;
    double IconSizeFactor = 0.0;

    // ---- Exit --------------------------------------------------------------
    std::int32_t ExitCameraTicks = 0;

    // ---- Operations --------------------------------------------------------
    // The picture the output rectangle shows; all game drawing goes here.
    QImage &outputBitmap() { return OutputRectangle->fillBitmap(); }

    // Picture loading (assets/)
    void LoadPhotoFromImageBook(QImage &target, const QString &name);
    void LoadBitmapFromImageBook(BitmapRectangle *target, const QString &name);

    // Frame step (game/)
    void CameraComponentSampleBufferReady();
    void GetImageFromCamera();
    void FlipFromCameraBitmap();

    // Screen and picture geometry (game/)
    void GetScreenSize();
    void GetBackgroundRect_for_PhotoSize();
    void GetBackgroundRect_for_congratulationsSize();
    void GetCameraRectSize();
    void RedrawIce();
    static void clearToBlack(QPainter &painter);
    void paintIceOnBlack(QPainter &painter);

    // Pictures and views (game/)
    void NextImageIconRectangleClick();
    void PreviousImageIconRectangleClick();
    void EyeIconRectangleClick();
    void OutputRectangleClick();
    // "frostpane_001" .. "frostpane_006", and the ice overlay's name.
    static QString pictureName(std::int32_t number);
    static QString iceName(std::int32_t number);
    void showPicture();

    // Tool icons and auto-hide (ui/)
    void ToolIconMouseDown(ToolIcon icon);
    void ToolIconMouseUp(ToolIcon icon); // release and leave
    void EnableAllToolsHitTest(QObject *sender, bool enabled);
    void ButtonsVisibleTimerTimer();

    // Settings panel and About panel (ui/)
    void SettingsIconRectangleClick();
    void OKButtonClick();
    void AboutIconRectangleClick();
    void AboutMemoClick() {}
    QList<QWidget *> settingsControls() const;
    // Shows or hides controls in the order given.
    static void setControlsVisible(std::initializer_list<QWidget *> controls, bool visible);

    // Shutdown (app/)
    void FormCloseQuery(bool &canClose);
    void ExitCameraTimerTimer();
    void FormKeyDown(int &key);

    // Window layout (ui/)
    void FormResize();
    BitmapRectangle *toolIcon(ToolIcon icon) const;
    IconHome &toolIconHome(ToolIcon icon);

    // Camera control (camera/)
    void CameraIconRectangleClick();
    void SwitchFrontAndBackCameraIconRectangleClick();
    void SwitchToFrontCamera();
    void SwitchToBackCamera();
    bool isIconTap() const;
    void showCameraState();

    // Capture settings (camera/)
    void GetCameraAllResolutions();
    void SetDefaultOrCustomCameraResolution();
    void SetCameraResolutionsTrackBarAndlabel();
    void CameraResolutionsTrackBarTracking();
    void CameraResolutionsTrackBarChange();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createComponents();
    BitmapRectangle *createRectangle(float x, float y, float w, float h);
    FloatLabel *createLabel(QWidget *parent, float x, float y, float w, float h,
                            const QString &text);
    FloatTrackBar *createTrackBar(float x, float y, float w, float h);
    void centreAlignedChildren();
    void switchCamera(CameraKind kind);
    void connectToolIcons();
    const QImage &scaledBanner();

    QImage m_takenFrame; // the camera's newest frame before it is fitted
    QImage m_scaledBanner;
    qint64 m_scaledBannerSource = 0;

    bool m_constructed = false;
};
