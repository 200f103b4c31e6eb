#include "support/window_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QPointingDevice>
#include <QTimer>
#include <QtTest>

namespace {

const QImage &photo()
{
    static const QImage image = WindowFixture::catalogueImage("frostpane_001");
    return image;
}

const QImage &ice()
{
    static const QImage image = WindowFixture::catalogueImage("frostpane_001_ice");
    return image;
}

QPointingDevice *touchScreen()
{
    static QPointingDevice *device = QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen);
    return device;
}

// A 640 x 480 window shows the picture pixel for pixel: which spots of a
// screenshot show the photograph, and which its ice.
bool showsPhoto(const QImage &shot, QPoint p)
{
    return pixelAt(shot, p) == pixelAt(photo(), p) && pixelAt(photo(), p) != pixelAt(ice(), p);
}
bool showsIce(const QImage &shot, QPoint p)
{
    return pixelAt(shot, p) == pixelAt(ice(), p);
}

// Kept for a person to look at when FROSTPANE_SHOTS_DIR names a folder.
void keepShot(const QImage &shot, const char *name)
{
    const QString folder = qEnvironmentVariable("FROSTPANE_SHOTS_DIR");
    if (!folder.isEmpty())
        QVERIFY(shot.save(QDir(folder).filePath(QString::fromLatin1(name) + QStringLiteral(".png"))));
}

struct Window : WindowFixture
{
    using WindowFixture::WindowFixture;

    QWidget *view() const { return find("pictureView"); }
    QTimer *stepTimer() const { return find<QTimer>("stepTimer"); }
    // The left button held along the points.
    void drag(const QList<QPoint> &points, QWidget *on = nullptr)
    {
        QWidget *target = on ? on : view();
        QTest::mousePress(target, Qt::LeftButton, {}, points.first());
        for (qsizetype i = 1; i < points.size(); ++i)
            QTest::mouseMove(target, points[i]);
        QTest::mouseRelease(target, Qt::LeftButton, {}, points.last());
    }
    // One finger along the points.
    void swipe(const QList<QPoint> &points)
    {
        QWidget *w = window.get();
        QTest::touchEvent(w, touchScreen()).press(0, points.first(), w);
        for (qsizetype i = 1; i < points.size(); ++i)
            QTest::touchEvent(w, touchScreen()).move(0, points[i], w);
        QTest::touchEvent(w, touchScreen()).release(0, points.last(), w);
    }
    // Ticks of the step timer until it stops (at most `limit`); how many.
    int ticksUntilSettled(int limit = 500)
    {
        int ticks = 0;
        while (stepTimer()->isActive() && ticks < limit) {
            tick("stepTimer");
            ++ticks;
        }
        return ticks;
    }
};

} // namespace

// A finger or the mouse wipes the ice, with or without a camera; taps keep
// their meaning.
class TestStrokes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aMouseDragWipesItsPathAndTheIceGrowsBackWithoutACamera()
    {
        Window f; // no camera at all
        QVERIFY(!f.stepTimer()->isActive());
        // A fast stroke: 100 px between the reported points.
        f.drag({{100, 400}, {200, 400}, {300, 400}, {400, 400}, {500, 400}});
        QVERIFY(f.stepTimer()->isActive());
        f.tick("stepTimer");
        QApplication::processEvents();
        const QImage shot = f.screen();
        keepShot(shot, "stroke-without-camera");
        // Along the whole path, the points between the reported ones too,
        // and a brush's radius (12 px) either side of it.
        for (int x = 100; x <= 500; x += 7)
            QVERIFY2(showsPhoto(shot, {x, 400}), qPrintable(QString::number(x)));
        for (const QPoint p : {QPoint(90, 400), QPoint(300, 390), QPoint(300, 410), QPoint(510, 400)})
            QVERIFY(showsPhoto(shot, p));
        // Nowhere else.
        for (const QPoint p :
             {QPoint(300, 380), QPoint(300, 420), QPoint(60, 400), QPoint(540, 400), QPoint(200, 250), QPoint(5, 5)})
            QVERIFY(showsIce(shot, p));
        // A stroke is no tap: the tools stay hidden.
        QVERIFY(!f.shown("settingsIcon"));

        // The ice grows back 30 times a second, and then nothing ticks.
        QCOMPARE(f.stepTimer()->interval(), 33);
        QCOMPARE(f.ticksUntilSettled(), 76); // 765 down by 10 to 5
        QVERIFY(!f.stepTimer()->isActive());
        QApplication::processEvents();
        const QImage after = f.screen();
        for (int x = 100; x <= 500; x += 50)
            QVERIFY(showsIce(after, {x, 400}));
    }

    void twoFingersWipeAtOnce()
    {
        Window f;
        QWidget *w = f.window.get();
        QTest::touchEvent(w, touchScreen()).press(0, {100, 150}, w).press(1, {540, 330}, w);
        for (int step = 1; step <= 4; ++step)
            QTest::touchEvent(w, touchScreen())
                .move(0, {100 + step * 100, 150}, w)
                .move(1, {540 - step * 100, 330 + step * 20}, w);
        QTest::touchEvent(w, touchScreen()).release(0, {500, 150}, w).release(1, {140, 410}, w);
        QVERIFY(f.stepTimer()->isActive());
        f.tick("stepTimer");
        QApplication::processEvents();
        const QImage shot = f.screen();
        keepShot(shot, "two-fingers");
        for (const QPoint p : {QPoint(100, 150), QPoint(250, 150), QPoint(500, 150), QPoint(540, 330), QPoint(340, 370),
                               QPoint(140, 410)})
            QVERIFY2(showsPhoto(shot, p), qPrintable(QStringLiteral("%1, %2").arg(p.x()).arg(p.y())));
        for (const QPoint p : {QPoint(300, 100), QPoint(300, 250), QPoint(600, 450), QPoint(20, 300)})
            QVERIFY(showsIce(shot, p));
        QVERIFY(!f.shown("settingsIcon"));
    }

    void aTapShowsTheToolsAndAStrokeDoesNot_data()
    {
        QTest::addColumn<bool>("finger");
        QTest::addColumn<int>("distance");
        QTest::addColumn<bool>("tap");
        for (const bool finger : {false, true}) {
            const char *pointer = finger ? "finger" : "mouse";
            QTest::addRow("%s: still", pointer) << finger << 0 << true;
            QTest::addRow("%s: 9 px is still a tap", pointer) << finger << 9 << true;
            QTest::addRow("%s: 10 px is a stroke", pointer) << finger << 10 << false;
            QTest::addRow("%s: 200 px", pointer) << finger << 200 << false;
        }
    }

    void aTapShowsTheToolsAndAStrokeDoesNot()
    {
        QFETCH(bool, finger);
        QFETCH(int, distance);
        QFETCH(bool, tap);
        Window f;
        // Out and back: what counts is how far it went.
        const QList<QPoint> path{{300, 300}, {300 + distance, 300}, {300, 300}};
        if (finger)
            f.swipe(path);
        else
            f.drag(path);
        QCOMPARE(f.shown("settingsIcon"), tap);
        QCOMPARE(f.stepTimer()->isActive(), !tap); // a tap wipes nothing
        f.tick("stepTimer");
        QApplication::processEvents();
        QCOMPARE(showsPhoto(f.screen(), {300, 300}), !tap);
    }

    // The settings open under the finger that tapped their icon; Qt makes up
    // mouse events for that finger, but they belong to the icon that took
    // the press: nothing in the panel may take them, wherever the Sound
    // switch or OK sits.
    void aFingerTapOnSettingsPressesNothingInThePanel_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("640 x 480") << QSize(640, 480);
        QTest::newRow("phone 390 x 844") << QSize(390, 844);
        QTest::newRow("phone 360 x 640") << QSize(360, 640);
    }

    void aFingerTapOnSettingsPressesNothingInThePanel()
    {
        QFETCH(QSize, size);
        WindowFixture f({}, {}, size);
        QWidget *w = f.window.get();
        f.tap("pictureView");
        f.clock.advance(500);
        QWidget *icon = f.find("settingsIcon");
        const QPoint spot = icon->mapTo(w, icon->rect().center());
        QTest::touchEvent(w, touchScreen()).press(0, spot, w);
        f.clock.advance(80);
        QTest::touchEvent(w, touchScreen()).release(0, spot, w);
        QVERIFY(f.shown("okButton"));
        QVERIFY(f.find<QCheckBox>("soundSwitch")->isChecked());
        f.tap("okButton");
        QVERIFY(!f.shown("okButton"));
        QVERIFY(f.window->storedSettings().sound);
    }

    // A finger's tap reaches the picture once, though Qt may also make up
    // mouse events for it: were it counted twice, the second tap would bring
    // the tools up after the first closed the panel.
    void aFingerCountsOnce()
    {
        Window f;
        f.openAbout();
        QVERIFY(f.shown("aboutText"));
        QWidget *w = f.window.get();
        const QPoint spot(300, 450);
        QTest::touchEvent(w, touchScreen()).press(0, spot, w);
        QTest::touchEvent(w, touchScreen()).release(0, spot, w);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent madeUp(type, spot, f.view()->mapToGlobal(spot), Qt::LeftButton,
                               type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, {}, touchScreen());
            QApplication::sendEvent(f.view(), &madeUp);
        }
        QVERIFY(!f.shown("aboutText"));
        QVERIFY(!f.shown("settingsIcon"));
        // Nor does a made-up drag wipe a second time, or at all.
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(100, 100), f.view()->mapToGlobal(QPointF(100, 100)),
                          Qt::LeftButton, Qt::LeftButton, {}, touchScreen());
        QApplication::sendEvent(f.view(), &press);
        QMouseEvent move(QEvent::MouseMove, QPointF(300, 100), f.view()->mapToGlobal(QPointF(300, 100)), Qt::NoButton,
                         Qt::LeftButton, {}, touchScreen());
        QApplication::sendEvent(f.view(), &move);
        QVERIFY(!f.stepTimer()->isActive());
    }

    void aCancelledTouchEndsItsStroke()
    {
        Window f;
        QWidget *w = f.window.get();
        QTest::touchEvent(w, touchScreen()).press(0, {100, 100}, w);
        QTest::touchEvent(w, touchScreen()).move(0, {200, 100}, w);
        QTouchEvent cancel(QEvent::TouchCancel, touchScreen());
        QApplication::sendEvent(f.view(), &cancel);
        // Whatever that finger still reports wipes nothing more and taps nothing.
        QTest::touchEvent(w, touchScreen()).release(0, {400, 300}, w);
        f.tick("stepTimer");
        QApplication::processEvents();
        const QImage shot = f.screen();
        QVERIFY(showsPhoto(shot, {150, 100}));
        // (the camera icon sits between these two)
        QVERIFY(showsIce(shot, {250, 150}));
        QVERIFY(showsIce(shot, {350, 250}));
        QVERIFY(showsIce(shot, {400, 300}));
        QVERIFY(!f.shown("settingsIcon"));
    }

    void strokesThatWipeNothing_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("on the black bars") << QStringLiteral("bars");
        QTest::newRow("in the camera view") << QStringLiteral("camera view");
        QTest::newRow("while the About panel is open") << QStringLiteral("about");
        QTest::newRow("while the settings panel is open") << QStringLiteral("settings");
        QTest::newRow("from a tool icon") << QStringLiteral("icon");
    }

    void strokesThatWipeNothing()
    {
        QFETCH(QString, where);
        const bool bars = where == QLatin1String("bars");
        Window f(typicalWebcamSettings(), {}, bars ? QSize(1280, 720) : QSize(640, 480));
        if (where == QLatin1String("camera view")) {
            f.tap("pictureView");
            f.tap("eyeIcon");
        } else if (where == QLatin1String("about")) {
            f.openAbout();
        } else if (where == QLatin1String("settings")) {
            f.openSettings();
        } else if (where == QLatin1String("icon")) {
            f.tap("pictureView");
        }
        const QImage before = f.screen();
        if (bars) {
            f.drag({{10, 100}, {150, 600}});
            f.drag({{1130, 10}, {1270, 700}});
        } else if (where == QLatin1String("icon")) {
            // Pressed on the camera icon, dragged down across the picture.
            f.clock.advance(500);
            QWidget *icon = f.find("cameraIcon");
            f.drag({{10, 10}, {10, 60}, {10, 200}}, icon);
        } else {
            f.drag({{20, 460}, {620, 460}});
        }
        QVERIFY(!f.stepTimer()->isActive());
        if (where == QLatin1String("about"))
            QVERIFY(f.shown("aboutText")); // no tap either: the panel stays
        if (where == QLatin1String("camera view")) {
            f.tap("eyeIcon");
            QVERIFY(!f.stepTimer()->isActive());
        }
        QApplication::processEvents();
        const QImage after = f.screen();
        const QList<QPoint> spots = bars ? QList<QPoint>{{165, 100}, {165, 600}, {1115, 400}}
                                         : QList<QPoint>{{20, 460}, {320, 460}, {320, 350}};
        for (const QPoint p : spots)
            QCOMPARE(pixelAt(after, p), pixelAt(before, p));
    }

    void withTheCameraPlayingItsFramesStepTheStrokes()
    {
        Window f(typicalWebcamSettings());
        f.tap("cameraIcon");
        const QImage still = flatImage({640, 480}, qRgb(40, 40, 40));
        f.deliver(still);
        f.drag({{100, 200}, {300, 200}});
        // The timer leaves the stepping to the camera...
        f.tick("stepTimer");
        QVERIFY(!f.stepTimer()->isActive());
        QApplication::processEvents();
        QVERIFY(showsIce(f.screen(), {200, 200}));
        // ...whose next frame wipes the stroke.
        f.deliver(still);
        QApplication::processEvents();
        QVERIFY(showsPhoto(f.screen(), {200, 200}));

        // A camera that has gone quiet: the timer steps again.
        f.clock.advance(1000);
        f.drag({{100, 300}, {300, 300}});
        f.tick("stepTimer");
        QVERIFY(f.stepTimer()->isActive());
        QApplication::processEvents();
        QVERIFY(showsPhoto(f.screen(), {200, 300}));
    }
};

QTEST_MAIN(TestStrokes)
#include "test_strokes.moc"
