#pragma once

#include "camera/video_camera.h"
#include "core/capture_resolutions.h"
#include "widgets/floating.h"

#include <QLabel>
#include <QObject>
#include <QStringList>

#include <optional>

class BitmapRectangle;
class FloatSlider;
class QCheckBox;
class QPushButton;
class QWidget;

// The settings panel: the camera sensitivity and freezing speed sliders, the
// "Sound" switch, the capture-resolution chooser and OK. Its controls are children of the host
// window, stacked and placed in the window's own coordinates. The panel owns
// the camera's capture settings as the chooser sees them (the device's list,
// the default or the user's own choice) and what cancel returns to; the game
// values it only shows and hands back on OK. Everything runs on the GUI
// thread.
// "Camera width = 640, height = 480", in the user's language.
QString resolutionLabel(const VideoCaptureSetting &setting);

class SettingsPanel final : public QObject
{
    Q_OBJECT

public:
    // The values the panel shows and OK hands back.
    struct Values
    {
        int cameraSensitivity = 0;
        int freezingSpeed = 0;
        bool sound = true;
    };

    // `camera` and `host` must outlive the panel.
    SettingsPanel(VideoCamera &camera, QWidget *host);

    bool isOpen() const { return m_open; }
    // Shows the panel with `current` on the sliders and notes the camera's
    // running state and setting for cancel.
    void open(const Values &current);
    // Cancel: the panel closes, the capture settings are read again and the
    // camera goes back to how it was when the panel opened.
    void cancel();
    // Hides every control, as at start.
    void hide();

    // Whether the selected device reported any capture setting.
    bool hasCaptureSettings() const { return !m_captureSettings.isEmpty(); }
    // Reads the selected device's settings and requests the default or the
    // user's own resolution again.
    void readCaptureSettings();
    // The user's own resolution, nullopt for the default; set it before the
    // settings are read for it to be requested.
    std::optional<VideoCaptureSetting> chosenResolution() const;
    void setChosenResolution(std::optional<VideoCaptureSetting> setting);

    // OK, as from the keyboard's Return.
    void pressOk();

    // Places the controls for a window of that size.
    void place(double windowWidth, double windowHeight);

Q_SIGNALS:
    // OK took these values; the panel is closed and, if the user chose a
    // resolution, the camera runs with it as it ran before.
    void accepted(const SettingsPanel::Values &values);

private:
    using FloatLabel = Floating<QLabel>;

    // A settings slider with the box above it that holds its label.
    struct SliderGroup
    {
        FloatSlider *slider = nullptr;
        BitmapRectangle *box = nullptr;
        FloatLabel *label = nullptr;
    };

    BitmapRectangle *createBox(const QString &name, float x, float y, float w, float h);
    FloatSlider *createSlider(const QString &name, float x, float y, float w, float h);
    FloatLabel *createLabel(QWidget *parent, float x, float y, float w, float h, const QString &text);
    QList<QWidget *> controls() const;
    void confirm();
    void requestDefaultOrCustomResolution();
    void syncResolutionSlider();
    void showResolutionAtSlider();

    VideoCamera &m_camera;
    QWidget *m_host;

    SliderGroup m_resolution;
    SliderGroup m_sensitivity;
    SliderGroup m_freezing;
    BitmapRectangle *m_soundBox = nullptr;
    QCheckBox *m_soundSwitch = nullptr;
    BitmapRectangle *m_okBox = nullptr;
    QPushButton *m_okButton = nullptr;
    bool m_open = false;

    QList<VideoCaptureSetting> m_captureSettings; // as the device reports them
    CaptureResolutions m_resolutions;             // one entry per size
    QStringList m_resolutionLabels;
    bool m_useDefaultResolution = true;
    VideoCaptureSetting m_customCaptureSetting;
    bool m_resolutionSliderMoved = false;
    // What cancel goes back to.
    VideoCaptureSetting m_savedCaptureSetting;
    bool m_savedCameraActive = false;
};
