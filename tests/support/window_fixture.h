#pragma once

#include "app/main_window.h"
#include "support/fake_video_camera.h"
#include "support/test_images.h"
#include "widgets/bitmap_rectangle.h"

#include <QTest>

#include <array>
#include <memory>

// The seven tool icons by object name.
inline constexpr std::array<const char *, 7> kToolIcons = {
    "cameraIcon", "settingsIcon", "eyeIcon", "aboutIcon", "switchCameraIcon", "nextPictureIcon", "previousPictureIcon"};

// A pixel of a screenshot or a picture, as it shows on black: opaque.
inline QRgb pixelAt(const QImage &image, QPoint p)
{
    return image.pixel(p) | 0xFF000000u;
}

// A shown window on a fake camera and a manual clock, driven through Qt's own
// event dispatch: pointer presses on its controls, its timers' ticks.
struct WindowFixture
{
    explicit WindowFixture(QList<VideoCaptureSetting> frontSettings = {}, QList<VideoCaptureSetting> backSettings = {},
                           QSize size = {640, 480}, const StoredSettings &settings = StoredSettings());

    // The window's control of that object name; aborts the test run when the
    // window has none, so a renamed control shows up at once.
    template <typename T = QWidget> T *find(const char *name) const
    {
        T *control = window->findChild<T *>(QString::fromLatin1(name));
        if (!control)
            qFatal("the window has no control named %s", name);
        return control;
    }
    BitmapRectangle *icon(const char *name) const { return find<BitmapRectangle>(name); }
    bool shown(const char *name) const { return !find(name)->isHidden(); }

    // Half a second after the last press (so the press is accepted), a press
    // held for `heldMs` and its release inside the control.
    void tap(QWidget *control, qint64 heldMs = 100);
    void tap(const char *name, qint64 heldMs = 100) { tap(find(name), heldMs); }
    // The tools come up and the settings icon opens the panel.
    void openSettings()
    {
        tap("pictureView");
        tap("settingsIcon");
    }
    // The same for the About panel.
    void openAbout()
    {
        tap("pictureView");
        tap("aboutIcon");
    }
    // The text of the label inside a settings box ("resolutionBox", ...).
    QString labelIn(const char *box) const;
    // A timer's tick, as if its interval had passed.
    void tick(const char *timerName, int times = 1);
    // A frame from the camera, handed to the window as the real camera does.
    void deliver(const QImage &frame) { camera->deliver(frame); }
    // What the window shows.
    QImage screen() const;
    // A picture from the game's catalogue.
    static QImage catalogueImage(const char *name);

    ManualClock clock;
    FakeVideoCamera *camera = nullptr; // owned by the window
    std::unique_ptr<MainWindow> window;
};

// Settings of a typical webcam: 640 x 480 at 30 and 15, 1280 x 720 at 30.
QList<VideoCaptureSetting> typicalWebcamSettings();

namespace QTest {
template <> inline char *toString(const VideoCaptureSetting &s)
{
    const QByteArray text = QByteArray::number(s.width) + 'x' + QByteArray::number(s.height) + '@'
                            + QByteArray::number(s.frameRate);
    return qstrdup(text.constData());
}
} // namespace QTest
