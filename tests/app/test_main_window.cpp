#include "support/window_fixture.h"
#include "widgets/float_slider.h"

#include <QAccessible>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

namespace {

const char *const kSettingsControls[] = {
    "resolutionBox",    "resolutionSlider",    "sensitivityBox", "sensitivitySlider",
    "freezingSpeedBox", "freezingSpeedSlider", "okBox",          "okButton"};

} // namespace

// What a child sees of the window, and how the picture follows the camera:
// start, layout, frames, pictures and views.
class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startShowsTheIceOfPictureOneAndOnlyTheCameraIcon()
    {
        WindowFixture f(typicalWebcamSettings());
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Frostpane"));
        QVERIFY(f.shown("pictureView"));
        QVERIFY(f.shown("cameraIcon"));
        for (const char *name : kToolIcons)
            QVERIFY2(f.shown(name) == (qstrcmp(name, "cameraIcon") == 0), name);
        for (const char *name : kSettingsControls)
            QVERIFY2(!f.shown(name), name);
        QVERIFY(!f.shown("aboutText"));

        QCOMPARE(f.icon("cameraIcon")->fillBitmap(), f.catalogueImage("camera_off"));
        QCOMPARE(f.icon("switchCameraIcon")->fillBitmap(), f.catalogueImage("camera_front"));
        QCOMPARE(f.icon("eyeIcon")->fillBitmap(), f.catalogueImage("view_snowflake"));
        QVERIFY(!f.find<QTimer>("toolFadeTimer")->isActive());
        QVERIFY(!f.find<QTimer>("exitTimer")->isActive());
        QVERIFY(!f.camera->isActive());
        QCOMPARE(f.camera->activationRequests, 0);

        // The ice fills the window where no icon is.
        const QImage ice = f.catalogueImage("frostpane_001_ice");
        const QImage shot = f.screen();
        QCOMPARE(shot.size(), QSize(640, 480));
        for (const QPoint p : {QPoint(5, 5), QPoint(600, 20), QPoint(30, 450), QPoint(320, 400)})
            QCOMPARE(pixelAt(shot, p), pixelAt(ice, p));
    }

    void aWiderWindowShowsBlackBars()
    {
        WindowFixture f({}, {}, {1280, 720});
        const QImage shot = f.screen();
        QCOMPARE(pixelAt(shot, {10, 360}), qRgb(0, 0, 0));
        QCOMPARE(pixelAt(shot, {1270, 360}), qRgb(0, 0, 0));
        // Scaled by 1.5: a flat-enough spot of the ice keeps its color.
        const QColor expected = f.catalogueImage("frostpane_001_ice").pixelColor(40, 40);
        const QColor seen = shot.pixelColor(160 + 60, 60);
        QVERIFY(std::abs(expected.red() - seen.red()) < 40);
        QVERIFY(std::abs(expected.blue() - seen.blue()) < 40);
    }

    void labelsAndButtonReadAlike()
    {
        WindowFixture f;
        for (const char *name : {"resolutionBox", "sensitivityBox", "freezingSpeedBox"}) {
            auto *label = f.find(name)->findChild<QLabel *>();
            QVERIFY(label);
            QCOMPARE(label->font().pixelSize(), 12);
            QCOMPARE(label->height(), 20);
        }
        auto *ok = f.find<QPushButton>("okButton");
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(ok->font().pixelSize(), 12);
        QCOMPARE(ok->height(), 35);
    }

    void layoutAt1000x600()
    {
        WindowFixture f({}, {}, {1000, 600});
        QCOMPARE(f.find<FloatSlider>("resolutionSlider")->positionF(), QPointF(360, 50));
        QCOMPARE(f.icon("resolutionBox")->positionF(), QPointF(360, 20));
        QCOMPARE(f.find<FloatSlider>("sensitivitySlider")->positionF(), QPointF(360, 140));
        QCOMPARE(f.icon("sensitivityBox")->positionF(), QPointF(360, 110));
        QCOMPARE(f.icon("soundBox")->positionF(), QPointF(360, 210));      // 0.37 x 600 - 12
        QCOMPARE(f.icon("waveToGoOnBox")->positionF(), QPointF(360, 252)); // 0.44 x 600 - 12
        QCOMPARE(f.find<FloatSlider>("freezingSpeedSlider")->positionF(), QPointF(360, 350));
        QCOMPARE(f.icon("freezingSpeedBox")->positionF(), QPointF(360, 320));
        QCOMPARE(f.icon("sensitivityBox")->sizeF(), QSizeF(280, 20));
        QCOMPARE(f.icon("okBox")->positionF(), QPointF(451.5, 380));
        QCOMPARE(f.icon("cameraIcon")->positionF(), QPointF(460, 200));
        QCOMPARE(f.icon("cameraIcon")->sizeF(), QSizeF(80, 80));
        QCOMPARE(f.icon("nextPictureIcon")->positionF(), QPointF(560, 320));
        QCOMPARE(f.icon("pictureView")->sizeF(), QSizeF(1000, 600));
    }

    void theAboutTextWrapsInsideItsBox()
    {
        WindowFixture f;
        f.openAbout();
        QApplication::processEvents();
        auto *about = f.find<QPlainTextEdit>("aboutText");
        QVERIFY(!about->isHidden());
        QCOMPARE(about->horizontalScrollBar()->maximum(), 0); // nothing sticks out
        QCOMPARE(about->size(), QSize(400, 270));
        QCOMPARE(about->geometry().center(), f.window->rect().center());
        // The raw text: toPlainText() would turn no-break spaces into spaces.
        const QStringList lines = about->document()->toRawText().split(QChar::ParagraphSeparator);
        QCOMPARE(lines.size(), 9);
        QCOMPARE(lines[0], QStringLiteral("Frostpane! v.1.0"));
        QCOMPARE(lines[4], QStringLiteral("The program requires video capture device (e.g. web camera)."));
        // Who made it, in one paragraph; the licence names hold together with
        // no-break spaces and hyphens; the credits file as it is installed.
        QVERIFY2(lines[6].startsWith(QStringLiteral(
                     "Made by the Frostpane developers. Photographs by Aitzol Berasategi (CC\u00a0BY\u00a04.0), "
                     "Lukas Baubkus (CC\u00a0BY\u2011SA\u00a03.0) and others: see /")),
                 qPrintable(lines[6]));
        QVERIFY2(lines[6].endsWith(QStringLiteral("/share/doc/frostpane/CREDITS.")), qPrintable(lines[6]));
        QCOMPARE(lines[7],
                 QStringLiteral("Your own photos: put them in the folder Frostpane in your Pictures folder."));
        QCOMPARE(lines[8], QStringLiteral("A finger or the mouse wipes the ice too: drag it over the picture."));
    }

    void f11SwitchesFullScreenAndBack_data()
    {
        QTest::addColumn<bool>("maximized");
        QTest::addColumn<bool>("byWindowManager");
        QTest::newRow("from a normal window") << false << false;
        QTest::newRow("from a maximized window") << true << false;
        QTest::newRow("made full screen by the window manager") << false << true;
        QTest::newRow("maximized, made full screen by the window manager") << true << true;
    }

    // What X11 window managers do: the window full screen and still maximized
    // underneath, or no longer maximized while full screen; either way F11
    // gives back the maximized window, every time.
    void f11GivesBackTheMaximizedWindow_data()
    {
        QTest::addColumn<bool>("stillMaximizedWhileFullScreen");
        QTest::newRow("still maximized underneath") << true;
        QTest::newRow("maximized dropped while full screen") << false;
    }

    void f11GivesBackTheMaximizedWindow()
    {
        QFETCH(bool, stillMaximizedWhileFullScreen);
        WindowFixture f;
        MainWindow *window = f.window.get();
        window->showMaximized();
        QApplication::processEvents();
        for (int round = 0; round < 3; ++round) {
            QTest::keyClick(window, Qt::Key_F11);
            QVERIFY(window->isFullScreen());
            QCOMPARE(window->isMaximized(), true); // left as it was underneath
            if (!stillMaximizedWhileFullScreen)
                window->setWindowState(Qt::WindowFullScreen);
            QApplication::processEvents();
            QTest::keyClick(window, Qt::Key_F11);
            QCOMPARE(window->windowState(), Qt::WindowStates(Qt::WindowMaximized));
            QApplication::processEvents();
        }
    }

    void f11SwitchesFullScreenAndBack()
    {
        QFETCH(bool, maximized);
        QFETCH(bool, byWindowManager);
        WindowFixture f;
        MainWindow *window = f.window.get();
        if (maximized) {
            window->showMaximized();
            QApplication::processEvents();
        }
        const Qt::WindowStates before = window->windowState();
        const QSize sizeBefore = window->size();
        QCOMPARE(before.testFlag(Qt::WindowMaximized), maximized);

        if (byWindowManager)
            window->setWindowState(Qt::WindowFullScreen);
        else
            QTest::keyClick(window, Qt::Key_F11);
        QVERIFY(window->isFullScreen());
        // The offscreen platform gives a full-screen window the whole screen;
        // the new size arrives as a window-system event.
        QApplication::processEvents();
        const QSize screen = window->screen()->geometry().size();
        QCOMPARE(window->size(), screen);
        // Laid out as a window made that size.
        const WindowFixture sameSize({}, {}, screen);
        for (const char *name : {"pictureView", "cameraIcon", "sensitivityBox", "okBox"}) {
            QCOMPARE(f.icon(name)->positionF(), sameSize.icon(name)->positionF());
            QCOMPARE(f.icon(name)->sizeF(), sameSize.icon(name)->sizeF());
        }

        QTest::keyClick(window, Qt::Key_F11);
        QCOMPARE(window->windowState(), before);
        QApplication::processEvents();
        QCOMPARE(window->size(), sizeBefore);
        QCOMPARE(f.icon("pictureView")->sizeF(), QSizeF(sizeBefore));
    }

    void framesAreDrawnOnlyWhileTheCameraRuns()
    {
        WindowFixture f(typicalWebcamSettings());
        // A running camera's frames reach the picture: a still scene wipes
        // nothing, an all-white one after it wipes everything.
        f.tap("cameraIcon");
        QVERIFY(f.camera->isActive());
        f.deliver(flatImage({640, 480}, qRgb(0, 0, 0)));
        f.deliver(flatImage({640, 480}, qRgb(255, 255, 255)));
        QApplication::processEvents();
        const QImage photo = f.catalogueImage("frostpane_001");
        QCOMPARE(pixelAt(f.screen(), {5, 5}), pixelAt(photo, {5, 5}));

        // Stopped, the camera's frames are ignored.
        f.camera->forceActive(false);
        f.tap("pictureView");
        f.tap("eyeIcon"); // the camera view would show the frame
        f.deliver(flatImage({640, 480}, qRgb(0, 0, 255)));
        QApplication::processEvents();
        QCOMPARE(pixelAt(f.screen(), {5, 5}), pixelAt(photo, {5, 5}));
    }

    void theFrontCameraIsMirroredAndTheEyeShowsIt_data()
    {
        QTest::addColumn<bool>("switched");
        QTest::newRow("front camera: mirrored") << false;
        QTest::newRow("back camera: as seen") << true;
    }

    void theFrontCameraIsMirroredAndTheEyeShowsIt()
    {
        QFETCH(bool, switched);
        WindowFixture f(typicalWebcamSettings(), typicalWebcamSettings());
        f.tap("cameraIcon");
        f.tap("pictureView");
        if (switched)
            f.tap("switchCameraIcon");
        f.tap("eyeIcon");
        QCOMPARE(f.icon("eyeIcon")->fillBitmap(), f.catalogueImage("view_man"));
        // The camera view: a frame red on its left half, blue on its right.
        QImage frame = flatImage({640, 480}, qRgb(0, 0, 255));
        QPainter(&frame).fillRect(QRect(0, 0, 320, 480), qRgb(255, 0, 0));
        f.deliver(frame);
        QApplication::processEvents();
        const QRgb left = pixelAt(f.screen(), {5, 470});
        QCOMPARE(left, switched ? qRgb(255, 0, 0) : qRgb(0, 0, 255));

        f.tap("eyeIcon");
        QCOMPARE(f.icon("eyeIcon")->fillBitmap(), f.catalogueImage("view_snowflake"));
    }

    void nextAndPreviousShowTheirIce_data()
    {
        QTest::addColumn<QStringList>("taps");
        QTest::addColumn<QString>("ice");
        QTest::newRow("next") << QStringList{QStringLiteral("nextPictureIcon")} << QStringLiteral("frostpane_002_ice");
        QTest::newRow("previous wraps to the sixth")
            << QStringList{QStringLiteral("previousPictureIcon")} << QStringLiteral("frostpane_006_ice");
        QTest::newRow("next, next, previous")
            << QStringList{QStringLiteral("nextPictureIcon"), QStringLiteral("nextPictureIcon"),
                           QStringLiteral("previousPictureIcon")}
            << QStringLiteral("frostpane_002_ice");
    }

    void nextAndPreviousShowTheirIce()
    {
        QFETCH(QStringList, taps);
        QFETCH(QString, ice);
        WindowFixture f;
        f.tap("pictureView");
        for (const QString &name : taps)
            f.tap(f.find(qPrintable(name)), 700); // a long press is fine for these two
        const QImage expected = f.catalogueImage(qPrintable(ice));
        const QImage shot = f.screen();
        for (const QPoint p : {QPoint(5, 5), QPoint(600, 20), QPoint(30, 450)})
            QCOMPARE(pixelAt(shot, p), pixelAt(expected, p));
    }

    // Wave to go on: a won picture offers the round target in its top right
    // corner; a tap or a click on it brings the next picture and is no tap
    // on the picture, a tap beside it shows the tools as ever, and a screen
    // reader finds it as the next-picture button while it shows.
    void theWaveTargetOfAWonPicture_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("goesOn");
        QTest::newRow("a click on the target") << QStringLiteral("click on it") << true;
        QTest::newRow("a click on its ring's edge") << QStringLiteral("click on its edge") << true;
        QTest::newRow("a click beside it shows the tools") << QStringLiteral("click beside it") << false;
        QTest::newRow("a screen reader's press") << QStringLiteral("press it") << true;
        QTest::newRow("a drag over it wipes and stays") << QStringLiteral("drag over it") << false;
    }

    void theWaveTargetOfAWonPicture()
    {
        QFETCH(QString, how);
        QFETCH(bool, goesOn);
        WindowFixture f(typicalWebcamSettings());
        const QImage iceOfTwo = f.catalogueImage("frostpane_002_ice");
        QVERIFY(!f.shown("waveTargetButton"));
        f.tap("cameraIcon");
        f.deliver(flatImage({640, 480}, qRgb(0, 0, 0)));
        f.deliver(flatImage({640, 480}, qRgb(255, 255, 255))); // every pixel moved: won
        QVERIFY(f.shown("waveTargetButton"));
        // Drawn there: a disc over the picture, the arrow in its middle.
        const QRect target = f.find("waveTargetButton")->geometry();
        QCOMPARE(target, QRect(536, 8, 96, 96)); // 48 round (584, 56)
        const QImage won = f.screen();
        const QImage photo = f.catalogueImage("frostpane_001");
        QVERIFY(pixelAt(won, {584 - 30, 56}) != pixelAt(photo, {584 - 30, 56}));
        QCOMPARE(pixelAt(won, {584 - 60, 56}), pixelAt(photo, {584 - 60, 56}));

        auto *view = f.find("pictureView");
        f.clock.advance(500);
        if (how == QStringLiteral("press it")) {
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(f.find("waveTargetButton"));
            QCOMPARE(accessible->role(), QAccessible::Button);
            QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Next picture"));
            accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        } else if (how == QStringLiteral("drag over it")) {
            QTest::mousePress(view, Qt::LeftButton, {}, {560, 56});
            QTest::mouseMove(view, {610, 56});
            QTest::mouseRelease(view, Qt::LeftButton, {}, {610, 56});
        } else {
            const QPoint at = how == QStringLiteral("click on it")         ? QPoint(584, 56)
                              : how == QStringLiteral("click on its edge") ? QPoint(584 - 46, 56)
                                                                           : QPoint(584 - 60, 56);
            QTest::mousePress(view, Qt::LeftButton, {}, at);
            f.clock.advance(100);
            QTest::mouseRelease(view, Qt::LeftButton, {}, at);
        }
        QCOMPARE(f.shown("waveTargetButton"), !goesOn);
        // A click that went on showed no tools; one beside the target did.
        QCOMPARE(f.shown("nextPictureIcon"), how == QStringLiteral("click beside it"));
        const QImage shot = f.screen();
        for (const QPoint p : {QPoint(5, 5), QPoint(30, 450)})
            QCOMPARE(pixelAt(shot, p) == pixelAt(iceOfTwo, p), goesOn);
    }

    // Switched off in the settings, a won picture offers no target.
    void noTargetWhenWaveToGoOnIsOff()
    {
        StoredSettings off;
        off.waveToGoOn = false;
        WindowFixture f(typicalWebcamSettings(), {}, {640, 480}, off);
        f.tap("cameraIcon");
        f.deliver(flatImage({640, 480}, qRgb(0, 0, 0)));
        f.deliver(flatImage({640, 480}, qRgb(255, 255, 255)));
        QVERIFY(!f.shown("waveTargetButton"));
        const QImage photo = f.catalogueImage("frostpane_001");
        QCOMPARE(pixelAt(f.screen(), {584 - 30, 56}), pixelAt(photo, {584 - 30, 56}));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
