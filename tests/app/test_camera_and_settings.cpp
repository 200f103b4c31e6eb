#include "support/window_fixture.h"
#include "widgets/float_slider.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

// The user moves a slider and lets it go, as a drag would end.
void slide(WindowFixture &f, const char *name, double value)
{
    auto *slider = f.find<FloatSlider>(name);
    slider->setValue(value);
}

} // namespace

// The camera icon, the front/back switch, and the settings panel with the
// capture resolution.
class TestCameraAndSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captureSettingsAreReadAtStartButTheCameraStaysOff()
    {
        WindowFixture f({{1280, 720, 30}, {640, 480, 15}, {640, 480, 30}, {1920, 1080, 30}});
        QCOMPARE(f.camera->requestedSettings, QList<VideoCaptureSetting>{(VideoCaptureSetting{640, 480, 30})});
        QCOMPARE(f.labelIn("resolutionBox"), QStringLiteral("Camera width = 640, height = 480"));
        auto *slider = f.find<FloatSlider>("resolutionSlider");
        QCOMPARE(slider->minimum(), 0.0);
        QCOMPARE(slider->maximum(), 2.0);
        QCOMPARE(slider->value(), 0.0); // 640 x 480, the smallest of the three sizes, on the left
        QVERIFY(!slider->tracking());
        QVERIFY(!f.camera->isActive());
    }

    void withoutACameraNothingIsRequested()
    {
        WindowFixture f;
        QCOMPARE(f.labelIn("resolutionBox"), QStringLiteral("Camera Resolutions Label"));
        QCOMPARE(f.find<FloatSlider>("resolutionSlider")->maximum(), 0.0);
        for (int i = 0; i < 3; ++i)
            f.tap("cameraIcon");
        QCOMPARE(f.camera->activationRequests, 0);
        QCOMPARE(f.icon("cameraIcon")->fillBitmap(), f.catalogueImage("camera_off"));
        // The tap still keeps the tools awake.
        QVERIFY(f.find<QTimer>("toolFadeTimer")->isActive());
        QVERIFY(f.camera->requestedSettings.isEmpty());
    }

    void theCameraIconShowsWhatTheDeviceDid_data()
    {
        QTest::addColumn<bool>("startsWhenAsked");
        QTest::addColumn<QString>("face");
        QTest::newRow("off -> on when the device starts") << true << QStringLiteral("camera_on");
        QTest::newRow("stays off when it refuses") << false << QStringLiteral("camera_off");
    }

    void theCameraIconShowsWhatTheDeviceDid()
    {
        QFETCH(bool, startsWhenAsked);
        QFETCH(QString, face);
        WindowFixture f(typicalWebcamSettings());
        f.camera->startsWhenAsked = startsWhenAsked;
        f.tap("cameraIcon");
        QCOMPARE(f.camera->isActive(), startsWhenAsked);
        QCOMPARE(f.icon("cameraIcon")->fillBitmap(), f.catalogueImage(qPrintable(face)));
        if (startsWhenAsked) {
            f.tap("cameraIcon");
            QVERIFY(!f.camera->isActive());
            QCOMPARE(f.icon("cameraIcon")->fillBitmap(), f.catalogueImage("camera_off"));
        }
    }

    void aClickRightAfterAToggleIsIgnored()
    {
        // A press within half a second is not accepted, but its click still
        // comes: the repeat guard keeps the camera from flickering.
        WindowFixture f(typicalWebcamSettings());
        f.tap("cameraIcon");
        QVERIFY(f.camera->isActive());
        f.clock.advance(300);
        QTest::mouseClick(f.find("cameraIcon"), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(f.camera->isActive());
    }

    void theSwitchKeepsTheRunningState_data()
    {
        QTest::addColumn<bool>("running");
        QTest::newRow("off stays off") << false;
        QTest::newRow("on restarts on the other device") << true;
    }

    void theSwitchKeepsTheRunningState()
    {
        QFETCH(bool, running);
        const QList<VideoCaptureSetting> back = {{1280, 720, 30}, {640, 480, 25}};
        WindowFixture f(typicalWebcamSettings(), back);
        if (running)
            f.tap("cameraIcon");
        f.tap("pictureView");
        f.camera->requestedSettings.clear();
        f.tap("switchCameraIcon");
        QCOMPARE(f.camera->kind(), CameraKind::Back);
        QCOMPARE(f.camera->isActive(), running);
        QCOMPARE(f.camera->requestedSettings, QList<VideoCaptureSetting>{(VideoCaptureSetting{640, 480, 25})});
        QCOMPARE(f.icon("switchCameraIcon")->fillBitmap(), f.catalogueImage("camera_back"));

        f.tap("switchCameraIcon");
        QCOMPARE(f.camera->kind(), CameraKind::Front);
        QCOMPARE(f.icon("switchCameraIcon")->fillBitmap(), f.catalogueImage("camera_front"));
    }

    void withOneCameraTheSwitchKeepsItPlaying()
    {
        WindowFixture f(typicalWebcamSettings(), {});
        f.tap("cameraIcon");
        f.tap("pictureView");
        f.tap("switchCameraIcon");
        QVERIFY(f.camera->isActive());
        QCOMPARE(f.camera->kind(), CameraKind::Front);
        QCOMPARE(f.icon("cameraIcon")->fillBitmap(), f.catalogueImage("camera_on"));
        QCOMPARE(f.icon("switchCameraIcon")->fillBitmap(), f.catalogueImage("camera_front"));
        // Its frames still reach the picture.
        f.deliver(flatImage({640, 480}, qRgb(0, 0, 0)));
        f.deliver(flatImage({640, 480}, qRgb(255, 255, 255)));
        QApplication::processEvents();
        QCOMPARE(f.screen().pixel(5, 5), f.catalogueImage("frostpane_001").pixel(5, 5) | 0xFF000000u);
    }

    void switchingBetweenStillCamerasWipesNothing()
    {
        WindowFixture f(typicalWebcamSettings(), typicalWebcamSettings());
        f.tap("cameraIcon");
        f.deliver(flatImage({640, 480}, qRgb(0, 0, 0)));
        f.deliver(flatImage({640, 480}, qRgb(0, 0, 0)));
        f.tap("pictureView");
        f.tap("switchCameraIcon");
        QVERIFY(f.camera->isActive());
        // The other camera looks at a white wall: a new scene, not motion.
        f.deliver(flatImage({640, 480}, qRgb(255, 255, 255)));
        f.deliver(flatImage({640, 480}, qRgb(255, 255, 255)));
        QApplication::processEvents();
        const QImage ice = f.catalogueImage("frostpane_001_ice");
        const QImage shot = f.screen();
        for (const QPoint p : {QPoint(5, 5), QPoint(600, 20), QPoint(320, 400)})
            QCOMPARE(shot.pixel(p), ice.pixel(p) | 0xFF000000u);
    }

    void aCameraThatWentOffPlaysWithOneTap_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("it stopped by itself") << QStringLiteral("stopped");
        QTest::newRow("the back one will not start: the front one plays") << QStringLiteral("back refuses");
        QTest::newRow("pulled out while playing, plugged back in") << QStringLiteral("pulled out");
        QTest::newRow("none at start, plugged in later") << QStringLiteral("plugged in later");
    }

    // However the camera went off, the icon says so at once, and one tap
    // plays the camera that is there.
    void aCameraThatWentOffPlaysWithOneTap()
    {
        QFETCH(QString, how);
        const bool later = how == QLatin1String("plugged in later");
        const QList<VideoCaptureSetting> atStart = later ? QList<VideoCaptureSetting>{} : typicalWebcamSettings();
        WindowFixture f(atStart, atStart);
        f.tap("cameraIcon");
        QCOMPARE(f.camera->isActive(), !later);
        if (how == QLatin1String("stopped")) {
            f.camera->stopByItself();
        } else if (how == QLatin1String("back refuses")) {
            f.camera->backStartsWhenAsked = false;
            f.tap("pictureView");
            f.tap("switchCameraIcon");
            QCOMPARE(f.icon("switchCameraIcon")->fillBitmap(), f.catalogueImage("camera_back"));
        } else if (how == QLatin1String("pulled out")) {
            f.camera->replugCameras({}, {});
            QCOMPARE(f.icon("cameraIcon")->fillBitmap(), f.catalogueImage("camera_off"));
            f.camera->replugCameras({{1280, 720, 30}}, {});
        } else {
            f.camera->replugCameras(typicalWebcamSettings(), {});
        }
        QVERIFY(!f.camera->isActive());
        QCOMPARE(f.icon("cameraIcon")->fillBitmap(), f.catalogueImage("camera_off"));

        f.tap("cameraIcon");
        QVERIFY(f.camera->isActive());
        QCOMPARE(f.camera->kind(), CameraKind::Front);
        QCOMPARE(f.icon("cameraIcon")->fillBitmap(), f.catalogueImage("camera_on"));
        QCOMPARE(f.icon("switchCameraIcon")->fillBitmap(), f.catalogueImage("camera_front"));
    }

    // The resolution chooser follows the cameras that are there.
    void theSettingsFollowCamerasPluggedInAndPulledOut()
    {
        WindowFixture f;
        f.camera->replugCameras(typicalWebcamSettings(), {});
        QCOMPARE(f.labelIn("resolutionBox"), QStringLiteral("Camera width = 640, height = 480"));
        QCOMPARE(f.camera->captureSetting(), (VideoCaptureSetting{640, 480, 30}));
        f.camera->replugCameras({}, {});
        f.openSettings();
        QCOMPARE(f.labelIn("resolutionBox"), QStringLiteral("Camera not available"));
        QVERIFY(!f.find("resolutionSlider")->isEnabled());
    }

    void settingsOpenWithTheGamesValuesAndOkTakesTheSliders()
    {
        WindowFixture f(typicalWebcamSettings());
        f.openSettings();
        QCOMPARE(f.find<FloatSlider>("sensitivitySlider")->value(), 249.0);
        QCOMPARE(f.find<FloatSlider>("freezingSpeedSlider")->value(), 10.0);
        QVERIFY(f.find("resolutionSlider")->isEnabled());
        QCOMPARE(f.labelIn("resolutionBox"), QStringLiteral("Camera width = 640, height = 480"));
        QVERIFY(f.shown("okButton") && f.shown("resolutionBox"));
        QVERIFY(!f.shown("cameraIcon") && !f.shown("settingsIcon"));
        QVERIFY(!f.find<QTimer>("toolFadeTimer")->isActive());

        const int requests = f.camera->activationRequests;
        slide(f, "sensitivitySlider", 255); // a threshold of 0
        slide(f, "freezingSpeedSlider", 3.7);
        f.tap("okButton");
        QVERIFY(!f.shown("okButton") && !f.shown("cameraIcon"));
        QCOMPARE(f.camera->activationRequests, requests); // no resolution change, no restart

        f.openSettings();
        QCOMPARE(f.find<FloatSlider>("sensitivitySlider")->value(), 255.0);
        QCOMPARE(f.find<FloatSlider>("freezingSpeedSlider")->value(), 3.0);
    }

    void aResolutionIsAppliedOnceTheUserMovedIt_data()
    {
        QTest::addColumn<bool>("running");
        QTest::newRow("stopped stays stopped") << false;
        QTest::newRow("running runs again") << true;
    }

    void aResolutionIsAppliedOnceTheUserMovedIt()
    {
        QFETCH(bool, running);
        WindowFixture f(typicalWebcamSettings());
        if (running)
            f.tap("cameraIcon");
        f.openSettings();
        // The rightmost position stands for the largest size, 1280 x 720.
        slide(f, "resolutionSlider", 1.0);
        QCOMPARE(f.labelIn("resolutionBox"), QStringLiteral("Camera width = 1280, height = 720"));
        QCOMPARE(f.camera->captureSetting(), (VideoCaptureSetting{640, 480, 30})); // not yet
        f.tap("okButton");
        QCOMPARE(f.camera->captureSetting(), (VideoCaptureSetting{1280, 720, 30}));
        QCOMPARE(f.camera->isActive(), running);
        QCOMPARE(f.icon("cameraIcon")->fillBitmap(), f.catalogueImage(running ? "camera_on" : "camera_off"));

        // Every later OK applies the slider again, moved or not.
        f.camera->requestedSettings.clear();
        f.openSettings();
        QCOMPARE(f.labelIn("resolutionBox"), QStringLiteral("Camera width = 1280, height = 720"));
        f.tap("okButton");
        QCOMPARE(f.camera->requestedSettings, QList<VideoCaptureSetting>{(VideoCaptureSetting{1280, 720, 30})});
    }

    void draggingTheResolutionSliderShowsTheLabelAndOkApplies()
    {
        WindowFixture f(typicalWebcamSettings());
        f.openSettings();
        auto *slider = f.find<FloatSlider>("resolutionSlider");
        QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(slider->width() / 2, 10));
        const QPoint rightmost(slider->width() - 2, 10); // the largest size
        QTest::mouseMove(slider, rightmost);
        QCOMPARE(f.labelIn("resolutionBox"), QStringLiteral("Camera width = 1280, height = 720"));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, rightmost);
        QCOMPARE(f.camera->captureSetting(), (VideoCaptureSetting{640, 480, 30})); // applied only by OK
        f.tap("okButton");
        QCOMPARE(f.camera->captureSetting(), (VideoCaptureSetting{1280, 720, 30}));
    }

    void settingsWithoutACamera()
    {
        WindowFixture f;
        f.openSettings();
        QCOMPARE(f.labelIn("resolutionBox"), QStringLiteral("Camera not available"));
        QVERIFY(!f.find("resolutionSlider")->isEnabled());
        f.tap("okButton");
        QVERIFY(f.camera->requestedSettings.isEmpty());
        QCOMPARE(f.camera->activationRequests, 0);
        QVERIFY(!f.shown("resolutionBox"));
    }

    void aTapOnThePictureCancelsTheSettings()
    {
        WindowFixture f(typicalWebcamSettings());
        f.tap("cameraIcon");
        f.openSettings();
        slide(f, "sensitivitySlider", 0);
        slide(f, "freezingSpeedSlider", 90);
        f.camera->setActive(false); // stopped meanwhile, say by the device
        f.camera->requestedSettings.clear();
        f.tap("pictureView");
        QVERIFY(f.camera->isActive()); // back as it was when the panel opened
        QVERIFY(f.camera->requestedSettings.contains(VideoCaptureSetting{640, 480, 30}));
        QVERIFY(!f.shown("okButton") && !f.shown("resolutionBox"));
        QVERIFY(!f.find<QTimer>("toolFadeTimer")->isActive());
        // Opening again shows the values the game kept.
        f.openSettings();
        QCOMPARE(f.find<FloatSlider>("sensitivitySlider")->value(), 249.0);
        QCOMPARE(f.find<FloatSlider>("freezingSpeedSlider")->value(), 10.0);
    }

    void theAboutPanelOpensAndATapClosesIt()
    {
        WindowFixture f(typicalWebcamSettings());
        f.openAbout();
        QVERIFY(f.shown("aboutText"));
        QVERIFY(!f.shown("cameraIcon"));
        QVERIFY(!f.find<QTimer>("toolFadeTimer")->isActive());
        const int requests = f.camera->activationRequests;
        f.tap("pictureView");
        QVERIFY(!f.shown("aboutText"));
        QVERIFY(!f.shown("cameraIcon"));
        QCOMPARE(f.camera->activationRequests, requests);
    }
};

QTEST_MAIN(TestCameraAndSettings)
#include "test_camera_and_settings.moc"
