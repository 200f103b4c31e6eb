#pragma once

#include "core/video_capture_setting.h"
#include "widgets/floating.h"

#include <QLabel>
#include <QObject>
#include <QStringList>

class BitmapRectangle;
class CameraController;
class FloatSlider;
class QCheckBox;
class QPushButton;
class QWidget;
class PlaySession;

// "Camera width = 640, height = 480", in the user's language.
QString resolutionLabel(const VideoCaptureSetting &setting);

// The settings panel: the camera sensitivity and freezing speed sliders, the
// "Sound" and "Wave to go on" switches, the capture-resolution chooser and
// OK. Its controls are
// children of the host window, stacked and placed in the window's own
// coordinates. It shows the stored settings and writes them back on OK; the
// resolutions it offers, and what cancel returns the camera to, it asks of
// the camera controller. Everything runs on the GUI thread.
class SettingsPanel final : public QObject
{
    Q_OBJECT

public:
    // The panel shows and takes the game values of `settings`. `camera`,
    // `settings` and `host` must outlive the panel.
    SettingsPanel(CameraController &camera, PlaySession &session, QWidget *host);

    bool isOpen() const { return m_open; }
    // Shows the panel with the stored values on the sliders; the camera notes
    // how it runs, for cancel.
    void open();
    // Cancel: the panel closes, nothing is taken, and the camera goes back to
    // how it was when the panel opened.
    void cancel();
    // Hides every control, as at start.
    void hide();

    // OK, as from the keyboard's Return.
    void pressOk();

    // Places the controls for a window of that size.
    void place(double windowWidth, double windowHeight);

Q_SIGNALS:
    // OK wrote the values into the settings; the panel is closed and, if the
    // user chose a resolution, the camera runs with it as it ran before.
    void accepted();
    // OK turned the sounds on or off: sent before accepted().
    void soundSwitched(bool on);

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
    void showCaptureSettings();
    void syncResolutionSlider();
    void showResolutionAtSlider();

    CameraController &m_camera;
    PlaySession &m_session;
    QWidget *m_host;

    SliderGroup m_resolution;
    SliderGroup m_sensitivity;
    SliderGroup m_freezing;
    BitmapRectangle *m_soundBox = nullptr;
    QCheckBox *m_soundSwitch = nullptr;
    BitmapRectangle *m_waveBox = nullptr;
    QCheckBox *m_waveSwitch = nullptr;
    BitmapRectangle *m_okBox = nullptr;
    QPushButton *m_okButton = nullptr;
    bool m_open = false;

    QStringList m_resolutionLabels; // one per entry the camera offers
};
